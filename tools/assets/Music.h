// The presentation's music, synthesized from code: drums, bass, pads and a lead.
#pragma once

#include <cstdint>
#include <vector>

namespace assets
{

constexpr int kMusicSampleRate = 44100;
// Two seconds past the show's end at 150 s, so that an audio library whose position stops at the
// end of the stream still carries the program past it.
constexpr double kMusicSeconds = 152.0;
constexpr int kMusicBitrateKbps = 192;

// Interleaved 16-bit stereo at kMusicSampleRate, kMusicSeconds long; silent from 147 s.
std::vector<std::int16_t> SynthesizeMusic();

// The times at which the track's kicks start, in seconds, in order.
std::vector<double> KickOnsets();

} // namespace assets
