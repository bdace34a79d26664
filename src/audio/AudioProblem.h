// One line about what the audio layer refused or lost, on stderr; on Windows also to the
// debugger's output (a debugger or DebugView shows it), since a program started from Explorer
// has no stderr and our bass.dll writes no log of the program's.
#pragma once

#include <cstdarg>
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#endif

inline void SayAudioProblem(const char* format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    std::fputs(line, stderr);
#if defined(_WIN32)
    OutputDebugStringA(line);
#endif
}
