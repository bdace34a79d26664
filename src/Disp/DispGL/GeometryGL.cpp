// Vertex and index buffers; the vertex layout comes from the bound shader set, as on Direct3D.
#include "GeometryGL.h"

#include "DispGL.h"
#include "GlObjects.h"
#include "Logger.h"

#include <cstdint>

namespace
{
DispGL* Display()
{
    return static_cast<DispGL*>(g_display);
}

// An immutable buffer holding exactly `bytes` bytes of data; 0 after logging on failure.
GLuint CreateImmutableBuffer(const void* data, std::uint64_t bytes)
{
    if (!data || bytes == 0 || bytes > UINT32_MAX)
    {
        Logger::Print("CreateBuffer failed.");
        return 0;
    }
    while (glGetError() != GL_NO_ERROR)
    {
    }
    GLuint buffer = 0;
    glCreateBuffers(1, &buffer);
    glNamedBufferStorage(buffer, GLsizeiptr(bytes), data, 0);
    CountGlObjectsCreated(1);
    if (glGetError() != GL_NO_ERROR)
    {
        glDeleteBuffers(1, &buffer);
        CountGlObjectsDeleted(1);
        Logger::Print("CreateBuffer failed.");
        return 0;
    }
    return buffer;
}

void DeleteBuffer(GLuint& buffer)
{
    if (buffer)
    {
        glDeleteBuffers(1, &buffer);
        CountGlObjectsDeleted(1);
        buffer = 0;
    }
}
} // namespace

GeometryGL::~GeometryGL()
{
    DeleteBuffer(vertexBuffer);
    DeleteBuffer(indexBuffer);
}

bool GeometryGL::CreateVertexBuffer(const void* data, std::uint32_t vertexStride,
                                    std::uint32_t count)
{
    const GLuint buffer = CreateImmutableBuffer(data, std::uint64_t(vertexStride) * count);
    if (!buffer)
        return false;
    DeleteBuffer(vertexBuffer);
    vertexBuffer = buffer;
    stride = vertexStride;
    vertexCount = count;
    return true;
}

bool GeometryGL::CreateIndexBuffer(const std::uint16_t* data, std::uint32_t count)
{
    const GLuint buffer = CreateImmutableBuffer(data, std::uint64_t(count) * 2);
    if (!buffer)
        return false;
    DeleteBuffer(indexBuffer);
    indexBuffer = buffer;
    indexCount = count;
    return true;
}

void GeometryGL::BindVertexBuffer()
{
    glVertexArrayVertexBuffer(Display()->VertexArray(), 0, vertexBuffer, 0, GLsizei(stride));
}

void GeometryGL::BindIndexBuffer()
{
    glVertexArrayElementBuffer(Display()->VertexArray(), indexBuffer);
}

void GeometryGL::Draw()
{
    Display()->SetPrimitiveTopology(GL_TRIANGLES);
    if (indexCount == 0 || !indexBuffer)
        return;
    glDrawElements(GL_TRIANGLES, GLsizei(indexCount), GL_UNSIGNED_SHORT, nullptr);
}

Geometry* CreateGeometry()
{
    return new GeometryGL;
}
