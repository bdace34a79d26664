// Benchmarks of the audio layer's CPU work: the per-frame spectrum and the decode at start-up.
#include "Mp3Decoder.h"
#include "Mp3Encoder.h"
#include "Spectrum.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>

namespace
{

std::vector<std::int16_t> TenSecondsOfChord()
{
    const std::size_t frames = 10 * MusicSampleRate;
    std::vector<std::int16_t> samples(2 * frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / MusicSampleRate;
        double value = 0.0;
        for (const double frequency : {65.0, 261.6, 329.6, 392.0, 3000.0})
            value += 0.15 * std::sin(2.0 * std::numbers::pi * frequency * t);
        samples[2 * i] = static_cast<std::int16_t>(value * 32767.0);
        samples[2 * i + 1] = static_cast<std::int16_t>(value * 30000.0);
    }
    return samples;
}

void BM_ComputeSpectrum(benchmark::State& state)
{
    const std::vector<std::int16_t> samples = TenSecondsOfChord();
    std::array<float, SpectrumBins> bins{};
    std::uint64_t frame = 0;
    for (auto _ : state)
    {
        ComputeSpectrum(samples.data(), samples.size() / 2, frame, bins.data());
        benchmark::DoNotOptimize(bins.data());
        frame = (frame + 735) % (samples.size() / 2); // one 60 Hz frame further each time
    }
}
BENCHMARK(BM_ComputeSpectrum);

void BM_DecodeTenSeconds(benchmark::State& state)
{
    const std::vector<std::int16_t> samples = TenSecondsOfChord();
    std::vector<std::uint8_t> mp3;
    if (!EncodeMp3(samples.data(), samples.size() / 2, MusicSampleRate, 192, mp3))
    {
        state.SkipWithError("encoding failed");
        return;
    }
    const std::string path =
        (std::filesystem::temp_directory_path() / "ombrel-bench-10s.mp3").string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(mp3.data(), 1, mp3.size(), file) != mp3.size())
    {
        state.SkipWithError("cannot write the MP3 file");
        if (file)
            std::fclose(file);
        return;
    }
    std::fclose(file);
    for (auto _ : state)
    {
        DecodedMusic music;
        if (!DecodeMp3File(path.c_str(), music))
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(music.samples.data());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_DecodeTenSeconds)->Unit(benchmark::kMillisecond);

void BM_EncodeTenSeconds(benchmark::State& state)
{
    const std::vector<std::int16_t> samples = TenSecondsOfChord();
    for (auto _ : state)
    {
        std::vector<std::uint8_t> mp3;
        EncodeMp3(samples.data(), samples.size() / 2, MusicSampleRate, 192, mp3);
        benchmark::DoNotOptimize(mp3.data());
    }
}
BENCHMARK(BM_EncodeTenSeconds)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
