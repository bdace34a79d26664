// The spectrum the program animates with: window position, mix, window function and scale.
#include "Spectrum.h"
#include "AudioTestSupport.h"

#include <gtest/gtest.h>
#include <kiss_fftr.h>

#include <algorithm>
#include <array>
#include <complex>
#include <limits>

namespace
{

using Bins = std::array<float, SpectrumBins>;

Bins SpectrumAt(const std::vector<std::int16_t>& samples, std::uint64_t firstFrame)
{
    Bins bins;
    bins.fill(-1.0f);
    EXPECT_TRUE(ComputeSpectrum(samples.data(), samples.size() / 2, firstFrame, bins.data()));
    return bins;
}

// Straight from the definition, in double precision: mono mix, periodic Hann window, DFT.
Bins ReferenceSpectrum(const std::vector<std::int16_t>& samples, std::uint64_t firstFrame)
{
    std::vector<double> windowed(2048, 0.0);
    for (std::size_t n = 0; n < 2048; ++n)
    {
        const std::uint64_t frame = firstFrame + n;
        if (frame >= samples.size() / 2)
            break;
        const double mono = (samples[2 * frame] + samples[2 * frame + 1]) / 2.0 / 32768.0;
        windowed[n] = mono * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / 2048.0));
    }
    Bins bins;
    for (std::size_t k = 0; k < SpectrumBins; ++k)
    {
        std::complex<double> sum;
        for (std::size_t n = 0; n < 2048; ++n)
            sum += windowed[n] *
                   std::polar(1.0, -2.0 * std::numbers::pi * double(k * n % 2048) / 2048.0);
        bins[k] = static_cast<float>(std::abs(sum) / 1024.0);
    }
    return bins;
}

float Largest(const Bins& bins)
{
    return *std::max_element(bins.begin(), bins.end());
}

TEST(Spectrum, SilenceGivesZeros)
{
    const std::vector<std::int16_t> silence(2 * 4096, 0);
    for (const float value : SpectrumAt(silence, 1000))
        EXPECT_EQ(value, 0.0f);
}

TEST(Spectrum, FullScaleSineOnABinCentreReadsHalfThereAndAQuarterBeside)
{
    for (const int k : {2, 3, 40, 511, 1000})
    {
        SCOPED_TRACE(k);
        std::vector<std::int16_t> samples(2 * 2048, 0);
        AddSine(samples, 0, 2048, BinFrequency(k), 1.0);
        const Bins bins = SpectrumAt(samples, 0);
        EXPECT_NEAR(bins[k], 0.5f, 0.001f);
        // The Hann window's main lobe spans one bin either side, at half height.
        EXPECT_NEAR(bins[k - 1], 0.25f, 0.001f);
        EXPECT_NEAR(bins[k + 1], 0.25f, 0.001f);
        for (int j = 0; j < static_cast<int>(SpectrumBins); ++j)
        {
            if (std::abs(j - k) >= 2)
            {
                EXPECT_LT(bins[j], 0.001f) << "bin " << j;
            }
        }
    }
}

TEST(Spectrum, MixesBothChannelsEqually)
{
    struct Case
    {
        const char* name;
        double left;
        double right;
        float expected;
    };
    for (const Case& c : {Case{"left only", 1.0, 0.0, 0.25f}, Case{"right only", 0.0, 1.0, 0.25f},
                          Case{"both", 0.5, 0.5, 0.25f}, Case{"opposite", 1.0, -1.0, 0.0f}})
    {
        SCOPED_TRACE(c.name);
        std::vector<std::int16_t> samples(2 * 2048, 0);
        AddSine(samples, 0, 2048, BinFrequency(64), c.left, true, false);
        AddSine(samples, 0, 2048, BinFrequency(64), c.right, false, true);
        EXPECT_NEAR(SpectrumAt(samples, 0)[64], c.expected, 0.001f);
    }
}

TEST(Spectrum, MatchesTheDefinitionAtAnyPositionIncludingPastTheEnd)
{
    // A fixed pseudo-random stereo signal: every bin carries something.
    std::vector<std::int16_t> samples(2 * 10000);
    std::uint32_t state = 12345;
    for (auto& sample : samples)
    {
        state = state * 1664525u + 1013904223u;
        sample = static_cast<std::int16_t>(state >> 16);
    }
    for (const std::uint64_t first : {0ull, 1ull, 4321ull, 10000ull - 2048ull, 10000ull - 700ull})
    {
        SCOPED_TRACE(first);
        const Bins actual = SpectrumAt(samples, first);
        const Bins expected = ReferenceSpectrum(samples, first);
        for (std::size_t k = 0; k < SpectrumBins; ++k)
            ASSERT_NEAR(actual[k], expected[k], 1e-6f) << "bin " << k;
    }
}

