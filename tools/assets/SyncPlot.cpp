// ombrel-syncplot: plots what the programs see of the music (spectrum bins, beats, segments) and
// prints per-segment figures for tuning the mix.
#include "MusicAnalysis.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3 || std::string(argv[1]) == "--help")
    {
        std::fprintf(
            argc < 3 ? stderr : stdout,
            "Usage: ombrel-syncplot MUSIC.mp3 OUT.png [FONT.ttf]\n"
            "Plots spectrum bins 1-3 at 60 frames a second, the beats the detector counts\n"
            "and the segment starts, and prints figures per segment.\n");
        return argc < 3 ? 2 : 0;
    }
    const std::string font = argc > 3 ? argv[3] : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    DecodedMusic music;
    if (!DecodeMp3File(argv[1], music))
    {
        std::fprintf(stderr, "ombrel-syncplot: cannot decode %s\n", argv[1]);
        return 1;
    }
    try
    {
        const assets::MusicAnalysis analysis = assets::AnalyseMusic(music, 60);
        const auto& segments = assets::TimelineSegments();
        std::printf("length %.3f s\n", static_cast<double>(music.FrameCount()) / MusicSampleRate);
        for (std::size_t s = 0; s < segments.size(); ++s)
        {
            const double begin = segments[s].start;
            const double end =
                s + 1 < segments.size() ? segments[s + 1].start : assets::kTimelineEnd;
            std::vector<float> b1;
            float max3 = 0;
            for (std::size_t i = 0; i < analysis.bin1.size(); ++i)
            {
                const double t = static_cast<double>(i) / analysis.frameRate;
                if (t >= begin && t < end)
                {
                    b1.push_back(analysis.bin1[i]);
                    max3 = std::max(max3, analysis.bin3[i]);
                }
            }
            std::sort(b1.begin(), b1.end());
            const auto beats = std::count_if(analysis.beats.begin(), analysis.beats.end(),
                                             [&](double t) { return t >= begin && t < end; });
            std::printf("%-8s %6.1f-%6.1f beats %3ld  S1 p10 %.3f p50 %.3f p90 %.3f  S3 max %.3f\n",
                        segments[s].name, begin, end, static_cast<long>(beats), b1[b1.size() / 10],
                        b1[b1.size() / 2], b1[b1.size() * 9 / 10], max3);
        }
        assets::WriteSyncPlot(analysis, font, argv[2]);
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "ombrel-syncplot: %s\n", e.what());
        return 1;
    }
    return 0;
}
