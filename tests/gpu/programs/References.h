// CPU references of the GPU formulas, written from their definitions, in 32-bit floats.
#pragma once

#include "ShaderInterface.h"

#include <array>
#include <vector>

struct Vec3
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

float SimplexNoise3DReference(Vec3 v);

// One step of the particle update for a particle; lifetime, velocity and position as stored.
Particle UpdateParticleReference(const Particle& particle, float deltaTime);
// The colour with alpha that the particle vertex program gives a particle.
std::array<float, 4> ParticleColorReference(const Particle& particle);

// An RGBA float image, top row first, sampled like the default sampler at mip 0: bilinear,
// texel centres at (i + 0.5) / size, clamped at the edges.
struct Image
{
    int width = 0;
    int height = 0;
    std::vector<float> rgba;

    Vec3 Sample(float u, float v) const;
    Vec3 Texel(int x, int y) const;
};

struct PostInputs
{
    const Image* scene = nullptr;
    const Image* dirt = nullptr;
    const Image* overlay = nullptr;
    float time = 0.0f;
    float fft = 0.0f;
    float height = 0.0f; // Resolution.y
    float fade = 1.0f;
};

// The film grain n2 at uv; its exact value is too sensitive to the cosine's rounding to be
// compared across devices, so PostPixelReference takes the grain as a parameter.
float PostGrainReference(float u, float v, float time);
float VignetteReference(float u, float v);
float ScanlineReference(float v, float height);
Vec3 PostPixelReference(const PostInputs& inputs, float u, float v, float grain);

struct EnvBrdf
{
    float a;
    float b;
};
EnvBrdf EnvBrdfReference(float roughness, float NdotV);

// Cube maps with one colour per face, in the order +X, -X, +Y, -Y, +Z, -Z.
using CubeFaces = std::array<Vec3, 6>;
int CubeFace(Vec3 direction);

struct PbrInputs
{
    Vec3 worldPos;
    Vec3 normal;
    Vec3 camera;
    Vec3 baseTexel;      // rgb of TexBaseColor
    Vec3 baseColor;      // rgb of MaterialBaseColor
    float metallicTexel; // red of TexMetallic
    float metallic;
    float roughness;
};
Vec3 PbrPixelReference(const PbrInputs& inputs, const CubeFaces& irradiance,
                       const CubeFaces& prefiltered);
