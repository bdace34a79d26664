// Particle vertex program: pulls particle i from the buffer and colours it by speed and lifetime.
#include "ShaderInterface.hlsli"

StructuredBuffer<Particle> particleBuffer : register(t0);

ParticleVaryings main(uint id : SV_VertexID)
{
    const Particle particle = particleBuffer[id];
    const float3 position = float3(particle.positionX, particle.positionY, particle.positionZ);
    const float3 velocity = float3(particle.velocityX, particle.velocityY, particle.velocityZ);

    const float brightness =
        saturate(length(velocity) * (particle.lifetime * 0.00999999978) * 0.100000001);

    ParticleVaryings output;
    output.position = mul(float4(position, 1.0), ViewProjectionMatrix);
    output.color = float4(0.0500000007 + 0.25 * brightness, 0.0500000007 + 0.550000012 * brightness,
                          0.25 + 0.600000024 * brightness, brightness);
    return output;
}
