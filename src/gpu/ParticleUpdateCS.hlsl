// Particle update: unit pull towards the attractor plus the curl of the noise field, lifetime
// countdown, one thread per particle.
#include "ShaderInterface.hlsli"
#include "SimplexNoise3D.hlsli"

RWStructuredBuffer<Particle> particleBufferCS : register(u0);

[numthreads(256, 1, 1)]
void main(uint3 threadId : SV_DispatchThreadID)
{
    const uint i = threadId.x;
    if (i >= kParticleCount)
    {
        return;
    }

    Particle particle = particleBufferCS[i];
    const float3 position = float3(particle.positionX, particle.positionY, particle.positionZ);

    // A particle exactly at the attractor feels no pull instead of dividing zero by zero.
    const float3 toAttractor = float3(0.0, 800.0, 0.0) - position;
    const float distanceSq = dot(toAttractor, toAttractor);
    const float3 direction =
        distanceSq > 0.0 ? toAttractor * (1.0 / sqrt(distanceSq)) : float3(0.0, 0.0, 0.0);

    // Curl of (N, N, N) by central differences; 50 is 1 / (2 e).
    const float e = 0.00999999978;
    const float3 q = 0.00999999978 * position;
    const float dx = SimplexNoise3D(q + float3(e, 0.0, 0.0)) - SimplexNoise3D(q - float3(e, 0.0, 0.0));
    const float dy = SimplexNoise3D(q + float3(0.0, e, 0.0)) - SimplexNoise3D(q - float3(0.0, e, 0.0));
    const float dz = SimplexNoise3D(q + float3(0.0, 0.0, e)) - SimplexNoise3D(q - float3(0.0, 0.0, e));
    const float3 curl = 50.0 * float3(dy - dz, dz - dx, dx - dy);

    const float3 velocity = direction + curl;

    float lifetime = particle.lifetime - 1.0;
    if (lifetime < 1.0)
    {
        lifetime = 100.0;
    }

    const float3 moved = position + 5.0 * (velocity * DeltaTime);
    particle.positionX = moved.x;
    particle.positionY = moved.y;
    particle.positionZ = moved.z;
    particle.velocityX = velocity.x;
    particle.velocityY = velocity.y;
    particle.velocityZ = velocity.z;
    particle.lifetime = lifetime;
    particleBufferCS[i] = particle;
}
