// Where the back buffer goes in a window of another size: scaled to fit, aspect ratio kept.
#pragma once

struct PresentRect
{
    int x; // from the left edge of the window, in its pixels
    int y; // from the top edge
    int width;
    int height;
};

// The largest rectangle of the picture's shape inside the window, centred; the rest of the window
// stays black. Empty when either size is not positive (a minimised window has no drawable).
PresentRect FitPicture(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight);
