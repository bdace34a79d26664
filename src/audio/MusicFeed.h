// The music as the outputs that fill device buffers hand it over: from its first frame once it
// plays, silence before and past its end. Not thread-safe: the output calls it under its lock.
#pragma once

#include "Mp3Decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

class MusicFeed
{
  public:
    void Play(const DecodedMusic& playing, bool restart)
    {
        if (restart || music != &playing)
            framesFed = 0;
        music = &playing;
    }
    void Stop() { music = nullptr; }
    bool Playing() const { return music != nullptr; }
    // Frames handed to the device since the music started, silence past its end too.
    std::uint64_t FramesFed() const { return framesFed; }

    // Fills `frames` 16-bit stereo frames at `out`.
    void Fill(std::int16_t* out, std::size_t frames)
    {
        std::memset(out, 0, frames * MusicBytesPerFrame);
        if (!music)
            return;
        const std::size_t musicFrames = music->FrameCount();
        if (framesFed < musicFrames)
        {
            const std::size_t count =
                std::min<std::size_t>(frames, musicFrames - static_cast<std::size_t>(framesFed));
            std::memcpy(out, music->samples.data() + framesFed * 2, count * MusicBytesPerFrame);
        }
        framesFed += frames;
    }

  private:
    const DecodedMusic* music = nullptr;
    std::uint64_t framesFed = 0;
};
