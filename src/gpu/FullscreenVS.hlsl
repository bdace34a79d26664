// Full-screen strip from the vertex index alone: vertices 0..3 are the corners (-1,-1), (-1,1),
// (1,-1), (1,1), uv (0, 0) at the top-left.
#include "ShaderInterface.hlsli"

FullscreenVaryings main(uint id : SV_VertexID)
{
    const float x = float(id >> 1) * 2.0 - 1.0;
    const float y = float(id & 1) * 2.0 - 1.0;
    FullscreenVaryings output;
    output.position = float4(x, y, 0.0, 1.0);
    output.uv = float2(0.5 * x + 0.5, -0.5 * y + 0.5);
    return output;
}
