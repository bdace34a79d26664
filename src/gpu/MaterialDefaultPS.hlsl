// Default material, pixel stage: the texture plus the base colour, alpha included, unclamped.
cbuffer CBufferMaterialData : register(b2)
{
    float4 MaterialBaseColor;
    float MaterialSpecular;
    float MaterialMetallic;
    float MaterialRoughness;
    float pad3;
};

Texture2D texmap : register(t0);
SamplerState s : register(s0);

struct MaterialVaryings
{
    float4 position : SV_Position;
    float3 worldPos : WORLDPOS;
    float3 normal : NORMAL;
    float2 uv : TEXCOORD;
    float4 color : COLOR;
};

float4 main(MaterialVaryings input) : SV_Target0
{
    return texmap.Sample(s, input.uv) + MaterialBaseColor;
}
