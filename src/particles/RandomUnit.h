// The presentation's one source of randomness. It reproduces the Windows C runtime's rand() from
// its default seed on every platform, so every build seeds the same particles and instances.
#pragma once

#include <cstdint>

// The Windows C runtime's rand(): a 32-bit linear congruential state, 15-bit results.
class CrtRandom
{
  public:
    int Next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7fffu);
    }

  private:
    std::uint32_t state = 1; // the runtime's seed before any srand
};

// (rand() mod 32767) / 32767 over the one shared sequence: a value in [0, 32766/32767].
float RandomUnit();
// Starts the shared sequence again from its first value, as a fresh process would.
void RestartRandomUnit();
