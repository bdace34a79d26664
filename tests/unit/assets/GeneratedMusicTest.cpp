// The generated music as the programs hear it: length, beats per segment, sub-bass and silence.
#include "MusicAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST_F(GeneratedMusic, DecodesToHundredFiftySecondsOfStereo)
{
    ASSERT_NE(analysis, nullptr) << "music.mp3 does not decode";
    const double seconds = static_cast<double>(decoded->FrameCount()) / MusicSampleRate;
    EXPECT_NEAR(seconds, 150.0, 0.1);
    EXPECT_EQ(decoded->samples.size() % 2, 0u);
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
        // A beat a second at most: the cuts follow the music closely in every segment.
        EXPECT_GE(count, static_cast<long>((end - begin) * 0.8))
            << segments[s].name << " at " << begin;
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
        const double begin = segments[s].start, end = std::min(begin + 10.0, 137.0);
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
