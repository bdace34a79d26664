// The main window on Linux: an SDL2 window with an OpenGL surface.
#include "Window.h"

#include "DispGL.h"

#include <SDL.h>

bool QuitRequested = false;

WindowHandle CreateMainWindow(int width, int height, bool fullscreen)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    SetGlContextAttributes();
    if (fullscreen)
    {
        // The whole screen, whatever its size: the display scales the build's picture to it in
        // Present. Created at the screen's size too, because SDL only asks the window manager for
        // the fullscreen state; without one, the window would keep the size given here while SDL
        // reports the screen's.
        SDL_Rect screen{0, 0, width, height};
        SDL_GetDisplayBounds(0, &screen);
        return SDL_CreateWindow("Ombrel", screen.x, screen.y, screen.w, screen.h,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN |
                                    SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI);
    }
    SDL_DisplayMode screen{};
    if (SDL_GetDesktopDisplayMode(0, &screen) != 0)
        screen.w = screen.h = 0;
    // SDL sizes windows by their client area, so the outer size is the client size.
    const WindowPlacement place =
        PlaceMainWindow(width, height, false, width, height, screen.w, screen.h);
    return SDL_CreateWindow("Ombrel", place.x, place.y, place.width, place.height,
                            SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
}

void PumpOneMessage(WindowHandle window)
{
    SDL_Event event;
    if (!SDL_PollEvent(&event))
        return;
    switch (event.type)
    {
    case SDL_KEYUP:
        if (event.key.keysym.sym == SDLK_ESCAPE)
            QuitRequested = true;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE &&
            event.window.windowID == SDL_GetWindowID(window))
        {
            QuitRequested = true;
            // Hidden rather than destroyed: the display still releases its objects through the
            // window's context during shutdown.
            SDL_HideWindow(window);
        }
        break;
    case SDL_QUIT: // the last window closed, or SIGINT/SIGTERM
        QuitRequested = true;
        break;
    default:
        break;
    }
}

void HideCursorOverWindow()
{
    SDL_ShowCursor(SDL_DISABLE);
}

void ShowCursorAgain()
{
    SDL_ShowCursor(SDL_ENABLE);
}

void BeginTimerPeriod() {}

void EndTimerPeriod() {}
