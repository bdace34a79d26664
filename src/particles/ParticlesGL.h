// The particle engine's OpenGL state: the slot table, the buffers and the three programs.
#pragma once

#include "Particles.h"

#include <epoxy/gl.h>

class DispGL;
struct GpuProgram;

// On GL one storage buffer serves as the compute program's read-write view and the vertex
// program's read-only view: both bind it at storage binding 0.
struct ParticleBuffers
{
    GLuint buffer = 0;
};

struct ParticleEngineGL
{
    ParticleBuffers* slots[kParticleSlots] = {};
    GLuint vertexShader = 0;
    GLuint pixelShader = 0;
    GLuint computeShader = 0;
    // Drawing reads no vertex buffer; GL would still fetch the arrays the current input layout
    // enables, so the draw goes through a vertex array with none enabled.
    GLuint emptyVertexArray = 0;
};

// The module state, read by the tests.
const ParticleEngineGL& ParticleEngine();

// CreateParticleShaders with the programs given; CreateParticleShaders passes the embedded ones.
bool CreateParticleShadersFrom(const GpuProgram* vertex, const GpuProgram* pixel,
                               const GpuProgram* compute);

// Creates the storage buffer from the initial array; a GL error ends the process.
void CreateParticleBuffer(ParticleBuffers* buffers, DispGL* device, const Particle* initial);
