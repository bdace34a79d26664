// Whole-file MP3 decoding into memory, the music that the player and the capture tool analyse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int MusicSampleRate = 44100;
constexpr int MusicBytesPerFrame = 4; // 16-bit stereo

struct DecodedMusic
{
    std::vector<std::int16_t> samples; // interleaved left, right at MusicSampleRate

    std::size_t FrameCount() const { return samples.size() / 2; }
};

// Decodes the whole file as 16-bit stereo (mono files are duplicated to both channels), with the
// encoder's delay and padding removed when the file says what they are. Files at other sample
// rates than 44.1 kHz are refused rather than resampled. A missing, empty, truncated or
// undecodable file logs one line and returns false with `out` empty.
bool DecodeMp3File(const char* path, DecodedMusic& out);
