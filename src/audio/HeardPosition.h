// The frame being heard, from two witnesses that each fail in their own way: the device's played
// count can run ahead of real time (Wine's null device takes buffers about 3x too fast) and the
// clock since play began knows nothing of starved or late buffers. The smaller of the two is
// right in both cases; the result never goes back.
#pragma once

#include "Mp3Decoder.h"

#include <algorithm>
#include <cstdint>

class HeardPosition
{
  public:
    // `elapsedSeconds`: real time since play began; `deviceFrames`: frames of the stream the
    // device says it has played.
    std::uint64_t Next(double elapsedSeconds, std::uint64_t deviceFrames)
    {
        const double clockFrames = std::max(elapsedSeconds, 0.0) * MusicSampleRate;
        const std::uint64_t heard = clockFrames < static_cast<double>(deviceFrames)
                                        ? static_cast<std::uint64_t>(clockFrames)
                                        : deviceFrames;
        reported = std::max(reported, heard);
        return reported;
    }
    void Restart() { reported = 0; }

  private:
    std::uint64_t reported = 0;
};

// A 32-bit sample counter (waveOutGetPosition's) widened to 64 bits: the count wraps after
// about 27 hours at 44.1 kHz.
class WideCounter
{
  public:
    std::uint64_t Update(std::uint32_t raw)
    {
        total += static_cast<std::uint32_t>(raw - last);
        last = raw;
        return total;
    }
    std::uint64_t Total() const { return total; }

  private:
    std::uint32_t last = 0;
    std::uint64_t total = 0;
};
