// CPU references of the GPU formulas. Plain float arithmetic in the written order; the build
// does not contract multiplications and additions on x86-64 without -mfma.
#include "References.h"

#include <algorithm>
#include <cmath>

namespace
{
Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
Vec3 operator*(Vec3 a, Vec3 b)
{
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}
Vec3 Add(Vec3 a, float s)
{
    return {a.x + s, a.y + s, a.z + s};
}
float Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Normalize(Vec3 a)
{
    return a * (1.0f / std::sqrt(Dot(a, a)));
}
float Saturate(float x)
{
    return std::min(std::max(x, 0.0f), 1.0f);
}

float Mod289(float x)
{
    const float scaled = x * 0.00346020772f;
    return x - std::floor(scaled) * 289.0f;
}

float Permute(float w)
{
    return Mod289(34.0f * w * w + w);
}
} // namespace

float SimplexNoise3DReference(Vec3 v)
{
    const float s = (v.x + v.y + v.z) * 0.333333343f;
    Vec3 i{std::floor(v.x + s), std::floor(v.y + s), std::floor(v.z + s)};
    const float t = (i.x + i.y + i.z) * 0.166666672f;
    const Vec3 x0 = Add(v - i, t);

    // The third comparison is strict: a proper simplex on the main diagonal too.
    const Vec3 g{x0.x >= x0.y ? 1.0f : 0.0f, x0.y >= x0.z ? 1.0f : 0.0f, x0.z > x0.x ? 1.0f : 0.0f};
    const Vec3 l{1.0f - g.x, 1.0f - g.y, 1.0f - g.z};
    const Vec3 i1{std::min(g.x, l.z), std::min(g.y, l.x), std::min(g.z, l.y)};
    const Vec3 i2{std::max(g.x, l.z), std::max(g.y, l.x), std::max(g.z, l.y)};
    const Vec3 corners[4] = {x0, Add(x0 - i1, 0.166666672f), Add(x0 - i2, 0.333333343f),
                             Add(x0, -0.5f)};

    i = {Mod289(i.x), Mod289(i.y), Mod289(i.z)};
    const Vec3 offsets[4] = {{0, 0, 0}, i1, i2, {1, 1, 1}};
    float result = 0.0f;
    for (int k = 0; k < 4; ++k)
    {
        const float p =
            Permute(Permute(Permute(i.z + offsets[k].z) + i.y + offsets[k].y) + i.x + offsets[k].x);
        const float j = p - std::floor(p * 0.0204081628f) * 49.0f;
        const float gxi = std::floor(j * 0.142857149f);
        const float gyi = j - 7.0f * gxi;
        const float gx = gxi * 0.285714298f - 0.928571403f;
        const float gy = gyi * 0.285714298f - 0.928571403f;
        const float h = 1.0f - std::fabs(gx) - std::fabs(gy);
        const float sh = h <= 0.0f ? -1.0f : 0.0f;
        Vec3 gradient{gx + (std::floor(gx) * 2.0f + 1.0f) * sh,
                      gy + (std::floor(gy) * 2.0f + 1.0f) * sh, h};
        gradient = gradient * (1.79284286f - 0.853734732f * Dot(gradient, gradient));
        float m = std::max(0.6f - Dot(corners[k], corners[k]), 0.0f);
        m = m * m;
        m = m * m;
        result += m * Dot(gradient, corners[k]);
    }
    return 42.0f * result;
}

