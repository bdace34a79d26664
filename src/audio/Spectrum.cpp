// Hann-windowed FFT magnitudes of the music, the same code on every platform.
#include "Spectrum.h"

#include "Fft.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>

namespace
{

// The FFT, the window and the scratch buffer, one set per thread: the capture tool and the player
// may compute spectra on different threads.
class SpectrumPlan
{
  public:
    SpectrumPlan() : fft(SpectrumWindowFrames)
    {
        for (std::size_t n = 0; n < SpectrumWindowFrames; ++n)
        {
            const double angle = 2.0 * std::numbers::pi * static_cast<double>(n) /
                                 static_cast<double>(SpectrumWindowFrames);
            window[n] = static_cast<float>(0.5 - 0.5 * std::cos(angle));
        }
    }

    void Compute(const std::int16_t* interleavedStereo, std::size_t frameCount,
                 std::uint64_t firstFrame, float* out)
    {
        const std::uint64_t available =
            firstFrame < frameCount ? frameCount - firstFrame : std::uint64_t{0};
        const std::size_t used =
            static_cast<std::size_t>(std::min<std::uint64_t>(available, SpectrumWindowFrames));
        const std::int16_t* frames = interleavedStereo + (used > 0 ? firstFrame * 2 : 0);
        for (std::size_t n = 0; n < used; ++n)
        {
            // Full scale maps to 1.0; the halving of the mix folds into the same factor.
            const float mono =
                (static_cast<float>(frames[2 * n]) + static_cast<float>(frames[2 * n + 1])) /
                65536.0f;
            data[n] = mono * window[n];
        }
        std::fill(data.begin() + used, data.end(), 0.0);

        fft.Forward(data.data());
        for (std::size_t k = 0; k < SpectrumBins; ++k)
            out[k] = static_cast<float>(std::abs(data[k]) / static_cast<double>(SpectrumBins));
    }

  private:
    Fft fft;
    std::array<float, SpectrumWindowFrames> window{};
    std::array<std::complex<double>, SpectrumWindowFrames> data{};
};

} // namespace

bool ComputeSpectrum(const std::int16_t* interleavedStereo, std::size_t frameCount,
                     std::uint64_t firstFrame, float* out)
{
    thread_local SpectrumPlan plan;
    if (!interleavedStereo)
        frameCount = 0;
    plan.Compute(interleavedStereo, frameCount, firstFrame, out);
    return true;
}

bool ComputeSpectrum(const DecodedMusic& music, std::uint64_t firstFrame, float* out)
{
    return ComputeSpectrum(music.samples.data(), music.FrameCount(), firstFrame, out);
}
