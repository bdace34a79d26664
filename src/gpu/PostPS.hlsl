// Post-processing: aberration, radial blur, dirt floor, grain, vignette, tone map, gamma,
// scanlines, levels, exposure and the cross-fade to the overlay image.
#include "ShaderInterface.hlsli"

Texture2D sceneColorBuffer : register(t0);
Texture2D DirtMask : register(t1);
Texture2D OverlayTex : register(t2);
SamplerState s : register(s0);

// Per-tap channel weights of the aberration; their column sums are 3.125, 2.75 and 3.125.
static const float3 kAberrationWeights[9] = {
    float3(1.0, 0.0, 0.0),   float3(1.0, 0.0, 0.0),   float3(0.75, 0.25, 0.0),
    float3(0.375, 0.625, 0.0), float3(0.0, 1.0, 0.0), float3(0.0, 0.625, 0.375),
    float3(0.0, 0.25, 0.75), float3(0.0, 0.0, 1.0),   float3(0.0, 0.0, 1.0)
};

// An integer bit mixer (xorshift-multiply): exact, so the same on every GPU.
uint MixBits(uint x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

float4 main(FullscreenVaryings input) : SV_Target
{
    const float2 uv = input.uv;

    const uint row = uint(uv.y * Resolution.y);
    const float scanline = 0.629999995 * float(row & 1) + 0.370000005;

    // Chromatic aberration along the diagonal, spread by the music level.
    const float spread = FFT * 0.0125000002;
    float2 tap = uv;
    float3 aberration = float3(0.0, 0.0, 0.0);
    [unroll] for (int k = 0; k < 9; ++k)
    {
        aberration += kAberrationWeights[k] * sceneColorBuffer.SampleLevel(s, tap, 0.0).rgb;
        tap += spread;
    }
    aberration *= float3(0.319999993, 0.363636374, 0.319999993);

    // Radial blur towards the screen centre with halving weights.
    const float2 fromCentre = uv - 0.5;
    float3 blur = sceneColorBuffer.Sample(s, uv).rgb;
    float2 position = uv;
    float decay = 1.0;
    [unroll] for (int n = 0; n < 16; ++n)
    {
        position -= 0.0262499992 * fromCentre;
        const float weight = 0.850000024 * decay;
        decay *= 0.5;
        blur += weight * sceneColorBuffer.Sample(s, position).rgb;
    }

    float3 col = aberration + 0.300000012 * blur;
    col = max(col, 0.25 * DirtMask.SampleLevel(s, uv, 0.0).rgb);

    // Grain: uniform noise per pixel and frame. A hash of integers, not of cos(): GPUs round
    // cos() of large arguments differently and the noise magnified that into another picture
    // on each back end.
    const uint column = uint(uv.x * Resolution.x);
    const uint seed = MixBits(column + MixBits(row + MixBits(asuint(Time))));
    col += 0.0900000036 * (float(seed >> 8) * 5.96046448e-08); // 2^-24: 0 <= grain < 1

    const float2 toCentre = 0.5 - uv;
    const float falloff = 1.0 - dot(toCentre, toCentre);
    col *= (falloff * falloff) * (falloff * falloff);

    const float luminance = 0.212599993 * col.r + 0.715200007 * col.g + 0.0722000003 * col.b;
    col = col / (1.0 + luminance);

    col = pow(abs(col), 0.454545468);
    col *= scanline;

    // Levels: 23/255..190/255 to 0..1, then the power 1.41. Below the black point the component
    // is 0 in the output whatever the fade and the overlay.
    const float3 levelsInput = 255.0 * col - 23.0;
    const float3 levels = pow(max(levelsInput * 0.00598802418, 0.0), 1.40999997);

    const float exposure = 2.0 * FFT + 1.45000005;
    const float3 overlay = OverlayTex.SampleLevel(s, uv, 0.0).rgb;
    float3 rgb = Fade * (levels * exposure - overlay) + overlay;
    rgb = float3(levelsInput.r < 0.0 ? 0.0 : rgb.r, levelsInput.g < 0.0 ? 0.0 : rgb.g,
                 levelsInput.b < 0.0 ? 0.0 : rgb.b);
    return float4(rgb, 1.0);
}