Particle UpdateParticleReference(const Particle& particle, float deltaTime)
{
    const Vec3 p{particle.position[0], particle.position[1], particle.position[2]};
    const Vec3 toAttractor = Vec3{0.0f, 800.0f, 0.0f} - p;
    const float distanceSq = Dot(toAttractor, toAttractor);
    const Vec3 direction =
        distanceSq > 0.0f ? toAttractor * (1.0f / std::sqrt(distanceSq)) : Vec3{};

    const float e = 0.00999999978f;
    const Vec3 q = p * 0.00999999978f;
    const float dx =
        SimplexNoise3DReference(q + Vec3{e, 0, 0}) - SimplexNoise3DReference(q - Vec3{e, 0, 0});
    const float dy =
        SimplexNoise3DReference(q + Vec3{0, e, 0}) - SimplexNoise3DReference(q - Vec3{0, e, 0});
    const float dz =
        SimplexNoise3DReference(q + Vec3{0, 0, e}) - SimplexNoise3DReference(q - Vec3{0, 0, e});
    const Vec3 curl = Vec3{dy - dz, dz - dx, dx - dy} * 50.0f;
    const Vec3 velocity = direction + curl;

    float lifetime = particle.lifetime - 1.0f;
    if (lifetime < 1.0f)
        lifetime = 100.0f;

    const Vec3 moved = p + (velocity * deltaTime) * 5.0f;
    return {{moved.x, moved.y, moved.z}, {velocity.x, velocity.y, velocity.z}, lifetime};
}

std::array<float, 4> ParticleColorReference(const Particle& particle)
{
    const Vec3 v{particle.velocity[0], particle.velocity[1], particle.velocity[2]};
    const float a =
        Saturate(std::sqrt(Dot(v, v)) * (particle.lifetime * 0.00999999978f) * 0.100000001f);
    return {0.0500000007f + 0.25f * a, 0.0500000007f + 0.550000012f * a, 0.25f + 0.600000024f * a,
            a};
}

