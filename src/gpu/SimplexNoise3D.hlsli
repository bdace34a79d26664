// Three-dimensional simplex noise (permutation-polynomial hash, 7x7 gradient grid folded onto an
// octahedron), shared by the particle update and the PBR noise vertex program.
#ifndef SIMPLEX_NOISE_3D_HLSLI
#define SIMPLEX_NOISE_3D_HLSLI

// Every "division" is a 32-bit multiplication by the reciprocal, rounded before the floor: the
// hash depends on that rounding, so none of these may be written as a division.
float3 Mod289(float3 x)
{
    return x - floor(x * 0.00346020772) * 289.0;
}

float4 Mod289(float4 x)
{
    return x - floor(x * 0.00346020772) * 289.0;
}

float4 Permute(float4 w)
{
    return Mod289(34.0 * w * w + w);
}

float SimplexNoise3D(float3 v)
{
    // Skew into the simplex lattice and back.
    const float skew = (v.x + v.y + v.z) * 0.333333343;
    float3 i = floor(v + skew);
    const float unskew = (i.x + i.y + i.z) * 0.166666672;
    const float3 x0 = v - i + unskew;

    // Corner order. The third comparison is strict so that points with x0.x == x0.y == x0.z (the
    // whole main diagonal, the origin included) still get a proper simplex; with three
    // non-strict comparisons both middle corners collapse and the noise jumps there.
    const float3 g = float3(x0.x >= x0.y ? 1.0 : 0.0, x0.y >= x0.z ? 1.0 : 0.0,
                            x0.z > x0.x ? 1.0 : 0.0);
    const float3 l = 1.0 - g;
    const float3 i1 = min(g, l.zxy);
    const float3 i2 = max(g, l.zxy);

    const float3 x1 = x0 - i1 + 0.166666672;
    const float3 x2 = x0 - i2 + 0.333333343;
    const float3 x3 = x0 - 0.5;

    i = Mod289(i);
    const float4 p = Permute(Permute(Permute(i.z + float4(0.0, i1.z, i2.z, 1.0)) + i.y +
                                     float4(0.0, i1.y, i2.y, 1.0)) +
                             i.x + float4(0.0, i1.x, i2.x, 1.0));

    // Gradients from a 7x7 grid.
    const float4 j = p - floor(p * 0.0204081628) * 49.0;
    const float4 gxi = floor(j * 0.142857149);
    const float4 gyi = j - 7.0 * gxi;
    const float4 gx = gxi * 0.285714298 - 0.928571403;
    const float4 gy = gyi * 0.285714298 - 0.928571403;
    const float4 h = 1.0 - abs(gx) - abs(gy);

    // Fold the lower half onto the octahedron.
    const float4 b0 = float4(gx.xy, gy.xy);
    const float4 b1 = float4(gx.zw, gy.zw);
    const float4 s0 = floor(b0) * 2.0 + 1.0;
    const float4 s1 = floor(b1) * 2.0 + 1.0;
    const float4 sh = float4(h.x <= 0.0 ? -1.0 : 0.0, h.y <= 0.0 ? -1.0 : 0.0,
                             h.z <= 0.0 ? -1.0 : 0.0, h.w <= 0.0 ? -1.0 : 0.0);
    const float4 a0 = b0.xzyw + s0.xzyw * sh.xxyy;
    const float4 a1 = b1.xzyw + s1.xzyw * sh.zzww;
    float3 g0 = float3(a0.xy, h.x);
    float3 g1 = float3(a0.zw, h.y);
    float3 g2 = float3(a1.xy, h.z);
    float3 g3 = float3(a1.zw, h.w);

    // First-order inverse square root.
    g0 *= 1.79284286 - 0.853734732 * dot(g0, g0);
    g1 *= 1.79284286 - 0.853734732 * dot(g1, g1);
    g2 *= 1.79284286 - 0.853734732 * dot(g2, g2);
    g3 *= 1.79284286 - 0.853734732 * dot(g3, g3);

    float4 m = max(0.6 - float4(dot(x0, x0), dot(x1, x1), dot(x2, x2), dot(x3, x3)), 0.0);
    m = m * m;
    m = m * m;
    return 42.0 * dot(m, float4(dot(g0, x0), dot(g1, x1), dot(g2, x2), dot(g3, x3)));
}

#endif
