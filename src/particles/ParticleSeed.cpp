// The initial particle array, built on the CPU at start-up.
#include "Particles.h"
#include "RandomUnit.h"

#include <cmath>

void BuildInitialParticles(Particle* particles)
{
    for (std::uint32_t i = 0; i < kParticleCount; ++i)
    {
        Particle& particle = particles[i];
        for (float& coordinate : particle.position)
            coordinate = (RandomUnit() * 2.0f - 1.0f) * 100.0f;
        particle.velocity[0] = particle.velocity[1] = particle.velocity[2] = 0.0f;
        const float* p = particle.position;
        // The distance from the origin staggers the lifetime cycles.
        particle.lifetime = (std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]) / 100.0f) * 100.0f;
    }
}
