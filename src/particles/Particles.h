// The GPU particle engine: seeded on the CPU once, advected and drawn on the GPU every frame.
#pragma once

#include "ShaderInterface.h"

#include <cstdint>

constexpr std::uint32_t kParticleCount = 2450000;
constexpr std::uint32_t kParticleGroupSize = 256;
constexpr std::uint32_t kParticleSlots = 8;
constexpr std::uint32_t kParticleGroups =
    (kParticleCount + kParticleGroupSize - 1) / kParticleGroupSize;
static_assert(kParticleGroups == 9571);
static_assert(sizeof(Particle) * kParticleCount == 68600000);

// Empties the slot table and creates the vertex, pixel and compute programs in that order; the
// first failure logs its line and returns false, keeping what was made before it.
bool CreateParticleShaders();
// Fills kParticleCount records: positions in the cube -100..100 from RandomUnit (x, y, z in that
// order), zero velocity, lifetime the distance from the origin.
void BuildInitialParticles(Particle* particles);
// Creates the particle buffer in slot 0 from the initial array; failures are fatal.
void InitParticles(const Particle* initial);
// One simulation step and one draw of every particle into the bound target. Needs the frame
// constants bound at compute and vertex slot 0.
void UpdateAndDrawParticles();
// The simulation step alone, for frames that are stepped but not drawn.
void StepParticles();
// Releases every occupied slot and the three programs.
void ReleaseParticles();
