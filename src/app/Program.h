// The program's life in three steps, so that a native loop and a browser's frame callback run
// the same start-up, frames and shutdown.
#pragma once

#include "Bass.h"
#include "FrameClock.h"
#include "PresentationRun.h"

struct ProgramRun
{
    HSTREAM stream = 0;
    WindowHandle window = nullptr;
    PresentationRun run;
    FrameClock clock;
    float spectrum[kSpectrumSize] = {};
};

struct ProgramSettings
{
    int width;
    int height;
    bool fullscreen;
    // Called between opening the music and starting the display; null on failure.
    WindowHandle (*createWindow)(int width, int height, bool fullscreen, int display);
    int display = 0;
};

// Start-up in the fixed order, ending with the music playing; false after reporting the failure.
bool StartProgram(ProgramRun& program, const ProgramSettings& settings);
// One frame at the music's position, presented; false once the music has ended.
bool RunProgramFrame(ProgramRun& program);
// Shutdown in the fixed order, after a successful start.
void StopProgram(ProgramRun& program);
