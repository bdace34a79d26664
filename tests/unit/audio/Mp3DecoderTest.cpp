// Whole-file MP3 decoding: exact length and timing of encoded music, and refusal of bad files.
#include "Mp3Decoder.h"
#include "AudioTestSupport.h"
#include "Spectrum.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace
{

using Mp3Decoder = TempFiles;

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::size_t StrongestBin(const DecodedMusic& music, std::uint64_t firstFrame, float& level)
{
    std::array<float, SpectrumBins> bins{};
    EXPECT_TRUE(ComputeSpectrum(music, firstFrame, bins.data()));
    const auto peak = std::max_element(bins.begin(), bins.end());
    level = *peak;
    return static_cast<std::size_t>(peak - bins.begin());
}

double ChannelRms(const DecodedMusic& music, int channel)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < music.FrameCount(); ++i)
        sum += std::pow(music.samples[2 * i + channel] / 32768.0, 2);
    return std::sqrt(sum / static_cast<double>(music.FrameCount()));
}

TEST_F(Mp3Decoder, GivesBackTheEncodedLengthTimingAndChannels)
{
    // Half a second of silence, then a tone on the left only: where the tone starts shows that
    // the encoder delay is gone, and the quiet right channel that the channels stay in order.
    const std::size_t frames = 2 * 44100 + 123;
    const std::size_t onset = 22050;
    std::vector<std::int16_t> samples(2 * frames, 0);
    AddSine(samples, onset, frames, BinFrequency(40), 0.5, true, false);

    DecodedMusic music;
    ASSERT_TRUE(DecodeMp3File(WriteMp3("tone.mp3", samples).c_str(), music));
    EXPECT_EQ(music.FrameCount(), frames);

    std::size_t heardOnset = 0;
    while (heardOnset < music.FrameCount() && std::abs(music.samples[2 * heardOnset]) < 1000)
        ++heardOnset;
    EXPECT_NEAR(static_cast<double>(heardOnset), static_cast<double>(onset), 32.0);

    // A sine of amplitude 0.5 over three quarters of the file; LAME loses a few per cent of it.
    EXPECT_NEAR(ChannelRms(music, 0), 0.5 / std::sqrt(2.0) * std::sqrt(0.75), 0.03);
    EXPECT_LT(ChannelRms(music, 1), 0.005);

    float level = 0.0f;
    EXPECT_EQ(StrongestBin(music, 44100, level), 40u);
    EXPECT_NEAR(level, 0.125f, 0.01f); // half amplitude on one channel of the mix
}

TEST_F(Mp3Decoder, DuplicatesMonoToBothChannels)
{
    const int frames = 44100;
    std::vector<short> mono(frames);
    for (int i = 0; i < frames; ++i)
        mono[i] =
            static_cast<short>(10000.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 44100.0));
    lame_global_flags* lame = lame_init();
    ASSERT_NE(lame, nullptr);
    lame_set_num_channels(lame, 1);
    lame_set_mode(lame, MONO);
    lame_set_in_samplerate(lame, 44100);
    lame_set_out_samplerate(lame, 44100);
    lame_set_bWriteVbrTag(lame, 0);
    ASSERT_EQ(lame_init_params(lame), 0);
    std::vector<std::uint8_t> mp3(frames * 5 / 4 + 7200 + 16384);
    int size = lame_encode_buffer(lame, mono.data(), mono.data(), frames, mp3.data(),
                                  static_cast<int>(mp3.size()));
    ASSERT_GE(size, 0);
    const int flushed =
        lame_encode_flush(lame, mp3.data() + size, static_cast<int>(mp3.size()) - size);
    ASSERT_GE(flushed, 0);
    lame_close(lame);
    mp3.resize(static_cast<std::size_t>(size + flushed));

    DecodedMusic music;
    ASSERT_TRUE(DecodeMp3File(WriteFile("mono.mp3", mp3).c_str(), music));
    ASSERT_GE(music.FrameCount(), 44100u);
    EXPECT_GT(ChannelRms(music, 0), 0.1);
    for (std::size_t i = 0; i < music.FrameCount(); ++i)
        ASSERT_EQ(music.samples[2 * i], music.samples[2 * i + 1]) << "frame " << i;
}

