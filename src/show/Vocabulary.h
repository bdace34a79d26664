// The names the timeline, the segment scripts and the frame share, so that none of them needs
// another's header for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// A value in [0, 1] from the process's deterministic generator.
using RandomSource = float (*)();

constexpr std::size_t kSpectrumSize = 1024;
// The FFT magnitudes of one frame, index 0 the lowest frequency.
using SpectrumView = std::span<const float, kSpectrumSize>;

// Kind k shows the k-th scene of the load order.
enum SegmentKind : std::int32_t
{
    Rings = 0,
    Scene01 = 1,
    Tunnel = 2,
    Logo = 3,
    Greets = 4,
    Grinder = 5,
    Tarv = 6,
    Sphere = 7,
};
constexpr int kSegmentKindCount = 8;

// The angle helpers of the presentation: double-precision trigonometry on float arguments,
// rounded back to float.
float Sin(float angle);
float Cos(float angle);
