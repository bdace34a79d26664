// The generator's own seeded random numbers, so every run yields the same bytes.
#pragma once

#include <cstdint>

namespace assets
{

// SplitMix64: tiny, well mixed, and identical on every platform.
class Random
{
  public:
    explicit Random(std::uint64_t seed) : state(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }

  private:
    std::uint64_t state;
};

// Hash of integer lattice coordinates to [0, 1), for value noise without tables.
inline float HashUnit(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8DA6B343u ^
                      static_cast<std::uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

} // namespace assets
