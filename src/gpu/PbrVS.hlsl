// PBR vertex program: object to world to clip space, normal through the normal matrix.
#include "ShaderInterface.hlsli"

MaterialVaryings main(MeshVertex input)
{
    const float4 world = mul(float4(input.position, 1.0), TransformMatrix);
    MaterialVaryings output;
    output.position = mul(world, ViewProjectionMatrix);
    output.worldPos = world.xyz;
    // Row 3 of the normal matrix is added on purpose; it holds (0, 0, 0, 1).
    output.normal = mul(float4(input.normal, 1.0), TransformMatrixIT).xyz;
    output.texcoord = input.texcoord;
    output.color = float4(0.0, 0.0, 0.0, 1.0);
    return output;
}
