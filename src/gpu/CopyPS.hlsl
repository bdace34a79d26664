// Copies texture t0 to the target through the full-screen quad; the display layer's tests use it.
Texture2D source : register(t0);
SamplerState s : register(s0);

struct FullscreenVaryings
{
    float4 position : SV_Position;
    float2 uv : TEXCOORD;
};

float4 main(FullscreenVaryings input) : SV_Target0
{
    return source.Sample(s, input.uv);
}
