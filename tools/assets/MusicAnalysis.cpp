// Spectrum sampling at the frame clock, the beat rule, and the sync plot.
#include "MusicAnalysis.h"

#include "Images.h"
#include "PngFile.h"
#include "Spectrum.h"

#include <cmath>
#include <cstdio>
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
    std::vector<float> spectrum(SpectrumBins);
    double lastBeat = 0;
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
        if (spectrum[3] > 0.01f && t - lastBeat > 1.0)
        {
            analysis.beats.push_back(t);
            lastBeat = t;
        }
    }
    return analysis;
}

void WriteSyncPlot(const MusicAnalysis& analysis, const std::string& fontFile,
                   const std::string& path)
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
    const int beatRow = top + 3 * (panelHeight + 20);
    for (double beat : analysis.beats)
        for (int y = beatRow; y < beatRow + 24; ++y)
            put(xOf(beat), y, 200, 30, 30);
    DrawLabel(image, fontFile, "beats counted (at most one a second)", 13, left, beatRow + 40, 200,
              30, 30);
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
