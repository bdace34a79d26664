// A studio-like sky with soft light panels, pre-filtered for diffuse and glossy lighting.
#include "Environment.h"

#include "Dds.h"

#include <algorithm>
#include <array>

namespace assets
{

namespace
{

struct Panel
{
    Vec3 centre, right, up;
    float halfRight, halfUp;
    Vec3 colour;
};

// Rectangular area lights placed so that the faces the cameras see catch a highlight.
const std::array<Panel, 5>& Panels()
{
    static const std::array<Panel, 5> panels = []
    {
        auto make = [](Vec3 c, float hr, float hu, Vec3 colour)
        {
            const Vec3 centre = Normalize(c);
            const Vec3 right = Normalize(Cross({0, 1, 0}, centre));
            const Vec3 up = Cross(centre, right);
            return Panel{centre, right, up, hr, hu, colour};
        };
        return std::array<Panel, 5>{
            Panel{{0, 1, 0}, {1, 0, 0}, {0, 0, 1}, 1.1f, 0.22f, {9, 10, 12}},
            make({-0.45f, 0.3f, -0.85f}, 0.45f, 0.55f, {26, 20, 15}),
            make({0.85f, 0.15f, 0.5f}, 0.18f, 0.7f, {6, 18, 20}),
            make({0.2f, 0.05f, 1}, 0.9f, 0.08f, {14, 9, 6}),
            make({-0.9f, -0.1f, 0.4f}, 0.25f, 0.25f, {10, 5, 14}),
        };
    }();
    return panels;
}

struct Cube
{
    int size = 0;
    std::vector<Vec3> texels; // face-major, row-major
    Vec3 At(int face, int x, int y) const
    {
        return texels[(static_cast<std::size_t>(face) * size + y) * size + x];
    }
};

// Face and texel coordinates of a direction, the inverse of CubeDirection.
void FaceCoordinates(Vec3 d, int& face, float& s, float& t)
{
    const float ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    float u, v, m;
    if (ax >= ay && ax >= az)
    {
        m = ax;
        face = d.x > 0 ? 0 : 1;
        u = d.x > 0 ? -d.z : d.z;
        v = -d.y;
    }
    else if (ay >= az)
    {
        m = ay;
        face = d.y > 0 ? 2 : 3;
        u = d.x;
        v = d.y > 0 ? d.z : -d.z;
    }
    else
    {
        m = az;
        face = d.z > 0 ? 4 : 5;
        u = d.z > 0 ? d.x : -d.x;
        v = -d.y;
    }
    s = 0.5f * (u / m + 1);
    t = 0.5f * (v / m + 1);
}

Vec3 SampleBilinear(const Cube& cube, Vec3 d)
{
    int face;
    float s, t;
    FaceCoordinates(d, face, s, t);
    const float fx = s * static_cast<float>(cube.size) - 0.5f;
    const float fy = t * static_cast<float>(cube.size) - 0.5f;
    const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    const float tx = fx - static_cast<float>(x0), ty = fy - static_cast<float>(y0);
    auto at = [&](int x, int y)
    {
        x = x < 0 ? 0 : (x >= cube.size ? cube.size - 1 : x);
        y = y < 0 ? 0 : (y >= cube.size ? cube.size - 1 : y);
        return cube.At(face, x, y);
    };
    return Lerp(Lerp(at(x0, y0), at(x0 + 1, y0), tx), Lerp(at(x0, y0 + 1), at(x0 + 1, y0 + 1), tx),
                ty);
}

// The environment at `size` with 2×2 supersampling, then its box-filtered mip chain.
std::vector<Cube> SourceChain(int size)
{
    std::vector<Cube> chain(1);
    chain[0].size = size;
    chain[0].texels.resize(static_cast<std::size_t>(6) * size * size);
    for (int face = 0; face < 6; ++face)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
            {
                Vec3 sum;
                for (float oy : {-0.25f, 0.25f})
                    for (float ox : {-0.25f, 0.25f})
                        sum = sum +
                              EnvironmentRadiance(CubeDirection(face, static_cast<float>(x) + ox,
                                                                static_cast<float>(y) + oy, size));
                chain[0].texels[(static_cast<std::size_t>(face) * size + y) * size + x] =
                    sum * 0.25f;
            }
    while (chain.back().size > 1)
    {
        const Cube& prev = chain.back();
        Cube next;
        next.size = prev.size / 2;
        next.texels.resize(static_cast<std::size_t>(6) * next.size * next.size);
        for (int face = 0; face < 6; ++face)
            for (int y = 0; y < next.size; ++y)
                for (int x = 0; x < next.size; ++x)
                    next.texels[(static_cast<std::size_t>(face) * next.size + y) * next.size + x] =
                        (prev.At(face, 2 * x, 2 * y) + prev.At(face, 2 * x + 1, 2 * y) +
                         prev.At(face, 2 * x, 2 * y + 1) + prev.At(face, 2 * x + 1, 2 * y + 1)) *
                        0.25f;
        chain.push_back(std::move(next));
    }
    return chain;
}

Vec3 SampleLod(const std::vector<Cube>& chain, Vec3 d, float lod)
{
    const float maxLod = static_cast<float>(chain.size() - 1);
    lod = lod < 0 ? 0 : (lod > maxLod ? maxLod : lod);
    const int l0 = static_cast<int>(lod);
    const int l1 = l0 + 1 < static_cast<int>(chain.size()) ? l0 + 1 : l0;
    return Lerp(SampleBilinear(chain[l0], d), SampleBilinear(chain[l1], d),
                lod - static_cast<float>(l0));
}

float RadicalInverse(std::uint32_t bits)
{
    bits = (bits << 16u) | (bits >> 16u);
    bits = ((bits & 0x55555555u) << 1u) | ((bits & 0xAAAAAAAAu) >> 1u);
    bits = ((bits & 0x33333333u) << 2u) | ((bits & 0xCCCCCCCCu) >> 2u);
    bits = ((bits & 0x0F0F0F0Fu) << 4u) | ((bits & 0xF0F0F0F0u) >> 4u);
    bits = ((bits & 0x00FF00FFu) << 8u) | ((bits & 0xFF00FF00u) >> 8u);
    return static_cast<float>(bits) * 2.3283064365386963e-10f;
}

void Basis(Vec3 n, Vec3& t, Vec3& b)
{
    const Vec3 helper = std::fabs(n.y) < 0.999f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    t = Normalize(Cross(helper, n));
    b = Cross(n, t);
}

void PutHalf4(std::vector<std::uint8_t>& out, Vec3 c)
{
    for (float f : {c.x, c.y, c.z, 1.0f})
    {
        const std::uint16_t h = FloatToHalf(f);
        out.push_back(static_cast<std::uint8_t>(h));
        out.push_back(static_cast<std::uint8_t>(h >> 8));
    }
}

} // namespace

Vec3 EnvironmentRadiance(Vec3 d)
{
    const Vec3 zenith{0.03f, 0.07f, 0.22f}, horizon{0.45f, 0.32f, 0.38f},
        ground{0.04f, 0.035f, 0.05f};
    Vec3 c = d.y >= 0 ? Lerp(horizon, zenith, std::sqrt(d.y))
                      : Lerp(horizon * 0.3f, ground, Clamp01(-d.y * 4));
    c = c + Vec3{1.1f, 0.55f, 0.35f} * std::exp(-std::fabs(d.y) * 14.0f); // horizon glow
    for (const Panel& p : Panels())
    {
        const float facing = Dot(d, p.centre);
        if (facing <= 0)
            continue;
        const float x = Dot(d, p.right) / facing, y = Dot(d, p.up) / facing;
        const float edge = 0.04f;
        const float inside = Smoothstep(p.halfRight + edge, p.halfRight - edge, std::fabs(x)) *
                             Smoothstep(p.halfUp + edge, p.halfUp - edge, std::fabs(y));
        c = c + p.colour * inside;
    }
    const Vec3 sun = Normalize({0.35f, 0.55f, 0.75f});
    const float cosSun = Dot(d, sun);
    c = c + Vec3{60, 50, 38} * Smoothstep(0.9994f, 0.9997f, cosSun) +
        Vec3{1.5f, 1.0f, 0.6f} * std::pow(Clamp01(cosSun), 64.0f);
    return c;
}

Vec3 NearestLightPanel(Vec3 d)
{
    const auto& panels = Panels();
    return std::max_element(panels.begin(), panels.end(),
                            [&](const Panel& a, const Panel& b)
                            { return Dot(d, a.centre) < Dot(d, b.centre); })
        ->centre;
}

Vec3 CubeDirection(int face, float x, float y, int size)
{
    const float u = 2 * (x + 0.5f) / static_cast<float>(size) - 1;
    const float v = 2 * (y + 0.5f) / static_cast<float>(size) - 1;
    switch (face)
    {
    case 0:
        return Normalize({1, -v, -u});
    case 1:
        return Normalize({-1, -v, u});
    case 2:
        return Normalize({u, 1, v});
    case 3:
        return Normalize({u, -1, -v});
    case 4:
        return Normalize({u, -v, 1});
    default:
        return Normalize({-u, -v, -1});
    }
}

int FullMipCount(int size)
{
    int levels = 1;
    while (size > 1)
        size /= 2, ++levels;
    return levels;
}

std::vector<std::uint8_t> IrradiancePixels(int size)
{
    // Cosine-weighted integration over a coarse copy of the environment; the fixed sample set
    // keeps the result identical on every run.
    const std::vector<Cube> chain = SourceChain(64);
    const int samples = 1024;
    std::vector<std::uint8_t> out;
    for (int face = 0; face < 6; ++face)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
            {
                const Vec3 n =
                    CubeDirection(face, static_cast<float>(x), static_cast<float>(y), size);
                Vec3 t, b;
                Basis(n, t, b);
                Vec3 sum;
                for (int i = 0; i < samples; ++i)
                {
                    const float u1 = (static_cast<float>(i) + 0.5f) / samples;
                    const float u2 = RadicalInverse(static_cast<std::uint32_t>(i));
                    const float r = std::sqrt(u1), phi = 2 * kPi * u2;
                    const Vec3 dir =
                        t * (r * std::cos(phi)) + b * (r * std::sin(phi)) + n * std::sqrt(1 - u1);
                    sum = sum + SampleLod(chain, Normalize(dir), 2.0f);
                }
                PutHalf4(out, sum * (1.0f / samples));
            }
    return out;
}

std::vector<std::uint8_t> PrefilterPixels(int size, int levels)
{
    const int sourceSize = 128;
    const std::vector<Cube> chain = SourceChain(sourceSize);
    const float texelSolidAngle = 4 * kPi / (6.0f * sourceSize * sourceSize);
    std::vector<std::uint8_t> out;
    for (int face = 0; face < 6; ++face)
    {
        for (int level = 0; level < levels; ++level)
        {
            const int s = size >> level;
            const float roughness = static_cast<float>(level) / static_cast<float>(levels - 1);
            const float a = roughness * roughness, a2 = a * a;
            // Small rough levels take more samples: they cost little and would otherwise show
            // the fixed sample pattern as streaks.
            const int samples = level <= 2 ? 96 : 384;
            for (int y = 0; y < s; ++y)
                for (int x = 0; x < s; ++x)
                {
                    const Vec3 n =
                        CubeDirection(face, static_cast<float>(x), static_cast<float>(y), s);
                    if (level == 0)
                    {
                        // The sharpest level is the environment itself; its panels have soft
                        // edges several texels wide, so one sample per texel does not alias.
                        PutHalf4(out, EnvironmentRadiance(n));
                        continue;
                    }
                    // GGX importance sampling with N = V = R, reading coarser source levels where
                    // a sample stands for a larger solid angle.
                    Vec3 t, b;
                    Basis(n, t, b);
                    Vec3 sum;
                    float weight = 0;
                    for (int i = 0; i < samples; ++i)
                    {
                        const float u1 = (static_cast<float>(i) + 0.5f) / samples;
                        const float u2 = RadicalInverse(static_cast<std::uint32_t>(i));
                        const float phi = 2 * kPi * u2;
                        const float cosTheta = std::sqrt((1 - u1) / (1 + (a2 - 1) * u1));
                        const float sinTheta = std::sqrt(1 - cosTheta * cosTheta);
                        const Vec3 h = t * (sinTheta * std::cos(phi)) +
                                       b * (sinTheta * std::sin(phi)) + n * cosTheta;
                        const Vec3 l = h * (2 * Dot(n, h)) - n;
                        const float nDotL = Dot(n, l);
                        if (nDotL <= 0)
                            continue;
                        const float denom = cosTheta * cosTheta * (a2 - 1) + 1;
                        const float distribution = a2 / (kPi * denom * denom);
                        const float pdf = distribution * 0.25f;
                        const float sampleSolidAngle = 1.0f / (samples * pdf + 1e-6f);
                        const float lod = 0.5f * std::log2(sampleSolidAngle / texelSolidAngle) + 1;
                        sum = sum + SampleLod(chain, Normalize(l), lod) * nDotL;
                        weight += nDotL;
                    }
                    PutHalf4(out, sum * (1.0f / weight));
                }
        }
    }
    return out;
}

} // namespace assets
