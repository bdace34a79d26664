// PBR pixel program: image-based lighting only, linear and unclamped output.
#include "ShaderInterface.hlsli"

TextureCube IBL_IrradianceMap : register(t0);
TextureCube IBL_PrefilterMap : register(t1);
Texture2D TexBaseColor : register(t2);
Texture2D TexMetallic : register(t3);
SamplerState s : register(s0);

float4 main(MaterialVaryings input) : SV_Target
{
    const float roughness = MaterialRoughness;

    // The base-colour image is gamma-encoded.
    const float3 base = TexBaseColor.Sample(s, input.texcoord).rgb * MaterialBaseColor.rgb;
    const float3 albedo = pow(base, 2.20000005);
    const float metallic = TexMetallic.Sample(s, input.texcoord).r * MaterialMetallic;
    const float3 f0 = 0.0399999991 + metallic * (albedo - 0.0399999991);

    const float3 V = normalize(CameraLocation - input.worldPos);
    const float3 N = normalize(input.normal);
    const float NdotV = saturate(dot(N, V));

    // Fresnel with a ceiling that rough surfaces lower.
    const float3 F = f0 + (max(1.0 - roughness, f0) - f0) * pow(1.0 - NdotV, 5.0);
    const float3 kD = (1.0 - metallic) * (1.0 - F);
    const float3 diffuse = kD * albedo * IBL_IrradianceMap.Sample(s, N).rgb;

    const float3 R = reflect(-V, N);
    const float3 prefiltered = IBL_PrefilterMap.Sample(s, R).rgb;

    // Analytic fit of the split-sum environment BRDF; F0 enters here, not F.
    const float4 k = roughness * float4(-1.0, -0.0274999999, -0.572000027, 0.0219999999) +
                     float4(1.0, 0.0425000004, 1.03999996, -0.0399999991);
    const float a = min(k.x * k.x, exp2(-9.27999973 * NdotV)) * k.x + k.y;
    const float2 AB = a * float2(-1.03999996, 1.03999996) + k.zw;
    const float3 envBRDF = f0 * AB.x + AB.y;
    const float3 specular = prefiltered * envBRDF;

    return float4(2.0 * diffuse + 2.0 * specular, 1.0);
}
