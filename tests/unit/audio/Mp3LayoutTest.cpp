// The MP3 layout our bass.dll decodes by: it must cut the same music out of the codec's output as
// libmpg123 does on Linux, and refuse bad files without reading outside them.
#include "Mp3Layout.h"
#include "AudioTestSupport.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <algorithm>
#include <memory>

namespace
{

using Mp3LayoutTest = TempFiles;

std::vector<std::uint8_t> Encode(std::size_t frames)
{
    std::vector<std::int16_t> samples(2 * frames, 0);
    AddSine(samples, 0, frames, 440.0, 0.5);
    std::vector<std::uint8_t> mp3;
    EXPECT_TRUE(EncodeMp3(samples.data(), frames, MusicSampleRate, 128, mp3));
    return mp3;
}

bool Read(const std::vector<std::uint8_t>& bytes, Mp3Layout& layout)
{
    const char* error = nullptr;
    const bool ok = ReadMp3Layout(bytes.data(), bytes.size(), layout, error);
    EXPECT_EQ(ok, error == nullptr);
    if (ok)
    {
        EXPECT_LE(layout.end, bytes.size());
        EXPECT_LT(layout.firstFrame, layout.end);
        EXPECT_LE(layout.skipSamples + layout.musicSamples,
                  std::uint64_t{layout.frameCount} * layout.samplesPerFrame + Mp3DecoderDelay);
    }
    return ok;
}

TEST_F(Mp3LayoutTest, KeepsTheSameMusicAsLibmpg123WithOrWithoutATagInFront)
{
    for (const std::size_t frames :
         {std::size_t{1}, std::size_t{1152}, std::size_t{44100}, std::size_t{2 * 44100 + 123}})
    {
        SCOPED_TRACE(frames);
        std::vector<std::uint8_t> mp3 = Encode(frames);
        DecodedMusic music;
        ASSERT_TRUE(DecodeMp3File(WriteFile("tone.mp3", mp3).c_str(), music));
        Mp3Layout layout;
        ASSERT_TRUE(Read(mp3, layout));
        EXPECT_EQ(layout.musicSamples, music.FrameCount());
        EXPECT_EQ(layout.musicSamples, frames);
        ASSERT_EQ(layout.runs.size(), 1u);
        EXPECT_EQ(layout.runs[0].channels, 2u);
        EXPECT_EQ(layout.runs[0].bitrateKbps, 128u);
        EXPECT_GE(layout.skipSamples, Mp3DecoderDelay);

        // An ID3v2 tag of 300 bytes (size in 7-bit bytes) moves the frames, nothing else.
        // Sync-like bytes inside the tag must not pass for a frame.
        std::vector<std::uint8_t> tagged(310 + mp3.size(), 0xff);
        const std::uint8_t id3[] = {'I', 'D', '3', 4, 0, 0, 0, 0, 2, 44};
        std::copy(std::begin(id3), std::end(id3), tagged.begin());
        std::copy(mp3.begin(), mp3.end(), tagged.begin() + 310);
        Mp3Layout moved;
        ASSERT_TRUE(Read(tagged, moved));
        EXPECT_EQ(moved.firstFrame, layout.firstFrame + 310);
        EXPECT_EQ(moved.musicSamples, layout.musicSamples);
        EXPECT_EQ(moved.skipSamples, layout.skipSamples);
    }
}

TEST_F(Mp3LayoutTest, EveryVersionAndRateKeepsTheSameMusicAsLibmpg123)
{
    struct Case
    {
        int rate;
        std::uint32_t channels;
        std::uint32_t samplesPerFrame;
        const char* options;
    };
    const Case cases[] = {{48000, 2, 1152, "-ac 2 -q:a 2 -id3v2_version 3 -write_id3v1 1"},
                          {32000, 1, 1152, "-ac 1 -b:a 96k"},
                          {22050, 2, 576, "-ac 2 -b:a 64k"},
                          {16000, 2, 576, "-ac 2 -abr 1 -b:a 48k"},
                          {11025, 2, 576, "-ac 2 -b:a 32k"},
                          {8000, 1, 576, "-ac 1 -b:a 16k"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.rate);
        const std::string path = WriteLameTone("tone.mp3", 1.0, c.rate, 40, c.options);
        std::ifstream file(path, std::ios::binary);
        const std::vector<std::uint8_t> mp3{std::istreambuf_iterator<char>(file),
                                            std::istreambuf_iterator<char>()};
        DecodedMusic music;
        ASSERT_TRUE(DecodeMp3File(path.c_str(), music));
        Mp3Layout layout;
        ASSERT_TRUE(Read(mp3, layout));
        EXPECT_EQ(layout.sampleRate, std::uint32_t(c.rate));
        ASSERT_EQ(layout.runs.size(), 1u);
        EXPECT_EQ(layout.runs[0].channels, c.channels);
        EXPECT_EQ(layout.samplesPerFrame, c.samplesPerFrame);
        EXPECT_EQ(layout.musicSamples, music.FrameCount());
    }
}

TEST_F(Mp3LayoutTest, TracksJoinedInMonoAndStereoAreRunsOfTheirOwnAndAllTheMusic)
{
    // As a concatenation of files makes them: no tags or info frames in the joins.
    std::vector<std::uint8_t> joined;
    const char* const tracks[] = {"-ac 1 -b:a 64k", "-ac 2 -b:a 128k", "-ac 1 -b:a 48k"};
    for (const char* options : tracks)
    {
        std::ifstream file(WriteLameTone("track.mp3", 0.5, 32000, 40,
                                         std::string(options) + " -write_xing 0 -id3v2_version 0"),
                           std::ios::binary);
        joined.insert(joined.end(), std::istreambuf_iterator<char>(file),
                      std::istreambuf_iterator<char>());
    }
    Mp3Layout layout;
    ASSERT_TRUE(Read(joined, layout));
    ASSERT_EQ(layout.runs.size(), 3u);
    std::uint32_t frames = 0;
    for (std::size_t i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(i);
        const Mp3ChannelRun& run = layout.runs[i];
        EXPECT_EQ(run.channels, i == 1 ? 2u : 1u);
        EXPECT_EQ(run.begin, i == 0 ? layout.firstFrame : layout.runs[i - 1].end);
        EXPECT_GT(run.frameCount, 10u);
        frames += run.frameCount;
    }
    EXPECT_EQ(layout.runs.back().end, layout.end);
    EXPECT_EQ(frames, layout.frameCount);
    DecodedMusic music;
    ASSERT_TRUE(DecodeMp3File(WriteFile("joined.mp3", joined).c_str(), music));
    EXPECT_EQ(layout.musicSamples, music.FrameCount());

    // A stream that switches with every frame is refused, not opened as thousands of streams.
    std::vector<std::uint8_t> flickering;
    const std::size_t monoFrame = layout.runs[0].firstFrameBytes;
    const std::size_t stereoFrame = layout.runs[1].firstFrameBytes;
    for (std::size_t i = 0; i < Mp3MaxChannelRuns; ++i)
    {
        const auto from = joined.begin() + static_cast<long>(layout.runs[0].begin);
        const auto stereo = joined.begin() + static_cast<long>(layout.runs[1].begin);
        flickering.insert(flickering.end(), from, from + static_cast<long>(monoFrame));
        flickering.insert(flickering.end(), stereo, stereo + static_cast<long>(stereoFrame));
    }
    const char* error = nullptr;
    EXPECT_FALSE(ReadMp3Layout(flickering.data(), flickering.size(), layout, error));
    EXPECT_STREQ(error, "the channel count changes too often inside the file");
}

TEST_F(Mp3LayoutTest, WithoutAnInfoFrameEveryDecodedSampleIsMusic)
{
    const int frames = 44100;
    std::vector<short> mono(frames, 0);
    lame_global_flags* lame = lame_init();
    ASSERT_NE(lame, nullptr);
    lame_set_num_channels(lame, 1);
    lame_set_mode(lame, MONO);
    lame_set_in_samplerate(lame, 44100);
    lame_set_out_samplerate(lame, 44100);
    lame_set_bWriteVbrTag(lame, 0);
    ASSERT_EQ(lame_init_params(lame), 0);
    std::vector<std::uint8_t> mp3(frames * 5 / 4 + 7200 + 16384);
    const int size = lame_encode_buffer(lame, mono.data(), mono.data(), frames, mp3.data(),
                                        static_cast<int>(mp3.size()));
    const int flushed =
        lame_encode_flush(lame, mp3.data() + size, static_cast<int>(mp3.size()) - size);
    lame_close(lame);
    ASSERT_GE(size, 0);
    ASSERT_GE(flushed, 0);
    mp3.resize(static_cast<std::size_t>(size + flushed));

    DecodedMusic music;
    ASSERT_TRUE(DecodeMp3File(WriteFile("mono.mp3", mp3).c_str(), music));
    Mp3Layout layout;
    ASSERT_TRUE(Read(mp3, layout));
    ASSERT_EQ(layout.runs.size(), 1u);
    EXPECT_EQ(layout.runs[0].channels, 1u);
    EXPECT_EQ(layout.firstFrame, 0u);
    EXPECT_EQ(layout.skipSamples, 0u);
    EXPECT_EQ(layout.musicSamples, std::uint64_t{layout.frameCount} * layout.samplesPerFrame);
    EXPECT_EQ(layout.musicSamples, music.FrameCount());
}

TEST_F(Mp3LayoutTest, RefusesWhatLibmpg123RefusesWithoutReadingOutsideTheBytes)
{
    const std::vector<std::uint8_t> good = Encode(44100);
    auto head = [&](std::size_t size)
    { return std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(size)); };
    std::vector<std::uint8_t> noise(20000);
    std::uint32_t state = 99;
    for (auto& byte : noise)
    {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    // A header alone, a header whose frame runs past the end, a tag promising more than there is.
    const std::vector<std::uint8_t> header = {0xff, 0xfb, 0x90, 0x64};
    std::vector<std::uint8_t> shortFrame = header;
    shortFrame.resize(200, 0);
    const std::vector<std::uint8_t> id3Only = {'I', 'D', '3', 4, 0, 0, 0, 0x40, 0, 0};
    // The info frame alone: no audio after it.
    Mp3Layout layout;
    ASSERT_TRUE(Read(good, layout));
    const std::vector<std::uint8_t> infoOnly = head(layout.firstFrame);

    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"first bytes only", head(300)},
        {"first half", head(good.size() / 2)},
        {"last frame cut short", head(good.size() - 100)},
        {"one byte short", head(good.size() - 1)},
        {"noise", noise},
        {"header only", header},
        {"frame cut short", shortFrame},
        {"tag only", id3Only},
        {"info frame only", infoOnly},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        // A copy of exactly the case's size, so AddressSanitizer sees any read past it.
        const auto bytes = std::make_unique<std::uint8_t[]>(c.bytes.size());
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.get());
        const char* error = nullptr;
        EXPECT_FALSE(
            ReadMp3Layout(c.bytes.empty() ? nullptr : bytes.get(), c.bytes.size(), layout, error));
        EXPECT_NE(error, nullptr);
        DecodedMusic music;
        EXPECT_FALSE(DecodeMp3File(WriteFile("bad.mp3", c.bytes).c_str(), music));
    }
}

} // namespace
