// Where the main window goes; shared by the Win32 and SDL windows.
#include "Window.h"

#include <cstdint>

WindowPlacement PlaceMainWindow(int width, int height, bool fullscreen, int outerWidth,
                                int outerHeight, int screenWidth, int screenHeight)
{
    if (fullscreen)
        return {0, 0, width, height};
    return {(screenWidth - width) / 2, (screenHeight - height) / 2, outerWidth, outerHeight};
}

WindowSize FitWindowToScreen(int width, int height, int screenWidth, int screenHeight)
{
    if (screenWidth <= 0 || screenHeight <= 0 || (width <= screenWidth && height <= screenHeight))
        return {width, height};
    // The side that overflows most decides; 64-bit, as 16384 squared overflows an int.
    if (std::int64_t{width} * screenHeight >= std::int64_t{height} * screenWidth)
        return {screenWidth, int(std::int64_t{height} * screenWidth / width)};
    return {int(std::int64_t{width} * screenHeight / height), screenHeight};
}
