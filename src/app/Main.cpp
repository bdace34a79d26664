// The native program: start-up, a main loop clocked by the music, orderly shutdown.
#include "BuildSettings.h"
#include "Program.h"
#include "Window.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace
{
int RunPresentation()
{
    BeginTimerPeriod();
    ProgramRun program;
    if (!StartProgram(program, {kBuild.width, kBuild.height, kBuild.fullscreen, CreateMainWindow}))
        return 1;
    for (;;)
    {
        PumpMessages(program.window);
        HideCursorOverWindow();
        if (QuitRequested || !RunProgramFrame(program))
            break;
    }
    StopProgram(program);
    ShowCursorAgain();
    EndTimerPeriod();
    return 0;
}
} // namespace

#if defined(_WIN32)
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunPresentation();
}
#else
int main()
{
    return RunPresentation();
}
#endif
