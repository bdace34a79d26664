// The music's magnitude spectrum at a position, as the player reports it and the capture tool
// computes it on its own clock.
#pragma once

#include "Mp3Decoder.h"

#include <cstddef>
#include <cstdint>

constexpr std::size_t SpectrumWindowFrames = 2048;
constexpr std::size_t SpectrumBins = SpectrumWindowFrames / 2;

// Writes SpectrumBins magnitudes into `out`: the mono mix (L + R) / 2 of the SpectrumWindowFrames
// frames starting at `firstFrame` (zeros past the end of the music), Hann-windowed, as
// |X[k]| / 1024 for k = 0 … 1023. A full-scale sine at the centre of bin k reads about 0.5 there.
// Always succeeds; the result says so for callers written against a fallible FFT.
bool ComputeSpectrum(const std::int16_t* interleavedStereo, std::size_t frameCount,
                     std::uint64_t firstFrame, float* out);
bool ComputeSpectrum(const DecodedMusic& music, std::uint64_t firstFrame, float* out);
