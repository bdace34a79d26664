// Test probe: evaluates SimplexNoise3D at the points of a buffer, one thread per point.
#include "SimplexNoise3D.hlsli"

struct NoiseSample
{
    float x;
    float y;
    float z;
    float value;
};

RWStructuredBuffer<NoiseSample> samples : register(u0);

[numthreads(64, 1, 1)]
void main(uint3 threadId : SV_DispatchThreadID)
{
    NoiseSample sample = samples[threadId.x];
    sample.value = SimplexNoise3D(float3(sample.x, sample.y, sample.z));
    samples[threadId.x] = sample;
}
