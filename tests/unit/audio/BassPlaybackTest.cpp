// The BASS calls on SDL's dummy audio driver (SDL_AUDIODRIVER=dummy), which consumes samples at
// the real-time rate without a sound card.
#include "AudioTestSupport.h"
#include "Bass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

namespace
{

using Clock = std::chrono::steady_clock;
constexpr double BytesPerSecond = 44100.0 * 4;

class BassPlayback : public TempFiles
{
  protected:
    void SetUp() override
    {
        TempFiles::SetUp();
        ASSERT_NE(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
    }
    void TearDown() override
    {
        BASS_Free();
        TempFiles::TearDown();
    }

    // `seconds` of music: silence up to `toneFrom` seconds, then a tone on bin 40.
    HSTREAM OpenTone(double seconds, double toneFrom = 0.0)
    {
        const auto frames = static_cast<std::size_t>(seconds * 44100);
        std::vector<std::int16_t> samples(2 * frames, 0);
        AddSine(samples, static_cast<std::size_t>(toneFrom * 44100), frames, BinFrequency(40), 0.5);
        const std::string path = WriteMp3("music.mp3", samples);
        return BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_PRESCAN);
    }

    static double Seconds(HSTREAM stream)
    {
        return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE));
    }

    static void WaitFor(HSTREAM stream, double seconds)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (Seconds(stream) < seconds && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
};

TEST_F(BassPlayback, PositionAdvancesAtRealTimeSpeedAndNeverGoesBack)
{
    const HSTREAM stream = OpenTone(3.0);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_Start(), 1);
    EXPECT_EQ(BASS_ChannelPlay(stream, 0), 1);
    WaitFor(stream, 0.1);

    const auto start = Clock::now();
    const QWORD startBytes = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
    QWORD previous = startBytes;
    QWORD bytes = startBytes;
    auto now = start;
    while (now - start < std::chrono::seconds(2))
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        bytes = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
        now = Clock::now();
        ASSERT_GE(bytes, previous);
        ASSERT_EQ(bytes % 4, 0u);
        EXPECT_EQ(BASS_Update(0), 1);
        previous = bytes;
    }
    const double wall = std::chrono::duration<double>(now - start).count();
    const double played = static_cast<double>(bytes - startBytes) / BytesPerSecond;
    EXPECT_NEAR(played / wall, 1.0, 0.05) << played << " s played in " << wall << " s";
    EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(stream, 352800), 2.0);
}

// Other rates play at their own: the position in the file's time at real time, its bytes in the
// stream's own format.
TEST_F(BassPlayback, FilesAtOtherRatesPlayAtRealTimeInTheirOwnFormat)
{
    for (const int rate : {48000, 22050})
    {
        const std::string path =
            WriteLameTone("music-" + std::to_string(rate) + ".mp3", 3.0, rate, 40, "-b:a 64k");
        const HSTREAM stream = BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_PRESCAN);
        ASSERT_NE(stream, 0u) << rate;
        EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(stream, QWORD(rate) * 4), 1.0) << rate;
        EXPECT_EQ(BASS_Start(), 1);
        EXPECT_EQ(BASS_ChannelPlay(stream, 1), 1);
        WaitFor(stream, 0.1);
        const auto start = Clock::now();
        const double from = Seconds(stream);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const double played = Seconds(stream) - from;
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        EXPECT_NEAR(played / wall, 1.0, 0.05) << rate << ": " << played << " s in " << wall;
        std::array<float, 1024> bins{};
        ASSERT_NE(BASS_ChannelGetData(stream, bins.data(), BASS_DATA_FFT2048), DWORD(-1));
        EXPECT_EQ(std::max_element(bins.begin(), bins.end()) - bins.begin(), 40) << rate;
        EXPECT_EQ(BASS_StreamFree(stream), 1);
    }
}

TEST_F(BassPlayback, StaysAtZeroUntilTheStreamPlays)
{
    const HSTREAM stream = OpenTone(1.0);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_Start(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 0u);
    EXPECT_EQ(BASS_ChannelPlay(stream, 0), 1);
    WaitFor(stream, 0.05);
    EXPECT_GE(Seconds(stream), 0.05);
}

