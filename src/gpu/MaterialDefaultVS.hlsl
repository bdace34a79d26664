// Default material vertex program: places the mesh by the view-projection alone.
#include "ShaderInterface.hlsli"

MaterialVaryings main(MeshVertex input)
{
    MaterialVaryings output;
    output.position = mul(float4(input.position, 1.0), ViewProjectionMatrix);
    output.worldPos = float3(0.0, 0.0, 0.0);
    output.normal = float3(0.0, 0.0, 0.0);
    output.texcoord = input.texcoord;
    output.color = float4(0.0, 0.0, 0.0, 1.0);
    return output;
}
