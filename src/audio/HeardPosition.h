// The frame being heard, from two witnesses that each fail in their own way: the device's played
// count can run ahead of real time (Wine's null device takes buffers about 3x too fast) and a
// clock knows nothing of late or starved buffers. The clock runs from the last moment the device
// was not ahead of it, so it starts when the device really starts; the smaller of the two is
// right in both cases. The result never goes back.
#pragma once

#include "Mp3Decoder.h"

#include <algorithm>
#include <cstdint>

class HeardPosition
{
  public:
    explicit HeardPosition(int framesPerSecond = MusicSampleRate) : rate(framesPerSecond) {}

    // `nowSeconds`: a monotonic clock, any origin; `deviceFrames`: frames of the stream the device
    // says it has played.
    std::uint64_t Next(double nowSeconds, std::uint64_t deviceFrames)
    {
        if (!anchored)
        {
            anchored = true;
            anchorSeconds = nowSeconds;
            anchorFrames = 0;
        }
        const double clockFrames =
            static_cast<double>(anchorFrames) + std::max(nowSeconds - anchorSeconds, 0.0) * rate;
        std::uint64_t heard = deviceFrames;
        if (static_cast<double>(deviceFrames) <= clockFrames)
        {
            anchorSeconds = nowSeconds;
            // A device count below what was already reported does not pull the clock back.
            anchorFrames = std::max(deviceFrames, reported);
        }
        else
            heard = static_cast<std::uint64_t>(clockFrames);
        reported = std::max(reported, heard);
        return reported;
    }
    std::uint64_t Reported() const { return reported; }
    void Restart() { *this = HeardPosition{rate}; }

  private:
    int rate;
    bool anchored = false;
    double anchorSeconds = 0.0;
    std::uint64_t anchorFrames = 0;
    std::uint64_t reported = 0;
};

// The frame heard once the device has gone (unplugged, its server or driver failed): a clock from
// the last frame reported, so that the pictures run on to their end as if it still played.
class LostDeviceClock
{
  public:
    bool Lost() const { return lost; }
    // The first call starts the clock, at the music's rate; later ones keep that start.
    void Lose(double nowSeconds, std::uint64_t lastHeardFrame,
              int framesPerSecond = MusicSampleRate)
    {
        if (lost)
            return;
        lost = true;
        lostSeconds = nowSeconds;
        lostFrame = lastHeardFrame;
        rate = framesPerSecond;
    }
    std::uint64_t Frame(double nowSeconds) const
    {
        return lostFrame +
               static_cast<std::uint64_t>(std::max(nowSeconds - lostSeconds, 0.0) * rate);
    }

  private:
    int rate = MusicSampleRate;
    bool lost = false;
    double lostSeconds = 0.0;
    std::uint64_t lostFrame = 0;
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
