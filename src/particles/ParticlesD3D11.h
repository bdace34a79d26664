// The particle engine's Direct3D 11 state: the slot table, the buffers and the three programs.
#pragma once

#include "Particles.h"

#include <d3d11.h>

struct GpuProgram;

// One structured buffer with its read-only view (vertex stage) and read-write view (compute).
struct ParticleBuffers
{
    ID3D11Buffer* buffer = nullptr;
    ID3D11ShaderResourceView* view = nullptr;
    ID3D11UnorderedAccessView* access = nullptr;
};

struct ParticleEngineD3D11
{
    ParticleBuffers* slots[kParticleSlots] = {};
    ID3D11ComputeShader* computeShader = nullptr;
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
};

const ParticleEngineD3D11& ParticleEngine();

// CreateParticleShaders with the programs given; CreateParticleShaders passes the embedded ones.
bool CreateParticleShadersFrom(const GpuProgram* vertex, const GpuProgram* pixel,
                               const GpuProgram* compute);

// Creates the buffer from the initial array, then its two views; any failure ends the process.
void CreateParticleBuffer(ParticleBuffers* buffers, ID3D11Device* device, const Particle* initial);
