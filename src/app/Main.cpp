// The native program: start-up, a main loop clocked by the music, orderly shutdown.
#include "BuildSettings.h"
#include "Program.h"
#include "ProgramOptions.h"
#include "Window.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdio>
#include <string>
#endif

namespace
{
int RunPresentation(const ProgramSettings& settings)
{
    BeginTimerPeriod();
    ProgramRun program;
    if (!StartProgram(program, settings))
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
    return RunPresentation({kBuild.width, kBuild.height, kBuild.fullscreen, CreateMainWindow});
}
#else
int main(int argc, char** argv)
{
    const char* name = OMBREL_PROGRAM_NAME;
    ProgramOptions options;
    std::string error;
    if (!ParseProgramOptions(argc, argv, kBuild, options, error))
    {
        std::fprintf(stderr, "%s: %s (see --help)\n", name, error.c_str());
        return 2;
    }
    if (options.help)
    {
        std::fputs(ProgramUsage(name).c_str(), stdout);
        return 0;
    }
    if (options.version)
    {
        std::printf("%s %s\n", name, OMBREL_VERSION);
        return 0;
    }
    return RunPresentation(
        {options.width, options.height, options.fullscreen, CreateMainWindow, options.display});
}
#endif
