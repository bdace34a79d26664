// The main window on Linux: an SDL2 window with an OpenGL surface.
#include "Window.h"

#include "DispGL.h"

#include <SDL.h>

#include <csignal>
#include <cstdio>

bool QuitRequested = false;

namespace
{
volatile std::sig_atomic_t hangUpReceived = 0;

void OnHangUp(int)
{
    hangUpReceived = 1;
}
} // namespace

WindowHandle CreateMainWindow(int width, int height, bool fullscreen, int display)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    // SDL turns SIGINT and SIGTERM into a quit event; a closed terminal ends the show as politely,
    // unless the caller chose otherwise (nohup, or the capture tool's own handler).
    struct sigaction action = {};
    if (sigaction(SIGHUP, nullptr, &action) == 0 && action.sa_handler == SIG_DFL)
    {
        action.sa_handler = OnHangUp;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGHUP, &action, nullptr);
    }
    if (display >= SDL_GetNumVideoDisplays())
    {
        std::fprintf(stderr, "There is no screen %d (screens are counted from 0).\n", display);
        return nullptr;
    }
    SetGlContextAttributes();
    SDL_Rect screen{0, 0, 0, 0};
    if (SDL_GetDisplayBounds(display, &screen) != 0)
        screen = SDL_Rect{0, 0, fullscreen ? width : 0, fullscreen ? height : 0};
    // SDL finds a window's screen by its position, but screens of their own (X's :0.1) share the
    // first one's coordinates: another screen is named, and SDL centres the window on it.
    const int named = int(SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    if (fullscreen)
    {
        // The whole screen, whatever its size: the display scales the build's picture to it in
        // Present. Created at the screen's size too, because SDL only asks the window manager for
        // the fullscreen state; without one, the window would keep the size given here while SDL
        // reports the screen's.
        return SDL_CreateWindow("Ombrel", display == 0 ? screen.x : named,
                                display == 0 ? screen.y : named, screen.w, screen.h,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN |
                                    SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI);
    }
    // SDL sizes windows by their client area, so the outer size is the client size.
    const WindowSize size = FitWindowToScreen(width, height, screen.w, screen.h);
    const WindowPlacement place = PlaceMainWindow(size.width, size.height, false, size.width,
                                                  size.height, screen.w, screen.h);
    return SDL_CreateWindow("Ombrel", display == 0 ? place.x : named,
                            display == 0 ? place.y : named, place.width, place.height,
                            SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
}

namespace
{
void HandleEvent(const SDL_Event& event, WindowHandle window)
{
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
} // namespace

// Every pending event, not one a frame as on Windows: SDL queues each pointer motion on its own,
// so a moving mouse would keep Escape waiting behind it for as long as it moves.
void PumpMessages(WindowHandle window)
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        HandleEvent(event, window);
    if (hangUpReceived)
        QuitRequested = true;
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