// An APE tag (version 2, one item) after the audio, as taggers append it.
void AppendApeTag(const std::string& path)
{
    auto field = [](std::vector<std::uint8_t>& out, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    std::vector<std::uint8_t> item;
    field(item, 6);
    field(item, 0);
    for (const char c : std::string("Title\0Ombrel", 12))
        item.push_back(static_cast<std::uint8_t>(c));
    std::vector<std::uint8_t> tag;
    for (const std::uint32_t flags : {0xa0000000u, 0x80000000u})
    {
        std::vector<std::uint8_t> block(std::begin("APETAGEX"), std::end("APETAGEX") - 1);
        field(block, 2000);
        field(block, static_cast<std::uint32_t>(item.size() + 32));
        field(block, 1);
        field(block, flags);
        block.resize(32, 0);
        if (flags == 0xa0000000u)
        {
            tag.insert(tag.end(), block.begin(), block.end());
            tag.insert(tag.end(), item.begin(), item.end());
        }
        else
            tag.insert(tag.end(), block.begin(), block.end());
    }
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(reinterpret_cast<const char*>(tag.data()), static_cast<std::streamsize>(tag.size()));
}

TEST_F(Mp3Decoder, DecodesEveryLayerIIIRateAtItsOwnWithItsLengthAndPitch)
{
    struct Case
    {
        const char* name;
        int rate;
        const char* options;
    };
    const Case cases[] = {
        {"48 kHz stereo VBR with ID3v2, ID3v1 and APE tags", 48000,
         "-ac 2 -q:a 2 -metadata title=Ombrel -id3v2_version 3 -write_id3v1 1"},
        {"32 kHz mono CBR", 32000, "-ac 1 -b:a 96k"},
        {"22.05 kHz stereo (MPEG-2)", 22050, "-ac 2 -b:a 64k"},
        {"16 kHz ABR (MPEG-2)", 16000, "-abr 1 -b:a 48k"},
        {"11.025 kHz (MPEG-2.5)", 11025, "-b:a 32k"},
        {"8 kHz mono (MPEG-2.5)", 8000, "-ac 1 -b:a 16k"},
    };
    for (const Case& c : cases)
    {
        const std::string path = WriteLameTone("tone.mp3", 2.0, c.rate, 40, c.options);
        if (c.rate == 48000)
            AppendApeTag(path);
        DecodedMusic music;
        ASSERT_TRUE(DecodeMp3File(path.c_str(), music)) << c.name;
        EXPECT_EQ(music.sampleRate, c.rate) << c.name;
        EXPECT_NEAR(static_cast<double>(music.FrameCount()), 2.0 * c.rate, 0.002 * c.rate)
            << c.name;
        float level = 0.0f;
        EXPECT_EQ(StrongestBin(music, music.FrameCount() / 2, level), 40u) << c.name;
    }
}

TEST_F(Mp3Decoder, RefusesMissingEmptyTruncatedAndGarbageFiles)
{
    std::vector<std::int16_t> samples(2 * 44100, 0);
    AddSine(samples, 0, 44100, 440.0, 0.5);
    const std::vector<std::uint8_t> good = ReadBytes(WriteMp3("good.mp3", samples));
    ASSERT_GT(good.size(), 2000u);
    auto head = [&](std::size_t size)
    { return std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(size)); };
    std::vector<std::uint8_t> noise(20000);
    std::uint32_t state = 99;
    for (auto& byte : noise)
    {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    const std::string text = "This is not an MP3 file at all, just words. ";
    std::vector<std::uint8_t> words;
    for (int i = 0; i < 200; ++i)
        words.insert(words.end(), text.begin(), text.end());
    // An ID3v2 header that promises a megabyte of tag and then ends.
    const std::vector<std::uint8_t> id3Only = {'I', 'D', '3', 4, 0, 0, 0, 0x40, 0, 0};

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
        {"text", words},
        {"tag only", id3Only},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DecodedMusic music;
        music.samples.assign(10, 1); // must come back empty
        EXPECT_FALSE(DecodeMp3File(WriteFile("bad.mp3", c.bytes).c_str(), music));
        EXPECT_TRUE(music.samples.empty());
    }

    DecodedMusic music;
    EXPECT_FALSE(DecodeMp3File(PathOf("missing.mp3").c_str(), music));
    EXPECT_FALSE(DecodeMp3File(folder.string().c_str(), music));
    EXPECT_FALSE(DecodeMp3File(nullptr, music));
    EXPECT_TRUE(DecodeMp3File(PathOf("good.mp3").c_str(), music));
}

TEST_F(Mp3Decoder, ReadsTheTestToneHelpersFile)
{
    const std::string path = PathOf("helper.mp3");
    const std::string command = std::string(OMBREL_MAKE_TEST_MP3) + " " + path + " 1.5 1000";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    DecodedMusic music;
    ASSERT_TRUE(DecodeMp3File(path.c_str(), music));
    EXPECT_EQ(music.FrameCount(), 66150u);
    float level = 0.0f;
    EXPECT_EQ(StrongestBin(music, 20000, level), 46u); // 1000 Hz × 2048 / 44100 = 46.4
    EXPECT_GT(level, 0.15f);

    const std::string usage = std::string(OMBREL_MAKE_TEST_MP3) + " " + path + " -1 2>/dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(usage.c_str())), 2);
}

} // namespace
