// Where Present puts the back buffer in the window: the picture fills it with bars where the
// shapes differ, never cropped or stretched.
#include "PresentRect.h"

#include <gtest/gtest.h>

namespace
{
TEST(FitPicture, ScalesToTheWindowWithCentredBarsWhereTheShapesDiffer)
{
    struct Case
    {
        int pictureWidth, pictureHeight, windowWidth, windowHeight;
        PresentRect expected;
    };
    const Case cases[] = {
        {1920, 1080, 1920, 1080, {0, 0, 1920, 1080}},   // same size
        {1920, 1080, 2560, 1440, {0, 0, 2560, 1440}},   // enlarged, same shape
        {2560, 1440, 1920, 1080, {0, 0, 1920, 1080}},   // reduced, same shape
        {1920, 1080, 1920, 1200, {0, 60, 1920, 1080}},  // 16:10: bars top and bottom
        {1920, 1080, 1280, 1024, {0, 152, 1280, 720}},  // 5:4
        {1920, 1080, 3440, 1440, {440, 0, 2560, 1440}}, // ultra-wide: bars left and right
        {1920, 1080, 3840, 2160, {0, 0, 3840, 2160}},   // a HiDPI drawable
        {1920, 1080, 1001, 1000, {0, 218, 1001, 563}},  // 563.06 rounds down, the odd bar below
        {2560, 1440, 1366, 768, {0, 0, 1365, 768}},     // 1365.3 wide: one spare column
    };
    for (const Case& c : cases)
    {
        const PresentRect r =
            FitPicture(c.pictureWidth, c.pictureHeight, c.windowWidth, c.windowHeight);
        EXPECT_EQ(r.x, c.expected.x) << c.windowWidth << "x" << c.windowHeight;
        EXPECT_EQ(r.y, c.expected.y) << c.windowWidth << "x" << c.windowHeight;
        EXPECT_EQ(r.width, c.expected.width) << c.windowWidth << "x" << c.windowHeight;
        EXPECT_EQ(r.height, c.expected.height) << c.windowWidth << "x" << c.windowHeight;
    }
}

TEST(FitPicture, NothingWhereEitherSizeIsEmpty)
{
    for (const auto& [ww, wh] : {std::pair{0, 0}, std::pair{1920, 0}, std::pair{-5, 100}})
    {
        const PresentRect r = FitPicture(1920, 1080, ww, wh);
        EXPECT_EQ(r.width * r.height, 0);
    }
    EXPECT_EQ(FitPicture(0, 1080, 1920, 1080).width, 0);
}
} // namespace
