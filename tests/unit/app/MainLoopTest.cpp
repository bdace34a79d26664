// When the main loop ends and how it measures time between frames.
#include "MainLoop.h"

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
} // namespace
