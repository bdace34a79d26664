// Error box in a browser: the page shows the text in place of the picture; a fatal error stops
// the program for good, as the end of a process does.
#include "ErrorBox.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstdlib>

EM_JS(void, ShowPageError, (const char* text, unsigned int exitCode, int ending), {
    if (Module['onProgramError'])
        Module['onProgramError'](UTF8ToString(text), ending ? exitCode : null);
});

namespace
{
char lastBox[2048] = {};
} // namespace

void ShowErrorBox(const char* text, BoxOwner)
{
    std::snprintf(lastBox, sizeof lastBox, "%s", text);
    std::fprintf(stderr, "ERROR: %s\n", text);
    ShowPageError(text, 0, 0);
}

void WriteDebuggerLine(const char* text)
{
    std::fputs(text, stderr);
}

void EndProcess(unsigned int exitCode)
{
    ShowPageError(lastBox, exitCode, 1);
    std::abort();
}
