// Spectrum sampling at the frame clock, the beat rule, and the sync plot.
#include "MusicAnalysis.h"

#include "Images.h"
#include "PngFile.h"
#include "Spectrum.h"
#include "Timeline.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <memory>
#include <numbers>
#include <stdexcept>

namespace assets
{

const std::vector<SegmentMark>& TimelineSegments()
{
    static const std::vector<SegmentMark> segments = {
        {0, "Tarv"},    {16.5, "Scene01"}, {38, "Sphere"},   {50, "Logo"}, {61, "Rings"},
        {83, "Tunnel"}, {95, "Greets"},    {105, "Grinder"}, {127, "Tarv"}};
    return segments;
}

MusicAnalysis AnalyseMusic(const DecodedMusic& music, double frameRate)
{
    MusicAnalysis analysis;
    analysis.frameRate = frameRate;
    static_assert(SpectrumBins == kSpectrumSize);
    std::vector<float> spectrum(SpectrumBins);
    TimelineState state;
    const auto frames = static_cast<std::size_t>(150.0 * frameRate);
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / frameRate;
        const auto position = static_cast<std::uint64_t>(t * MusicSampleRate);
        if (!ComputeSpectrum(music, position, spectrum.data()))
            throw std::runtime_error("the spectrum cannot be computed");
        analysis.bin1.push_back(spectrum[1]);
        analysis.bin2.push_back(spectrum[2]);
        analysis.bin3.push_back(spectrum[3]);
        if (CountBeat(state, static_cast<float>(t), SpectrumView(spectrum.data(), kSpectrumSize)))
            analysis.beats.push_back(t);
    }
    return analysis;
}

namespace
{

// In-place radix-2 FFT; the size is a power of two.
void Fft(std::vector<std::complex<double>>& x)
{
    const std::size_t n = x.size();
    for (std::size_t i = 1, j = 0; i < n; ++i)
    {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1)
    {
        const std::complex<double> step =
            std::polar(1.0, -2 * std::numbers::pi / static_cast<double>(length));
        for (std::size_t i = 0; i < n; i += length)
        {
            std::complex<double> w = 1;
            for (std::size_t k = 0; k < length / 2; ++k, w *= step)
            {
                const std::complex<double> a = x[i + k], b = x[i + k + length / 2] * w;
                x[i + k] = a + b;
                x[i + k + length / 2] = a - b;
            }
        }
    }
}

} // namespace

std::vector<BandLevel> MeasureBandBalance(const DecodedMusic& music, double from, double to)
{
    constexpr std::size_t kWindow = 8192;
    std::vector<double> window(kWindow), power(kWindow / 2, 0.0);
    for (std::size_t n = 0; n < kWindow; ++n)
        window[n] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(n) / kWindow);
    const auto first = static_cast<std::size_t>(from * MusicSampleRate);
    const std::size_t last =
        std::min(music.FrameCount(), static_cast<std::size_t>(to * MusicSampleRate));
    std::vector<std::complex<double>> x(kWindow);
    for (std::size_t start = first; start + kWindow <= last; start += kWindow / 2)
    {
        for (std::size_t n = 0; n < kWindow; ++n)
        {
            const std::size_t i = 2 * (start + n);
            x[n] = window[n] * (music.samples[i] + music.samples[i + 1]) / 65536.0;
        }
        Fft(x);
        for (std::size_t k = 0; k < kWindow / 2; ++k)
            power[k] += std::norm(x[k]);
    }
    auto band = [&](double low, double high)
    {
        double sum = 1e-30;
        for (std::size_t k = 0; k < kWindow / 2; ++k)
        {
            const double hz = static_cast<double>(k) * MusicSampleRate / kWindow;
            if (hz >= low && hz < high)
                sum += power[k];
        }
        return sum;
    };
    const double reference = band(60, 250);
    std::vector<BandLevel> levels;
    for (auto [low, high] : {std::pair{20.0, 60.0},
                             {60.0, 250.0},
                             {250.0, 1000.0},
                             {1000.0, 2000.0},
                             {2000.0, 4000.0},
                             {4000.0, 8000.0}})
        levels.push_back({low, high, 10 * std::log10(band(low, high) / reference)});
    return levels;
}

double BeatsOnKicks(const std::vector<double>& beats, const std::vector<double>& kicks, double from,
                    double to, double tolerance)
{
    int counted = 0, onKick = 0;
    for (double beat : beats)
    {
        if (beat < from || beat >= to)
            continue;
        ++counted;
        // The last kick at or before the beat (a tiny slack for the frame clock's rounding).
        const auto after = std::upper_bound(kicks.begin(), kicks.end(), beat + 1e-6);
        if (after != kicks.begin() && beat - *(after - 1) <= tolerance)
            ++onKick;
    }
    return counted ? static_cast<double>(onKick) / counted : 0.0;
}