TEST(Spectrum, SeesOnlyTheWindowStartingAtTheQueriedFrame)
{
    // One second of silence, then a tone on bin 40.
    const std::size_t change = 44100;
    std::vector<std::int16_t> samples(2 * 2 * 44100, 0);
    AddSine(samples, change, samples.size() / 2, BinFrequency(40), 1.0);

    EXPECT_EQ(Largest(SpectrumAt(samples, change - 2048)), 0.0f);
    EXPECT_GT(Largest(SpectrumAt(samples, change - 2047)), 0.0f);
    const float halfIn = SpectrumAt(samples, change - 1024)[40];
    EXPECT_GT(halfIn, 0.1f);
    EXPECT_LT(halfIn, 0.4f);
    EXPECT_NEAR(SpectrumAt(samples, change)[40], 0.5f, 0.001f);
}

TEST(Spectrum, IsZeroFromTheEndOfTheMusicOn)
{
    std::vector<std::int16_t> samples(2 * 3000, 0);
    AddSine(samples, 0, 3000, BinFrequency(10), 1.0);
    for (const std::uint64_t first :
         {std::uint64_t{3000}, std::uint64_t{3001}, std::uint64_t{1} << 40,
          std::numeric_limits<std::uint64_t>::max()})
    {
        SCOPED_TRACE(first);
        EXPECT_EQ(Largest(SpectrumAt(samples, first)), 0.0f);
    }
    EXPECT_GT(SpectrumAt(samples, 2990)[10], 0.0f);
}

TEST(Spectrum, NoSamplesGiveZeros)
{
    Bins bins;
    bins.fill(-1.0f);
    EXPECT_TRUE(ComputeSpectrum(nullptr, 5000, 0, bins.data()));
    EXPECT_EQ(Largest(bins), 0.0f);
    DecodedMusic empty;
    EXPECT_TRUE(ComputeSpectrum(empty, 0, bins.data()));
    EXPECT_EQ(Largest(bins), 0.0f);
}

// The Linux layer computed its spectrum with KissFFT (float) before both platforms shared our
// own FFT: the same window, mix and scale must still read the same within 1e-4.
Bins KissFftSpectrum(const std::vector<std::int16_t>& samples, std::uint64_t firstFrame)
{
    kiss_fftr_cfg config = kiss_fftr_alloc(2048, 0, nullptr, nullptr);
    std::vector<float> input(2048, 0.0f);
    std::vector<kiss_fft_cpx> output(1025);
    for (std::size_t n = 0; n < 2048 && firstFrame + n < samples.size() / 2; ++n)
    {
        const std::size_t frame = firstFrame + n;
        const float window =
            static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / 2048.0));
        input[n] = (float(samples[2 * frame]) + float(samples[2 * frame + 1])) / 65536.0f * window;
    }
    kiss_fftr(config, input.data(), output.data());
    kiss_fftr_free(config);
    Bins bins;
    for (std::size_t k = 0; k < SpectrumBins; ++k)
        bins[k] = std::hypot(output[k].r, output[k].i) / 1024.0f;
    return bins;
}

TEST(Spectrum, EqualsTheKissFftSpectrumOfTheSamePcm)
{
    // Full-scale noise and a loud chord, the two extremes of what music puts in the window.
    std::vector<std::int16_t> samples(2 * 8192);
    std::uint32_t state = 777;
    for (std::size_t i = 0; i < 4096; ++i)
    {
        state = state * 1664525u + 1013904223u;
        samples[2 * i] = static_cast<std::int16_t>(state >> 16);
        samples[2 * i + 1] = static_cast<std::int16_t>(state >> 8);
    }
    for (const int k : {3, 40, 333})
        AddSine(samples, 4096, 8192, BinFrequency(k) + 7.0, 0.3);
    for (const std::uint64_t first : {0ull, 1000ull, 3000ull, 4096ull, 7000ull})
    {
        SCOPED_TRACE(first);
        const Bins ours = SpectrumAt(samples, first);
        const Bins kiss = KissFftSpectrum(samples, first);
        for (std::size_t k = 0; k < SpectrumBins; ++k)
            ASSERT_NEAR(ours[k], kiss[k], 1e-4f) << "bin " << k;
    }
}

} // namespace
