// ombrel-syncplot: plots what the programs see of the music (spectrum bins, beats, segments) and
// prints per-segment figures for tuning the mix.
#include "Music.h"
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
            "Plots spectrum bins 1-3 at 60 frames a second, the beats the detector counts,\n"
            "the kick onsets and the segment starts; prints figures per segment, the band\n"
            "balance, the beats that land on a kick and the loudness (through ffmpeg).\n");
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
        const std::vector<double> kicks = assets::KickOnsets();
        const auto& segments = assets::TimelineSegments();
        std::printf("length %.3f s\n", static_cast<double>(music.FrameCount()) / music.sampleRate);
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
            const double onKicks = assets::BeatsOnKicks(analysis.beats, kicks, begin, end, 0.06);
            std::printf("%-8s %6.1f-%6.1f beats %3ld (%3.0f %% on a kick)  S1 p10 %.3f p50 %.3f "
                        "p90 %.3f  S3 max %.3f\n",
                        segments[s].name, begin, end, static_cast<long>(beats), 100 * onKicks,
                        b1[b1.size() / 10], b1[b1.size() / 2], b1[b1.size() * 9 / 10], max3);
        }
        for (const assets::BandLevel& band : assets::MeasureBandBalance(music, 20, 120))
            std::printf("%5.0f-%5.0f Hz %+6.1f dB\n", band.low, band.high, band.decibels);
        std::printf("beats on a kick (0-60 ms after its onset), 16.5-137 s: %.0f %%\n",
                    100 * assets::BeatsOnKicks(analysis.beats, kicks, 16.5, 137, 0.06));
        const assets::Loudness loudness = assets::MeasureLoudness(argv[1]);
        std::printf("integrated %.1f LUFS, true peak %.1f dBTP\n", loudness.integratedLufs,
                    loudness.truePeakDbtp);
        assets::WriteSyncPlot(analysis, kicks, font, argv[2]);
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "ombrel-syncplot: %s\n", e.what());
        return 1;
    }
    return 0;
}