Vec3 Image::Texel(int x, int y) const
{
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    const float* texel = &rgba[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
    return {texel[0], texel[1], texel[2]};
}

Vec3 Image::Sample(float u, float v) const
{
    const float x = u * float(width) - 0.5f;
    const float y = v * float(height) - 0.5f;
    const float x0 = std::floor(x);
    const float y0 = std::floor(y);
    const float fx = x - x0;
    const float fy = y - y0;
    const int ix = int(x0);
    const int iy = int(y0);
    const Vec3 top = Texel(ix, iy) * (1.0f - fx) + Texel(ix + 1, iy) * fx;
    const Vec3 bottom = Texel(ix, iy + 1) * (1.0f - fx) + Texel(ix + 1, iy + 1) * fx;
    return top * (1.0f - fy) + bottom * fy;
}

float PostGrainReference(float u, float v, float time)
{
    const auto fract = [](float x) { return x - std::floor(x); };
    const float n1 = fract(std::cos((v + time) * 23.1406918f + 0.5f * 2.66514421f) * 12345.6787f);
    return fract(std::cos(u * 23.1406918f + (n1 * v) * 2.66514421f) * 12345.6787f);
}

float VignetteReference(float u, float v)
{
    const float r2 = (0.5f - u) * (0.5f - u) + (0.5f - v) * (0.5f - v);
    const float f = 1.0f - r2;
    return (f * f) * (f * f);
}

float ScanlineReference(float v, float height)
{
    const unsigned row = unsigned(v * height);
    return 0.629999995f * float(row & 1u) + 0.370000005f;
}

Vec3 PostPixelReference(const PostInputs& in, float u, float v, float grain)
{
    static const Vec3 kWeights[9] = {{1, 0, 0},           {1, 0, 0}, {0.75f, 0.25f, 0},
                                     {0.375f, 0.625f, 0}, {0, 1, 0}, {0, 0.625f, 0.375f},
                                     {0, 0.25f, 0.75f},   {0, 0, 1}, {0, 0, 1}};
    const float spread = in.fft * 0.0125000002f;
    float tu = u;
    float tv = v;
    Vec3 aberration;
    for (const Vec3& weight : kWeights)
    {
        aberration = aberration + weight * in.scene->Sample(tu, tv);
        tu += spread;
        tv += spread;
    }
    aberration = aberration * Vec3{0.319999993f, 0.363636374f, 0.319999993f};

    const float du = u - 0.5f;
    const float dv = v - 0.5f;
    Vec3 blur = in.scene->Sample(u, v);
    float pu = u;
    float pv = v;
    float decay = 1.0f;
    for (int n = 0; n < 16; ++n)
    {
        pu -= 0.0262499992f * du;
        pv -= 0.0262499992f * dv;
        const float weight = 0.850000024f * decay;
        decay *= 0.5f;
        blur = blur + in.scene->Sample(pu, pv) * weight;
    }
    Vec3 col = aberration + blur * 0.300000012f;

    const Vec3 dirt = in.dirt->Sample(u, v) * 0.25f;
    col = {std::max(col.x, dirt.x), std::max(col.y, dirt.y), std::max(col.z, dirt.z)};
    col = Add(col, 0.0900000036f * grain);
    col = col * VignetteReference(u, v);
    const float luminance = 0.212599993f * col.x + 0.715200007f * col.y + 0.0722000003f * col.z;
    col = col * (1.0f / (1.0f + luminance));

    const auto encode = [](float c) { return std::exp2(0.454545468f * std::log2(std::fabs(c))); };
    col = Vec3{encode(col.x), encode(col.y), encode(col.z)} * ScanlineReference(v, in.height);

    const float exposure = 2.0f * in.fft + 1.45000005f;
    const Vec3 overlay = in.overlay->Sample(u, v);
    const auto finish = [&](float c, float o)
    {
        const float levelsInput = 255.0f * c - 23.0f;
        if (levelsInput < 0.0f)
            return 0.0f;
        const float levels = std::pow(levelsInput * 0.00598802418f, 1.40999997f);
        return in.fade * (levels * exposure - o) + o;
    };
    return {finish(col.x, overlay.x), finish(col.y, overlay.y), finish(col.z, overlay.z)};
}

EnvBrdf EnvBrdfReference(float r, float NdotV)
{
    const float k[4] = {r * -1.0f + 1.0f, r * -0.0274999999f + 0.0425000004f,
                        r * -0.572000027f + 1.03999996f, r * 0.0219999999f + -0.0399999991f};
    const float a = std::min(k[0] * k[0], std::exp2(-9.27999973f * NdotV)) * k[0] + k[1];
    return {a * -1.03999996f + k[2], a * 1.03999996f + k[3]};
}

int CubeFace(Vec3 d)
{
    const float ax = std::fabs(d.x);
    const float ay = std::fabs(d.y);
    const float az = std::fabs(d.z);
    if (ax >= ay && ax >= az)
        return d.x >= 0.0f ? 0 : 1;
    if (ay >= az)
        return d.y >= 0.0f ? 2 : 3;
    return d.z >= 0.0f ? 4 : 5;
}

Vec3 PbrPixelReference(const PbrInputs& in, const CubeFaces& irradiance,
                       const CubeFaces& prefiltered)
{
    const float r = in.roughness;
    const Vec3 base = in.baseTexel * in.baseColor;
    const auto linear = [](float c) { return std::exp2(2.20000005f * std::log2(c)); };
    const Vec3 albedo{linear(base.x), linear(base.y), linear(base.z)};
    const float m = in.metallicTexel * in.metallic;
    const Vec3 f0 = Add((Add(albedo, -0.0399999991f)) * m, 0.0399999991f);

    const Vec3 V = Normalize(in.camera - in.worldPos);
    const Vec3 N = Normalize(in.normal);
    const float NdotV = Saturate(Dot(N, V));
    const float fresnel = std::pow(1.0f - NdotV, 5.0f);
    const auto F = [&](float f) { return f + (std::max(1.0f - r, f) - f) * fresnel; };
    const Vec3 kD = Vec3{1.0f - F(f0.x), 1.0f - F(f0.y), 1.0f - F(f0.z)} * (1.0f - m);
    const Vec3 diffuse = kD * albedo * irradiance[std::size_t(CubeFace(N))];

    const Vec3 minusV = V * -1.0f;
    const Vec3 R = minusV - N * (2.0f * Dot(minusV, N));
    const Vec3 pre = prefiltered[std::size_t(CubeFace(R))];
    const EnvBrdf brdf = EnvBrdfReference(r, NdotV);
    const Vec3 envBrdf = Add(f0 * brdf.a, brdf.b);
    const Vec3 specular = pre * envBrdf;
    return diffuse * 2.0f + specular * 2.0f;
}
