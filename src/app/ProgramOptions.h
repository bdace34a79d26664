// What a viewer may ask of a program on its command line. With no options, the build's own
// picture size, window or fullscreen, on the first screen.
#pragma once

#include "BuildSettings.h"

#include <string>

struct ProgramOptions
{
    bool help = false;
    bool version = false;
    int width = 0;
    int height = 0;
    bool fullscreen = false;
    int display = 0; // the screen, counted from 0
};

// False, with one line in `error`, for an argument it does not take.
bool ParseProgramOptions(int argc, const char* const* argv, const BuildSettings& build,
                         ProgramOptions& options, std::string& error);

// The --help text of the program called `name`.
std::string ProgramUsage(const char* name);
