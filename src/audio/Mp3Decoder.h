// Whole-file MP3 decoding into memory, the music that the player and the capture tool analyse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The rate of the show's own music and of BASS_Init's device; a file plays at its own rate.
constexpr int MusicSampleRate = 44100;
constexpr int MusicBytesPerFrame = 4; // 16-bit stereo
// Longer music than this is taken for a hostile file rather than allocated (about 330 MB).
constexpr std::uint64_t MaxMusicFrames = std::uint64_t{30} * 60 * 48000;

struct DecodedMusic
{
    std::vector<std::int16_t> samples; // interleaved left, right at sampleRate
    int sampleRate = MusicSampleRate;  // the file's own: 8 to 48 kHz

    std::size_t FrameCount() const { return samples.size() / 2; }
};

// Decodes the whole file (MPEG-1, 2 or 2.5 Layer III) as 16-bit stereo at its own rate (mono is
// duplicated to both channels), with the encoder's delay and padding removed when the file says
// what they are. A missing, empty, truncated or undecodable file, or one whose rate changes
// inside it, logs one line and returns false with `out` empty.
bool DecodeMp3File(const char* path, DecodedMusic& out);
