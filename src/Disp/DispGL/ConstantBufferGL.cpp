// Uniform buffers with the Direct3D constant buffer's rules: sizes in 16-byte steps, map discards.
#include "ConstantBufferGL.h"

#include "GlObjects.h"
#include "Logger.h"

ConstantBufferGL::~ConstantBufferGL()
{
    if (buffer)
    {
        glDeleteBuffers(1, &buffer);
        CountGlObjectsDeleted(1);
        buffer = 0;
    }
}

bool ConstantBufferGL::Create(std::uint32_t bytes)
{
    if (bytes == 0 || bytes % 16 != 0)
    {
        Logger::Print("ERROR: Failed to create cbuffer!\n");
        return false;
    }
    GLuint created = 0;
    while (glGetError() != GL_NO_ERROR)
    {
    }
    glCreateBuffers(1, &created);
    glNamedBufferStorage(created, bytes, nullptr, GL_MAP_WRITE_BIT | GL_DYNAMIC_STORAGE_BIT);
    CountGlObjectsCreated(1);
    if (glGetError() != GL_NO_ERROR)
    {
        glDeleteBuffers(1, &created);
        CountGlObjectsDeleted(1);
        Logger::Print("ERROR: Failed to create cbuffer!\n");
        return false;
    }
    if (buffer)
    {
        glDeleteBuffers(1, &buffer);
        CountGlObjectsDeleted(1);
    }
    buffer = created;
    size = bytes;
    return true;
}

void* ConstantBufferGL::Map()
{
    void* data = buffer ? glMapNamedBufferRange(buffer, 0, size,
                                                GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT)
                        : nullptr;
    if (!data)
        Logger::Print("ConstantBuffer: Map failed.\n");
    return data;
}

void ConstantBufferGL::Unmap()
{
    if (buffer)
        glUnmapNamedBuffer(buffer);
}

void ConstantBufferGL::Bind(std::uint32_t /*stage*/, std::uint32_t slot)
{
    glBindBufferBase(GL_UNIFORM_BUFFER, slot, buffer);
}

ConstantBuffer* NewConstantBuffer()
{
    return new ConstantBufferGL;
}