TEST_F(BassPlayback, SpectrumFollowsWhatIsHeard)
{
    const HSTREAM stream = OpenTone(3.0, 1.0);
    ASSERT_NE(stream, 0u);
    BASS_Start();
    BASS_ChannelPlay(stream, 0);
    std::array<float, 1024> spectrum{};
    EXPECT_EQ(BASS_ChannelGetData(stream, spectrum.data(), BASS_DATA_FFT2048), 8192u);
    EXPECT_LT(spectrum[40], 0.01f) << "the first second is silent";

    WaitFor(stream, 1.2);
    BASS_ChannelGetData(stream, spectrum.data(), BASS_DATA_FFT2048);
    EXPECT_EQ(std::max_element(spectrum.begin(), spectrum.end()) - spectrum.begin(), 40);
    EXPECT_NEAR(spectrum[40], 0.25f, 0.02f);

    constexpr DWORD Fft1024 = 0x80000002;
    EXPECT_EQ(BASS_ChannelGetData(stream, spectrum.data(), Fft1024), ~DWORD{0});
    EXPECT_EQ(BASS_ChannelGetData(stream + 1, spectrum.data(), BASS_DATA_FFT2048), ~DWORD{0});
}

TEST_F(BassPlayback, KeepsCountingSilenceAfterTheEnd)
{
    // The program ends on the position passing a time; a shorter track must still get there.
    const HSTREAM stream = OpenTone(0.3);
    ASSERT_NE(stream, 0u);
    BASS_Start();
    BASS_ChannelPlay(stream, 0);
    WaitFor(stream, 0.6);
    EXPECT_GE(Seconds(stream), 0.6);
    std::array<float, 1024> spectrum{};
    BASS_ChannelGetData(stream, spectrum.data(), BASS_DATA_FFT2048);
    EXPECT_EQ(*std::max_element(spectrum.begin(), spectrum.end()), 0.0f);
}

TEST_F(BassPlayback, OneStreamAtATimeWithFreshHandles)
{
    const HSTREAM first = OpenTone(0.5);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(OpenTone(0.5), 0u) << "a second stream while the first is open";
    EXPECT_EQ(BASS_StreamFree(first), 1);
    EXPECT_EQ(BASS_StreamFree(first), 0);
    EXPECT_EQ(BASS_ChannelPlay(first, 0), 0);
    EXPECT_EQ(BASS_ChannelGetPosition(first, BASS_POS_BYTE), ~QWORD{0});
    EXPECT_LT(BASS_ChannelBytes2Seconds(first, 0), 0.0);

    const HSTREAM second = OpenTone(0.5);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(BASS_ChannelGetPosition(second, 1 /* not a byte position */), ~QWORD{0});
}

TEST_F(BassPlayback, RefusesBadFilesAndArguments)
{
    EXPECT_EQ(BASS_StreamCreateFile(0, PathOf("missing.mp3").c_str(), 0, 0, BASS_STREAM_PRESCAN),
              0u);
    const std::string garbage = WriteFile("garbage.mp3", std::vector<std::uint8_t>(5000, 0xAB));
    EXPECT_EQ(BASS_StreamCreateFile(0, garbage.c_str(), 0, 0, BASS_STREAM_PRESCAN), 0u);
    EXPECT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0) << "already initialised";
}

TEST(BassLifecycle, InitsAgainAfterFreeAndRefusesOtherDevicesAndRates)
{
    EXPECT_EQ(BASS_Init(-1, 48000, 0, nullptr, nullptr), 0);
    EXPECT_EQ(BASS_Init(3, 44100, 0, nullptr, nullptr), 0);
    for (int round = 0; round < 2; ++round)
    {
        ASSERT_NE(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
        EXPECT_EQ(BASS_Start(), 1);
        EXPECT_EQ(BASS_Free(), 1);
        EXPECT_EQ(BASS_Free(), 0);
    }
}

} // namespace
