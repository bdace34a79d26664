// Full-screen quad from the vertex index alone: four strip vertices, uv (0, 0) at the top left.
struct FullscreenVaryings
{
    float4 position : SV_Position;
    float2 uv : TEXCOORD;
};

FullscreenVaryings main(uint id : SV_VertexID)
{
    const float x = float(id >> 1) * 2 - 1;
    const float y = float(id & 1) * 2 - 1;
    FullscreenVaryings output;
    output.position = float4(x, y, 0, 1);
    output.uv = float2(0.5 * x + 0.5, -0.5 * y + 0.5);
    return output;
}
