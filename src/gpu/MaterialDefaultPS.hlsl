// Default material pixel program: texture plus base colour, alpha included, unclamped.
#include "ShaderInterface.hlsli"

Texture2D texmap : register(t0);
SamplerState s : register(s0);

float4 main(MaterialVaryings input) : SV_Target
{
    return texmap.Sample(s, input.texcoord) + MaterialBaseColor;
}
