// The generated music as the programs hear it and as a listener does: length, beats per segment
// and on the kicks, sub-bass, silence, the balance of the mix and its loudness.
#include "FrameClock.h"
#include "Music.h"
#include "MusicAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace
{

class GeneratedMusic : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        decoded = new DecodedMusic;
        if (DecodeMp3File(OMBREL_DATA_DIR "/music.mp3", *decoded))
            analysis = new assets::MusicAnalysis(assets::AnalyseMusic(*decoded, 60));
    }
    static void TearDownTestSuite()
    {
        delete analysis;
        delete decoded;
        analysis = nullptr;
        decoded = nullptr;
    }
    static DecodedMusic* decoded;
    static assets::MusicAnalysis* analysis;
};

DecodedMusic* GeneratedMusic::decoded = nullptr;
assets::MusicAnalysis* GeneratedMusic::analysis = nullptr;

// An audio library whose position stops at the end of the stream (the original's does; ours
// count on through silence) must still carry the main loop past the show's end.
TEST_F(GeneratedMusic, RunsPastTheShowsEndSoAPositionStoppingThereEndsTheProgram)
{
    ASSERT_NE(analysis, nullptr) << "music.mp3 does not decode";
    const double seconds = static_cast<double>(decoded->FrameCount()) / MusicSampleRate;
    EXPECT_NEAR(seconds, 152.0, 0.1);
    EXPECT_EQ(decoded->samples.size() % 2, 0u);
    // With a second to spare: such a position may stop short of the stream's last sample.
    EXPECT_TRUE(MusicHasEnded(static_cast<float>(seconds - 1.0)));
}

TEST_F(GeneratedMusic, BeatsFallInEverySegmentFromTheDropToTheFade)
{
    ASSERT_NE(analysis, nullptr);
    const auto& segments = assets::TimelineSegments();
    for (std::size_t s = 1; s < segments.size(); ++s)
    {
        const double begin = segments[s].start;
        const double end = std::min(s + 1 < segments.size() ? segments[s + 1].start : 999.0, 137.0);
        const auto count = std::count_if(analysis->beats.begin(), analysis->beats.end(),
                                         [&](double t) { return t >= begin && t < end; });
        // The break keeps one kick a bar; every other part cuts about once a second.
        EXPECT_GE(count, 4) << segments[s].name << " at " << begin;
    }
    for (double t : analysis->beats)
        EXPECT_LT(t, 147.0) << "beat in the closing silence";
}

TEST_F(GeneratedMusic, SubBassMovesTheSecondBinInTheLoudParts)
{
    ASSERT_NE(analysis, nullptr);
    const auto& segments = assets::TimelineSegments();
    for (std::size_t s = 1; s < segments.size(); ++s)
    {
        const double begin = segments[s].start;
        const double end = std::min(s + 1 < segments.size() ? segments[s + 1].start : 999.0, 137.0);
        std::vector<float> values;
        for (std::size_t i = 0; i < analysis->bin1.size(); ++i)
        {
            const double t = static_cast<double>(i) / analysis->frameRate;
            if (t >= begin && t < end)
                values.push_back(analysis->bin1[i]);
        }
        std::sort(values.begin(), values.end());
        const float median = values[values.size() / 2];
        EXPECT_GT(median, 0.05f) << segments[s].name;
        EXPECT_LT(values[values.size() * 95 / 100], 0.5f) << segments[s].name;
        EXPECT_GT(values.back() - values.front(), 0.05f) << segments[s].name << " does not move";
    }
}

// The cuts land on the kicks: between two kicks bin 3 falls below the beat level, so a beat is
// counted as a kick starts, not a second after the last one whatever the music does.
TEST_F(GeneratedMusic, BeatsAreCountedOnTheKicks)
{
    ASSERT_NE(analysis, nullptr);
    const std::vector<double> kicks = assets::KickOnsets();
    ASSERT_FALSE(kicks.empty());
    int gaps = 0, quiet = 0;
    for (std::size_t k = 0; k + 1 < kicks.size() && kicks[k + 1] <= 137.0; ++k)
    {
        float lowest = 1;
        for (std::size_t i = 0; i < analysis->bin3.size(); ++i)
        {
            const double t = static_cast<double>(i) / analysis->frameRate;
            if (t > kicks[k] && t < kicks[k + 1])
                lowest = std::min(lowest, analysis->bin3[i]);
        }
        ++gaps;
        quiet += lowest < 0.01f;
    }
    const double share = assets::BeatsOnKicks(analysis->beats, kicks, 16.5, 137.0, 0.06);
    std::printf("bin 3 below 0.01 between %d of %d kicks; %.0f %% of the beats from 16.5 s to "
                "137 s come 0-60 ms after a kick's onset\n",
                quiet, gaps, 100 * share);
    EXPECT_EQ(quiet, gaps);
    EXPECT_GE(share, 0.8);
}

// A finished mix on ordinary speakers: the bass band leads, the sub-bass does not outweigh it,
// there is presence and air above 1 kHz, and the level is loud without clipping between samples.
TEST_F(GeneratedMusic, MixIsBalancedAndLeavesHeadroom)
{
    ASSERT_NE(analysis, nullptr);
    const std::vector<assets::BandLevel> bands = assets::MeasureBandBalance(*decoded, 20, 120);
    ASSERT_EQ(bands.size(), 6u);
    const double lowest[6] = {-99, 0, -99, -15, -18, -22}, highest[6] = {0, 0, 99, 99, 99, 99};
    for (std::size_t b = 0; b < bands.size(); ++b)
    {
        std::printf("%5.0f-%5.0f Hz %+6.1f dB\n", bands[b].low, bands[b].high, bands[b].decibels);
        EXPECT_GE(bands[b].decibels, lowest[b]) << bands[b].low << "-" << bands[b].high << " Hz";
        EXPECT_LE(bands[b].decibels, highest[b]) << bands[b].low << "-" << bands[b].high << " Hz";
    }

    // ffmpeg's EBU R128 meter (K-weighted, gated, true peak by oversampling) on the file itself.
    try
    {
        const assets::Loudness loudness = assets::MeasureLoudness(OMBREL_DATA_DIR "/music.mp3");
        std::printf("integrated %.1f LUFS, true peak %.1f dBTP\n", loudness.integratedLufs,
                    loudness.truePeakDbtp);
        EXPECT_GE(loudness.integratedLufs, -14.0);
        EXPECT_LE(loudness.integratedLufs, -10.0);
        EXPECT_LE(loudness.truePeakDbtp, -1.0);
    }
    catch (const std::runtime_error& e)
    {
        FAIL() << e.what();
    }
}

TEST_F(GeneratedMusic, IntroIsQuietAndTheEndIsSilent)
{
    ASSERT_NE(analysis, nullptr);
    const std::size_t from147 = static_cast<std::size_t>(147.0 * MusicSampleRate) * 2;
    const auto loudest = std::max_element(
        decoded->samples.begin() + static_cast<std::ptrdiff_t>(from147), decoded->samples.end(),
        [](std::int16_t a, std::int16_t b) { return std::abs(a) < std::abs(b); });
    EXPECT_LE(std::abs(*loudest), 2);
    // The beat arrives with the second segment; the opening shot is not cut before 15 s.
    EXPECT_TRUE(analysis->beats.empty() || analysis->beats.front() > 15.0);
}

} // namespace
