// The position rule of our bass.dll: the smaller of the real-time clock and the device's count,
// never going back, and the 32-bit device counter widened across its wrap.
#include "HeardPosition.h"

#include <gtest/gtest.h>

namespace
{

TEST(HeardPosition, FollowsTheSlowerWitnessAndNeverGoesBack)
{
    HeardPosition position;
    struct Step
    {
        const char* name;
        double seconds;
        std::uint64_t device;
        std::uint64_t expected;
    };
    const Step steps[] = {
        {"nothing played yet", 0.0, 0, 0},
        {"device racing ahead (Wine's null device)", 1.0, 3 * 44100, 44100},
        {"still racing", 2.0, 6 * 44100, 2 * 44100},
        {"device starved behind the clock", 3.0, 2 * 44100 + 10, 2 * 44100 + 10},
        {"device reports less than before", 3.5, 1000, 2 * 44100 + 10},
        {"real device a little behind", 4.0, 4 * 44100 - 500, 4 * 44100 - 500},
        {"clock before play began", -1.0, 5 * 44100, 4 * 44100 - 500},
        {"past the end of any music", 7200.0, std::uint64_t{1} << 40, 7200ull * 44100},
    };
    for (const Step& step : steps)
        EXPECT_EQ(position.Next(step.seconds, step.device), step.expected) << step.name;
    position.Restart();
    EXPECT_EQ(position.Next(0.5, 44100), 22050u);
}

TEST(WideCounter, CountsOnAcrossThe32BitWrap)
{
    WideCounter counter;
    EXPECT_EQ(counter.Update(1000), 1000u);
    EXPECT_EQ(counter.Update(0xfffffff0u), 0xfffffff0u);
    EXPECT_EQ(counter.Update(0x10u), 0x100000010u);
    EXPECT_EQ(counter.Total(), 0x100000010u);
}

} // namespace
