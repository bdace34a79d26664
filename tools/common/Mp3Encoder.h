// MP3 encoding over libmp3lame, shared by the asset generator and the test helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Encodes interleaved 16-bit stereo PCM as a constant-bitrate MP3 at the same sample rate, with a
// LAME info frame first so decoders know the exact length (encoder delay and padding). The output
// depends only on the arguments. Returns false, leaving `out` empty, when LAME rejects the rate or
// bitrate or fails.
bool EncodeMp3(const std::int16_t* interleavedStereo, std::size_t frames, int sampleRate,
               int bitrateKbps, std::vector<std::uint8_t>& out);
