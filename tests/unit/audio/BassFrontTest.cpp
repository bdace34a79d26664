// The BASS calls over a scripted sound output: what every platform's output gets from them, and
// the position rule over an output that races, stands still or fails.
#include "AudioOutput.h"
#include "AudioTestSupport.h"
#include "Bass.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace
{

struct ScriptedOutput
{
    bool open = false;
    bool started = false;
    const DecodedMusic* playing = nullptr;
    int restarts = 0;
    std::uint64_t framesPlayed = 0;
    bool failed = false;
};
ScriptedOutput script;

class FakeOutput final : public AudioOutput
{
  public:
    bool Open() override { return script.open = true; }
    void Start() override { script.started = true; }
    void Play(const DecodedMusic& music, bool restart) override
    {
        script.playing = &music;
        script.restarts += restart ? 1 : 0;
    }
    void Stop() override { script.playing = nullptr; }
    void Close() override { script.open = false; }
    std::uint64_t FramesPlayed() override { return script.framesPlayed; }
    bool Failed() override { return script.failed; }
};

double Seconds(HSTREAM stream)
{
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE));
}

void Sleep(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

class BassFront : public TempFiles
{
  protected:
    void SetUp() override
    {
        TempFiles::SetUp();
        script = ScriptedOutput{};
        ASSERT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 1);
        stream = BASS_StreamCreateFile(
            0, WriteMp3("music.mp3", std::vector<std::int16_t>(2 * 44100, 0)).c_str(), 0, 0,
            BASS_STREAM_PRESCAN);
        ASSERT_NE(stream, 0u);
        BASS_Start();
        BASS_ChannelPlay(stream, 0);
    }
    void TearDown() override
    {
        BASS_Free();
        TempFiles::TearDown();
    }

    HSTREAM stream = 0;
};

TEST_F(BassFront, DrivesTheOutputAndLetsTheMusicGoOnlyAfterItStops)
{
    EXPECT_TRUE(script.open && script.started);
    ASSERT_NE(script.playing, nullptr);
    EXPECT_EQ(script.playing->FrameCount(), 44100u);
    EXPECT_EQ(BASS_ChannelPlay(stream, 1), 1);
    EXPECT_EQ(script.restarts, 1);
    EXPECT_EQ(BASS_StreamFree(stream), 1);
    EXPECT_EQ(script.playing, nullptr);
    EXPECT_EQ(BASS_Free(), 1);
    EXPECT_FALSE(script.open);
}

TEST_F(BassFront, ThePositionNeverRunsAheadOfTheOutputNorOfRealTimeNorGoesBack)
{
    script.framesPlayed = 4410;
    EXPECT_LE(Seconds(stream), 0.1) << "an output a tenth of a second in at once";
    Sleep(0.2);
    const double caughtUp = Seconds(stream);
    EXPECT_DOUBLE_EQ(caughtUp, 0.1) << "the clock has passed what the output played";
    script.framesPlayed = 10 * 44100; // racing (Wine's null device)
    Sleep(0.2);
    EXPECT_NEAR(Seconds(stream), caughtUp + 0.2, 0.1) << "real time from there, not the output's";
    script.framesPlayed = 0; // a count that went back
    EXPECT_GE(Seconds(stream), caughtUp + 0.2);
}

TEST_F(BassFront, AFailedOutputLeavesThePositionRunningOnTheClockWithOneLine)
{
    EXPECT_EQ(Seconds(stream), 0.0) << "the output has not started";
    script.framesPlayed = 22050;
    Sleep(0.6);
    ASSERT_DOUBLE_EQ(Seconds(stream), 0.5);
    script.failed = true;
    ::testing::internal::CaptureStderr();
    const double atFault = Seconds(stream);
    Sleep(0.3);
    const double later = Seconds(stream);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NEAR(atFault, 0.5, 0.02);
    EXPECT_NEAR(later - atFault, 0.3, 0.1);
    EXPECT_EQ(said, "bass: the sound device failed at 0.50 s; the music's clock runs on\n");
    std::array<float, 1024> spectrum{};
    EXPECT_EQ(BASS_ChannelGetData(stream, spectrum.data(), BASS_DATA_FFT2048), 8192u);
}

} // namespace

std::unique_ptr<AudioOutput> MakeAudioOutput()
{
    return std::make_unique<FakeOutput>();
}
