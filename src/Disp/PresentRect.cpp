// Letterboxing arithmetic for presenting a fixed-size back buffer on any screen.
#include "PresentRect.h"

#include <cstdint>

PresentRect FitPicture(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || windowWidth <= 0 || windowHeight <= 0)
        return {0, 0, 0, 0};
    // Compared in 64 bits: the products of two 32-bit sides overflow int.
    const std::int64_t wideByWindow = std::int64_t(windowWidth) * pictureHeight;
    const std::int64_t wideByPicture = std::int64_t(pictureWidth) * windowHeight;
    if (wideByWindow >= wideByPicture)
    {
        // Bars left and right (none when the shapes match); the width rounds to nearest.
        const int width = int((wideByPicture + pictureHeight / 2) / pictureHeight);
        return {(windowWidth - width) / 2, 0, width, windowHeight};
    }
    const int height =
        int((std::int64_t(pictureHeight) * windowWidth + pictureWidth / 2) / pictureWidth);
    return {0, (windowHeight - height) / 2, windowWidth, height};
}
