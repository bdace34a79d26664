// The particle engine on WebGPU: one storage buffer, stepped by a compute pass and drawn as points.
#include "Particles.h"

#include "CheckResult.h"
#include "GpuPrograms.h"
#include "Logger.h"
#include "ShaderWebGPU.h"
#include "WebGpuCalls.h"

namespace
{
struct ParticleEngineWeb
{
    std::uint32_t slots[kParticleSlots] = {};
    std::uint32_t vertexShader = 0;
    std::uint32_t pixelShader = 0;
    std::uint32_t computeShader = 0;
};

ParticleEngineWeb engine;

// The Direct3D result a failed creation stands for, so CheckResult names it.
ResultCode CreationResult(std::uint32_t id)
{
    return id != 0 ? 0 : 0x8007000E; // E_OUTOFMEMORY
}
} // namespace

bool CreateParticleShaders()
{
    for (std::uint32_t& slot : engine.slots)
        slot = 0;
    engine.vertexShader = CreateProgram(0, FindGpuProgram("ParticleVS"));
    if (!engine.vertexShader)
    {
        Logger::Print("CreateVertexShader failed.\n");
        return false;
    }
    engine.pixelShader = CreateProgram(1, FindGpuProgram("ParticlePS"));
    if (!engine.pixelShader)
    {
        Logger::Print("CreatePixelShader failed.\n");
        return false;
    }
    engine.computeShader = CreateProgram(2, FindGpuProgram("ParticleUpdateCS"));
    if (!engine.computeShader)
    {
        Logger::Print("CreateComputeShader failed.\n");
        return false;
    }
    return true;
}

void InitParticles(const Particle* initial)
{
    engine.slots[0] = ombrel_gpu_create_buffer(StorageBufferUsage, initial,
                                               std::uint32_t(sizeof(Particle) * kParticleCount));
    CHECK_RESULT(CreationResult(engine.slots[0]));
}

void StepParticles()
{
    ombrel_gpu_bind_storage(kStorageWriteBinding, engine.slots[0]);
    ombrel_gpu_dispatch(engine.computeShader, kParticleGroups);
}

void UpdateAndDrawParticles()
{
    StepParticles();
    ombrel_gpu_use_programs(engine.vertexShader, engine.pixelShader);
    ombrel_gpu_bind_storage(kStorageReadBinding, engine.slots[0]);
    ombrel_gpu_draw(kParticleCount, 0, PointList);
}

void ReleaseParticles()
{
    for (std::uint32_t& slot : engine.slots)
    {
        if (slot)
            ombrel_gpu_release(slot);
        slot = 0;
    }
    DeleteProgram(engine.vertexShader);
    DeleteProgram(engine.pixelShader);
    DeleteProgram(engine.computeShader);
}
