// The MP3 encoder the asset generator relies on for byte-identical music.
#include "Mp3Encoder.h"
#include "AudioTestSupport.h"

#include <gtest/gtest.h>

namespace
{

TEST(Mp3Encoder, SameInputGivesTheSameBytes)
{
    std::vector<std::int16_t> samples(2 * 30000, 0);
    AddSine(samples, 0, 30000, 523.25, 0.7, true, false);
    AddSine(samples, 0, 30000, 659.25, 0.3, false, true);
    std::vector<std::uint8_t> first;
    std::vector<std::uint8_t> second;
    ASSERT_TRUE(EncodeMp3(samples.data(), 30000, 44100, 192, first));
    ASSERT_TRUE(EncodeMp3(samples.data(), 30000, 44100, 192, second));
    EXPECT_GT(first.size(), 30000u * 192 / 8 / 44100);
    EXPECT_EQ(first, second);
}

TEST(Mp3Encoder, RefusesWhatLameCannotEncode)
{
    const std::vector<std::int16_t> samples(2 * 1000, 0);
    struct Case
    {
        const char* name;
        const std::int16_t* pcm;
        int rate;
        int kbps;
    };
    for (const Case& c :
         {Case{"no samples", nullptr, 44100, 128}, Case{"odd rate", samples.data(), 12345, 128},
          Case{"odd bitrate", samples.data(), 44100, 100}})
    {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> out = {1, 2, 3};
        EXPECT_FALSE(EncodeMp3(c.pcm, 1000, c.rate, c.kbps, out));
        EXPECT_TRUE(out.empty());
    }
}

} // namespace
