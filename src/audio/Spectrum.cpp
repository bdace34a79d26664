// Hann-windowed FFT magnitudes of the music with KissFFT.
#include "Spectrum.h"

#include "Logger.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace
{

// The FFT plan, its scratch buffers and the window, one set per thread because KissFFT writes
// into its plan while transforming.
class SpectrumPlan
{
  public:
    SpectrumPlan() : config(kiss_fftr_alloc(SpectrumWindowFrames, 0, nullptr, nullptr))
    {
        for (std::size_t n = 0; n < SpectrumWindowFrames; ++n)
        {
            const double angle = 2.0 * std::numbers::pi * static_cast<double>(n) /
                                 static_cast<double>(SpectrumWindowFrames);
            window[n] = static_cast<float>(0.5 - 0.5 * std::cos(angle));
        }
    }
    ~SpectrumPlan() { kiss_fftr_free(config); }
    SpectrumPlan(const SpectrumPlan&) = delete;
    SpectrumPlan& operator=(const SpectrumPlan&) = delete;

    bool IsReady() const { return config != nullptr; }

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
            input[n] = mono * window[n];
        }
        std::fill(input.begin() + used, input.end(), 0.0f);

        kiss_fftr(config, input.data(), output.data());
        for (std::size_t k = 0; k < SpectrumBins; ++k)
            out[k] = std::hypot(output[k].r, output[k].i) / static_cast<float>(SpectrumBins);
    }

  private:
    kiss_fftr_cfg config;
    std::array<float, SpectrumWindowFrames> window{};
    std::array<float, SpectrumWindowFrames> input{};
    std::array<kiss_fft_cpx, SpectrumWindowFrames / 2 + 1> output{};
};

} // namespace

bool ComputeSpectrum(const std::int16_t* interleavedStereo, std::size_t frameCount,
                     std::uint64_t firstFrame, float* out)
{
    thread_local SpectrumPlan plan;
    if (!plan.IsReady())
    {
        Logger::Print("Failed to set up the spectrum FFT\n");
        std::fill_n(out, SpectrumBins, 0.0f);
        return false;
    }
    if (!interleavedStereo)
        frameCount = 0;
    plan.Compute(interleavedStereo, frameCount, firstFrame, out);
    return true;
}

bool ComputeSpectrum(const DecodedMusic& music, std::uint64_t firstFrame, float* out)
{
    return ComputeSpectrum(music.samples.data(), music.FrameCount(), firstFrame, out);
}
