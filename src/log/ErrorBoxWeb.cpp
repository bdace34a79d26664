// Error box in a browser: the page shows the text in place of the picture; a fatal error stops
// the program for good, as the end of a process does.
#include "ErrorBox.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstdlib>

// The page shows the text; with an exit code, the program has ended after the last text shown.
EM_JS(void, ShowPageError, (const char* text, unsigned int exitCode, int ending), {
    if (Module['onProgramError'])
        Module['onProgramError'](text ? UTF8ToString(text) : null, ending ? exitCode : null);
});

void ShowErrorBox(const char* text, BoxOwner)
{
    std::fprintf(stderr, "ERROR: %s\n", text);
    ShowPageError(text, 0, 0);
}

void WriteDebuggerLine(const char* text)
{
    std::fputs(text, stderr);
}

void EndProcess(unsigned int exitCode)
{
    ShowPageError(nullptr, exitCode, 1);
    std::abort();
}
