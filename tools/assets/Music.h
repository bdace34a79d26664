// The presentation's music, synthesized from code: drums, bass, pads and a lead.
#pragma once

#include <cstdint>
#include <vector>

namespace assets
{

constexpr int kMusicSampleRate = 44100;
constexpr double kMusicSeconds = 150.0;
constexpr int kMusicBitrateKbps = 192;

// Interleaved 16-bit stereo at kMusicSampleRate, kMusicSeconds long; silent from 147 s.
std::vector<std::int16_t> SynthesizeMusic();

// The times at which the track's kicks start, in seconds, in order.
std::vector<double> KickOnsets();

} // namespace assets
