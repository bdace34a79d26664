// Spectra, reference matrices and a recording scene drawer shared by the timeline tests.
#pragma once

#include "Segments.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

using SpectrumArray = std::array<float, kSpectrumSize>;

inline SpectrumArray SilentSpectrum()
{
    SpectrumArray spectrum{};
    return spectrum;
}

// Every bin different, so a script reading the wrong bin shows up.
inline SpectrumArray RampSpectrum()
{
    SpectrumArray spectrum{};
    for (std::size_t i = 0; i < kSpectrumSize; ++i)
        spectrum[i] = static_cast<float>(i) / 2048.0f;
    return spectrum;
}

inline SpectrumView View(const SpectrumArray& spectrum)
{
    return SpectrumView(spectrum);
}

// Rotation matrices in the row-vector convention, built from the angle directly.
inline Matrix4 RotationY(double a)
{
    const float c = static_cast<float>(std::cos(a));
    const float s = static_cast<float>(std::sin(a));
    return {{{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}}};
}

inline Matrix4 RotationZ(double a)
{
    const float c = static_cast<float>(std::cos(a));
    const float s = static_cast<float>(std::sin(a));
    return {{{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

inline Matrix4 RotationX(double a)
{
    const float c = static_cast<float>(std::cos(a));
    const float s = static_cast<float>(std::sin(a));
    return {{{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}}};
}

// Scale, then roll about Z, then yaw about Y, then the move: the placement of the scripts.
inline Matrix4 ExpectedWorld(Float3 position, double yaw, double roll, Float3 scale)
{
    Matrix4 world = Multiply(RotationZ(roll), RotationY(yaw));
    const float s[3] = {scale.x, scale.y, scale.z};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            world.m[r][c] *= s[r];
    world.m[3][0] = position.x;
    world.m[3][1] = position.y;
    world.m[3][2] = position.z;
    return world;
}

inline Matrix4 ExpectedWorld(Float3 position, double yaw, double roll, float scale)
{
    return ExpectedWorld(position, yaw, roll, Float3{scale, scale, scale});
}

inline ::testing::AssertionResult MatrixNear(const Matrix4& actual, const Matrix4& expected,
                                             float tolerance = 2e-4f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
        {
            const float scale = std::fmax(1.0f, std::fabs(expected.m[r][c]));
            if (!(std::fabs(actual.m[r][c] - expected.m[r][c]) <= tolerance * scale))
                return ::testing::AssertionFailure()
                       << "element [" << r << "][" << c << "] is " << actual.m[r][c]
                       << ", expected " << expected.m[r][c];
        }
    return ::testing::AssertionSuccess();
}

inline bool SameMaterial(const Material& a, const Material& b)
{
    return a.baseColor[0] == b.baseColor[0] && a.baseColor[1] == b.baseColor[1] &&
           a.baseColor[2] == b.baseColor[2] && a.baseColor[3] == b.baseColor[3] &&
           a.specular == b.specular && a.metallic == b.metallic && a.roughness == b.roughness;
}

// The name of the presentation's material a record carries, for readable comparisons.
inline std::string MaterialName(const SegmentObjects& objects, const Material& material)
{
    const struct
    {
        const char* name;
        const Material& material;
    } named[] = {
        {"Tint", objects.TintMaterial},     {"DeepBlue", objects.DeepBlueMaterial},
        {"Bronze", objects.BronzeMaterial}, {"Ink", objects.InkMaterial},
        {"Brass", objects.BrassMaterial},   {"TealMetal", objects.TealMetalMaterial},
    };
    for (const auto& entry : named)
        if (SameMaterial(entry.material, material))
            return entry.name;
    return "unknown";
}

struct DrawRecord
{
    ShaderSet set;
    Material material;
    Matrix4 world;
    std::uint32_t mesh;
};

// Keeps what the last calls bound and writes one record per draw.
class RecordingDrawer : public SceneDrawer
{
  public:
    void BindShaderSet(ShaderSet value) override { set = value; }
    void SetMaterial(const Material& value) override { material = value; }
    void SetWorld(const Matrix4& value) override { world = value; }
    void DrawMesh(std::uint32_t mesh) override
    {
        EXPECT_TRUE(set.has_value() && material.has_value() && world.has_value())
            << "mesh " << mesh << " drawn before its state was set";
        draws.push_back({set.value_or(ShaderSet::Default), material.value_or(Material{}),
                         world.value_or(MakeIdentity()), mesh});
    }

    std::optional<ShaderSet> set;
    std::optional<Material> material;
    std::optional<Matrix4> world;
    std::vector<DrawRecord> draws;
};
