// The particle engine on OpenGL 4.5: one storage buffer, separable programs in DispGL's pipeline.
#include "ParticlesGL.h"

#include "CheckResult.h"
#include "DispGL.h"
#include "GlObjects.h"
#include "GpuPrograms.h"
#include "Logger.h"
#include "ShaderGL.h"

namespace
{
ParticleEngineGL engine;

DispGL* Display()
{
    return static_cast<DispGL*>(g_display);
}

// The Direct3D result a GL error stands for, so CheckResult names it.
ResultCode GlResult()
{
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return 0;
    return error == GL_OUT_OF_MEMORY ? 0x8007000E : 0x80004005; // E_OUTOFMEMORY, E_FAIL
}

void ClearGlErrors()
{
    while (glGetError() != GL_NO_ERROR)
    {
    }
}
} // namespace

const ParticleEngineGL& ParticleEngine()
{
    return engine;
}

bool CreateParticleShaders()
{
    return CreateParticleShadersFrom(FindGpuProgram("ParticleVS"), FindGpuProgram("ParticlePS"),
                                     FindGpuProgram("ParticleUpdateCS"));
}

bool CreateParticleShadersFrom(const GpuProgram* vertex, const GpuProgram* pixel,
                               const GpuProgram* compute)
{
    for (ParticleBuffers*& slot : engine.slots)
        slot = nullptr;

    engine.vertexShader = CreateProgram(GL_VERTEX_SHADER, vertex);
    if (!engine.vertexShader)
    {
        Logger::Print("CreateVertexShader failed.\n");
        return false;
    }
    engine.pixelShader = CreateProgram(GL_FRAGMENT_SHADER, pixel);
    if (!engine.pixelShader)
    {
        Logger::Print("CreatePixelShader failed.\n");
        return false;
    }
    engine.computeShader = CreateProgram(GL_COMPUTE_SHADER, compute);
    if (!engine.computeShader)
    {
        Logger::Print("CreateComputeShader failed.\n");
        return false;
    }
    return true;
}

void CreateParticleBuffer(ParticleBuffers* buffers, DispGL* /*device*/, const Particle* initial)
{
    ClearGlErrors();
    glCreateBuffers(1, &buffers->buffer);
    CountGlObjectsCreated(1);
    CHECK_RESULT(GlResult());
    glNamedBufferStorage(buffers->buffer, GLsizeiptr(sizeof(Particle)) * kParticleCount, initial,
                         0);
    CHECK_RESULT(GlResult());
}

void InitParticles(const Particle* initial)
{
    engine.slots[0] = new ParticleBuffers;
    CreateParticleBuffer(engine.slots[0], Display(), initial);
    glCreateVertexArrays(1, &engine.emptyVertexArray);
    CountGlObjectsCreated(1);
}

void StepParticles()
{
    const GLuint pipeline = Display()->Pipeline();
    const ParticleBuffers* buffers = engine.slots[0];

    glUseProgramStages(pipeline, GL_COMPUTE_SHADER_BIT, engine.computeShader);
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, buffers->buffer);
    glDispatchCompute(kParticleGroups, 1, 1);
    // Direct3D unbinds compute constant slot 0 here; GL's uniform bindings are shared by all
    // stages, and the vertex program still needs the frame block at binding 0.
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, 0);
    glUseProgramStages(pipeline, GL_COMPUTE_SHADER_BIT, 0);
    // Direct3D orders the dispatch before the draw by itself; GL needs the barrier.
    glMemoryBarrier(GL_SHADER_STORAGE_BARRIER_BIT);
}

void UpdateAndDrawParticles()
{
    StepParticles();

    DispGL* display = Display();
    const GLuint pipeline = display->Pipeline();
    const ParticleBuffers* buffers = engine.slots[0];
    display->SetPrimitiveTopology(GL_POINTS);
    glUseProgramStages(pipeline, GL_VERTEX_SHADER_BIT, engine.vertexShader);
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, buffers->buffer);
    glUseProgramStages(pipeline, GL_FRAGMENT_SHADER_BIT, engine.pixelShader);
    glBindVertexArray(engine.emptyVertexArray);
    display->Draw(kParticleCount, 0);
    glBindVertexArray(display->VertexArray());
    display->SetPrimitiveTopology(GL_TRIANGLES);
}

void ReleaseParticles()
{
    for (ParticleBuffers*& slot : engine.slots)
    {
        if (!slot)
            continue;
        if (slot->buffer)
        {
            glDeleteBuffers(1, &slot->buffer);
            CountGlObjectsDeleted(1);
            slot->buffer = 0;
        }
        delete slot;
        slot = nullptr;
    }
    if (engine.emptyVertexArray)
    {
        glDeleteVertexArrays(1, &engine.emptyVertexArray);
        CountGlObjectsDeleted(1);
        engine.emptyVertexArray = 0;
    }
    DeleteProgram(engine.vertexShader);
    DeleteProgram(engine.pixelShader);
    DeleteProgram(engine.computeShader);
}
