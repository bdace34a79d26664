// Test probe: writes the world position of the material record, to read vertex programs back.
#include "ShaderInterface.hlsli"

float4 main(MaterialVaryings input) : SV_Target
{
    return float4(input.worldPos, 1.0);
}
