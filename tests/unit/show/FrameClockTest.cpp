// When the presentation ends, how it measures time between frames, and the fixed frame clock.
#include "FrameClock.h"
#include "FramePlan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
TEST(MusicHasEnded, ExactlyOneHundredFiftySecondsStillDrawsAndTheFirstFrameAboveEnds)
{
    EXPECT_FALSE(MusicHasEnded(0.0f));
    EXPECT_FALSE(MusicHasEnded(149.99f));
    EXPECT_FALSE(MusicHasEnded(150.0f));
    EXPECT_TRUE(MusicHasEnded(std::nextafter(150.0f, 200.0f)));
    EXPECT_TRUE(MusicHasEnded(150.0167f));
}

TEST(FrameClock, FirstFrameMeasuresFromZeroThenFromThePreviousFrame)
{
    FrameClock clock;
    EXPECT_EQ(clock.Advance(0.5f), 0.5f);
    EXPECT_EQ(clock.Advance(0.52f), 0.52f - 0.5f);
    EXPECT_EQ(clock.Advance(0.52f), 0.0f); // the music position did not move
}
TEST(FramePlan, FrameTimesAndTheLastFrame)
{
    EXPECT_EQ(FrameTime(0, 60), 0.0f);
    EXPECT_EQ(FrameTime(750, 60), 12.5f);
    EXPECT_EQ(NearestFrame(12.5, 60), 750);
    EXPECT_EQ(NearestFrame(12.509, 60), 751);
    // 150 s itself is drawn, nothing after it.
    EXPECT_EQ(LastFrameBy(150.0, 60), 9000);
    EXPECT_EQ(LastFrameBy(150.0, 7), 1050);
    EXPECT_EQ(LastFrameBy(2.0, 10), 20);
    EXPECT_EQ(LastFrameBy(2.05, 10), 20);
    EXPECT_EQ(MusicFrameAt(0.0f, 44100), 0u);
    EXPECT_EQ(MusicFrameAt(1.0f, 44100), 44100u);
    EXPECT_EQ(MusicFrameAt(0.5f, 48000), 24000u);
    EXPECT_EQ(MusicFrameAt(-1.0f, 44100), 0u);
}

TEST(FramePlan, RangesAndMoments)
{
    EXPECT_EQ(PlanFrames(0, 150, {}, 60).size(), 9001u);
    const std::vector<std::int64_t> span = PlanFrames(20, 22, {}, 10);
    ASSERT_EQ(span.size(), 21u);
    EXPECT_EQ(span.front(), 200);
    EXPECT_EQ(span.back(), 220);
    // Moments go to the nearest frame, in order, once each.
    EXPECT_EQ(PlanFrames(0, 150, {72.0, 0.0, 72.01, 150.0}, 4),
              (std::vector<std::int64_t>{0, 288, 600}));
    // The start goes to its nearest frame too; a span between two frames holds none.
    EXPECT_EQ(PlanFrames(10.04, 10.06, {}, 10), (std::vector<std::int64_t>{100}));
    EXPECT_TRUE(PlanFrames(10.07, 10.09, {}, 10).empty());
}
} // namespace