Loudness MeasureLoudness(const std::string& path)
{
    // Quoted for the shell, with each ' closed, escaped and reopened.
    std::string quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    const std::string command = "ffmpeg -nostdin -hide_banner -nostats -i " + quoted +
                                " -filter_complex ebur128=peak=true -f null - 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        throw std::runtime_error("cannot run ffmpeg");
    // The summary comes last: "I: ... LUFS" under "Integrated loudness", "Peak: ... dBFS" under
    // "True peak".
    std::string text;
    char line[512];
    while (std::fgets(line, sizeof line, pipe.get()))
        text += line;
    const auto summary = text.rfind("Summary:");
    double integrated = 0, peak = 0;
    const auto i = summary == std::string::npos ? summary : text.find("I:", summary);
    const auto p = summary == std::string::npos ? summary : text.find("Peak:", summary);
    if (i == std::string::npos || p == std::string::npos ||
        std::sscanf(text.c_str() + i, "I: %lf LUFS", &integrated) != 1 ||
        std::sscanf(text.c_str() + p, "Peak: %lf dBFS", &peak) != 1)
        throw std::runtime_error("ffmpeg gave no loudness summary for " + path);
    return {integrated, peak};
}

void WriteSyncPlot(const MusicAnalysis& analysis, const std::vector<double>& kicks,
                   const std::string& fontFile, const std::string& path)
{
    const int width = 1800, height = 760, left = 70, right = 20, panelHeight = 190, top = 40;
    Image image{width, height, 3,
                std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, 250)};
    auto put = [&](int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * width + x) * 3];
        p[0] = r, p[1] = g, p[2] = b;
    };
    const double plotWidth = width - left - right;
    auto xOf = [&](double t) { return left + static_cast<int>(t / 150.0 * plotWidth); };
    // Square-root scale from 0 to 1: small values such as the 0.01 threshold stay visible.
    auto yOf = [&](int panel, double v)
    {
        const double s = std::sqrt(std::min(1.0, std::max(0.0, v)));
        return top + panel * (panelHeight + 20) + panelHeight - static_cast<int>(s * panelHeight);
    };

    const char* names[3] = {"S[1] (sub-bass, tint blue, ring scale)", "S[2] (tint green)",
                            "S[3] (kick; beat when > 0.01)"};
    const std::vector<float>* series[3] = {&analysis.bin1, &analysis.bin2, &analysis.bin3};
    const std::uint8_t colours[3][3] = {{30, 80, 200}, {30, 150, 60}, {200, 90, 20}};
    for (int panel = 0; panel < 3; ++panel)
    {
        for (double grid : {0.01, 0.05, 0.1, 0.25, 0.5, 1.0})
        {
            const int y = yOf(panel, grid);
            for (int x = left; x < width - right; ++x)
                put(x, y, 215, 215, 215);
            char label[16];
            std::snprintf(label, sizeof label, "%.2f", grid);
            DrawLabel(image, fontFile, label, 12, 28, y + 4, 90, 90, 90);
        }
        for (const SegmentMark& mark : TimelineSegments())
            for (int y = yOf(panel, 1.0); y <= yOf(panel, 0.0); ++y)
                put(xOf(mark.start), y, 150, 150, 150);
        const std::vector<float>& values = *series[panel];
        for (std::size_t i = 0; i < values.size(); ++i)
        {
            const double t = static_cast<double>(i) / analysis.frameRate;
            put(xOf(t), yOf(panel, values[i]), colours[panel][0], colours[panel][1],
                colours[panel][2]);
        }
        DrawLabel(image, fontFile, names[panel], 15, left + 6, yOf(panel, 1.0) + 16,
                  colours[panel][0], colours[panel][1], colours[panel][2]);
    }
    // Kick onsets in a row above the counted beats: a cut on the kick has its mark below one.
    const int kickRow = top + 3 * (panelHeight + 20), beatRow = kickRow + 16;
    for (double kick : kicks)
        for (int y = kickRow; y < kickRow + 14; ++y)
            put(xOf(kick), y, 110, 110, 110);
    for (double beat : analysis.beats)
        for (int y = beatRow; y < beatRow + 14; ++y)
            put(xOf(beat), y, 200, 30, 30);
    DrawLabel(image, fontFile, "kick onsets (grey) and beats counted (red, at most one a second)",
              13, left, beatRow + 30, 200, 30, 30);
    for (const SegmentMark& mark : TimelineSegments())
        DrawLabel(image, fontFile, mark.name, 14, xOf(mark.start) + 4, top - 10, 60, 60, 60);
    for (int s = 0; s <= 150; s += 10)
    {
        char label[8];
        std::snprintf(label, sizeof label, "%d s", s);
        DrawLabel(image, fontFile, label, 12, xOf(s) - 8, height - 8, 90, 90, 90);
    }
    std::vector<std::uint8_t> rgba;
    rgba.reserve(image.pixels.size() / 3 * 4);
    for (std::size_t i = 0; i + 2 < image.pixels.size(); i += 3)
        rgba.insert(rgba.end(), {image.pixels[i], image.pixels[i + 1], image.pixels[i + 2], 255});
    if (!WritePngFile(path, rgba.data(), width, height))
        throw std::runtime_error("cannot write " + path);
}

} // namespace assets
