// Where the main window is placed in each build.
#include "Window.h"

#include <gtest/gtest.h>

namespace
{
TEST(PlaceMainWindow, WindowedCentresByTheClientSizeAndKeepsTheOuterSize)
{
    // Outer size from a title bar and borders; the centring ignores it.
    const WindowPlacement p = PlaceMainWindow(1920, 1080, false, 1936, 1119, 2560, 1440);
    EXPECT_EQ(p.x, 320);
    EXPECT_EQ(p.y, 180);
    EXPECT_EQ(p.width, 1936);
    EXPECT_EQ(p.height, 1119);
}

TEST(PlaceMainWindow, WindowedOnASmallerScreenGoesNegativeTruncatingTowardsZero)
{
    const WindowPlacement p = PlaceMainWindow(1920, 1080, false, 1936, 1119, 1365, 767);
    EXPECT_EQ(p.x, -277); // -555 / 2
    EXPECT_EQ(p.y, -156); // -313 / 2
}

TEST(PlaceMainWindow, FullscreenIsExactlyTheBuildSizeAtTheOrigin)
{
    for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{2560, 1440}})
    {
        const WindowPlacement p = PlaceMainWindow(w, h, true, w + 16, h + 39, 1024, 768);
        EXPECT_EQ(p.x, 0);
        EXPECT_EQ(p.y, 0);
        EXPECT_EQ(p.width, w);
        EXPECT_EQ(p.height, h);
    }
}
TEST(FitWindowToScreen, KeepsWhatFitsAndOtherwiseTheLargestOfItsShape)
{
    const struct
    {
        int width, height, screenWidth, screenHeight;
        int fittedWidth, fittedHeight;
    } cases[] = {
        {1920, 1080, 2560, 1440, 1920, 1080}, // fits
        {1920, 1080, 1920, 1080, 1920, 1080}, // exactly
        {1920, 1080, 1366, 768, 1365, 768},   // a laptop: the height decides
        {1920, 1080, 1280, 1024, 1280, 720},  // 5:4: the width decides
        {2560, 1440, 0, 0, 2560, 1440},       // a screen of unknown size
    };
    for (const auto& c : cases)
    {
        const WindowSize size = FitWindowToScreen(c.width, c.height, c.screenWidth, c.screenHeight);
        EXPECT_EQ(size.width, c.fittedWidth) << c.screenWidth << "x" << c.screenHeight;
        EXPECT_EQ(size.height, c.fittedHeight) << c.screenWidth << "x" << c.screenHeight;
    }
}

} // namespace
