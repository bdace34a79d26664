// ombrel-make-test-mp3: writes a stereo sine tone as an MP3, for tests that need a music file.
#include "Mp3Encoder.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

namespace
{

constexpr int SampleRate = 44100;
constexpr int BitrateKbps = 128;
constexpr double Amplitude = 0.5; // of full scale, far from clipping after encoding

void PrintUsage(std::FILE* to)
{
    std::fputs("usage: ombrel-make-test-mp3 OUT.mp3 SECONDS [FREQ_HZ]\n"
               "Writes a 44.1 kHz stereo sine tone (default 440 Hz, half of full scale) "
               "as a 128 kbps MP3.\n",
               to);
}

bool ParseNonNegative(const char* text, double limit, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value) && value >= 0.0 && value <= limit;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
    {
        PrintUsage(stdout);
        return 0;
    }
    double seconds = 0.0;
    double frequency = 440.0;
    if (argc < 3 || argc > 4 || !ParseNonNegative(argv[2], 3600.0, seconds) ||
        (argc == 4 && !ParseNonNegative(argv[3], SampleRate / 2.0, frequency)))
    {
        PrintUsage(stderr);
        return 2;
    }

    const auto frames = static_cast<std::size_t>(std::llround(seconds * SampleRate));
    std::vector<std::int16_t> pcm(frames * 2);
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double phase =
            2.0 * std::numbers::pi * frequency * static_cast<double>(i) / SampleRate;
        const auto sample =
            static_cast<std::int16_t>(std::lround(Amplitude * 32767.0 * std::sin(phase)));
        pcm[2 * i] = sample;
        pcm[2 * i + 1] = sample;
    }

    std::vector<std::uint8_t> mp3;
    if (!EncodeMp3(pcm.data(), frames, SampleRate, BitrateKbps, mp3))
    {
        std::fprintf(stderr, "ombrel-make-test-mp3: encoding failed\n");
        return 1;
    }
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file)
    {
        std::fprintf(stderr, "ombrel-make-test-mp3: cannot create %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(mp3.data(), 1, mp3.size(), file) == mp3.size();
    if (std::fclose(file) != 0 || !written)
    {
        std::fprintf(stderr, "ombrel-make-test-mp3: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
