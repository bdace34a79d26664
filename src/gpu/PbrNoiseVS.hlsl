// PBR vertex program with a time-varying noise displacement along the (unnormalised) normal.
#include "ShaderInterface.hlsli"
#include "SimplexNoise3D.hlsli"

MaterialVaryings main(MeshVertex input)
{
    float4 world = mul(float4(input.position, 1.0), TransformMatrix);
    const float3 normal = mul(float4(input.normal, 1.0), TransformMatrixIT).xyz;

    const float3 offset = float3(sin(Time), cos(Time), cos(sin(Time)));
    const float height = 12.0 * SimplexNoise3D(0.075000003 * world.xyz + offset);
    world.xyz += normal * height;

    MaterialVaryings output;
    output.position = mul(world, ViewProjectionMatrix);
    output.worldPos = world.xyz;
    // The normal of the undisplaced surface: no new normal is derived.
    output.normal = normal;
    output.texcoord = input.texcoord;
    output.color = float4(0.0, 0.0, 0.0, 1.0);
    return output;
}
