// Particle pixel program: the colour from the vertex program, alpha stored, not blended.
#include "ShaderInterface.hlsli"

float4 main(ParticleVaryings input) : SV_Target
{
    return input.color;
}
