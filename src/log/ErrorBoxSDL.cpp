// Error box on Linux: an SDL message box where a display can show one, else the text on stderr.
#include "ErrorBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace
{
bool DisplayAvailable()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}
} // namespace

void ShowErrorBox(const char* text, BoxOwner owner)
{
    SDL_Window* parent = owner == BoxOwner::ForegroundWindow ? SDL_GetKeyboardFocus() : nullptr;
    if (DisplayAvailable() &&
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "ERROR", text, parent) == 0)
        return;
    std::fprintf(stderr, "ERROR: %s\n", text);
    std::fflush(stderr);
}

void WriteDebuggerLine(const char* text)
{
    std::fputs(text, stderr);
}

void EndProcess(unsigned int exitCode)
{
    // Only the low 8 bits of the code reach a parent process on Linux.
    std::_Exit(static_cast<int>(exitCode));
}
