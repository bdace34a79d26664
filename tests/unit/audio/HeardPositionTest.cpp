// The position rule of our bass.dll: never ahead of the device nor of real time since the device
// started, never going back; and the 32-bit device counter widened across its wrap.
#include "HeardPosition.h"

#include <gtest/gtest.h>

namespace
{

TEST(HeardPosition, RunsAtRealTimeFromWhenTheDeviceStartsAndNeverAheadOfIt)
{
    HeardPosition position;
    struct Step
    {
        const char* name;
        double seconds;
        std::uint64_t device;
        std::uint64_t expected;
    };
    // Times in binary fractions of a second, so the expected frames are exact.
    const Step steps[] = {
        {"play began", 10.0, 0, 0},
        {"device not started yet", 10.25, 0, 0},
        {"device started, racing ahead (Wine's null device)", 10.375, 3 * 5512, 5512},
        {"still racing", 11.375, 3 * 44100, 49612},
        {"starved: the device falls behind the clock", 12.375, 50000, 50000},
        {"racing again, real time from there", 12.875, 10 * 44100, 50000 + 22050},
        {"device reports less than before", 13.0, 1000, 72050},
        {"a real device, a little behind the clock", 13.25, 77050, 77050},
        {"an hour on", 3613.25, std::uint64_t{1} << 40, 77050 + 3600 * 44100},
    };
    for (const Step& step : steps)
        EXPECT_EQ(position.Next(step.seconds, step.device), step.expected) << step.name;
    position.Restart();
    EXPECT_EQ(position.Next(5.0, 0), 0u);
    EXPECT_EQ(position.Next(5.5, 44100), 22050u);
    EXPECT_EQ(position.Next(6.0, 30000), 30000u);
}

TEST(WideCounter, CountsOnAcrossThe32BitWrap)
{
    WideCounter counter;
    EXPECT_EQ(counter.Update(1000), 1000u);
    EXPECT_EQ(counter.Update(0xfffffff0u), 0xfffffff0u);
    EXPECT_EQ(counter.Update(0x10u), 0x100000010u);
    EXPECT_EQ(counter.Total(), 0x100000010u);
}

TEST(LostDeviceClock, RunsAtRealTimeFromTheLastFrameHeardAndKeepsItsFirstStart)
{
    LostDeviceClock clock;
    EXPECT_FALSE(clock.Lost());
    clock.Lose(20.0, 100000);
    clock.Lose(25.0, 0); // the device reporting again changes nothing
    EXPECT_TRUE(clock.Lost());
    EXPECT_EQ(clock.Frame(20.0), 100000u);
    EXPECT_EQ(clock.Frame(19.0), 100000u); // a clock read before the loss does not go back
    EXPECT_EQ(clock.Frame(21.5), 100000u + 66150);
    EXPECT_EQ(clock.Frame(150.0), 100000u + 130 * 44100);
}

} // namespace
