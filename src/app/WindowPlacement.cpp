// Where the main window goes; shared by the Win32 and SDL windows.
#include "Window.h"

WindowPlacement PlaceMainWindow(int width, int height, bool fullscreen, int outerWidth,
                                int outerHeight, int screenWidth, int screenHeight)
{
    if (fullscreen)
        return {0, 0, width, height};
    return {(screenWidth - width) / 2, (screenHeight - height) / 2, outerWidth, outerHeight};
}
