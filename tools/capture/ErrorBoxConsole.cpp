// The capture tool's error "box" on Windows: stderr. Linked into the tool itself, these take the
// place of the logger's modal MessageBox, which would hang an unattended capture.
#include "ErrorBox.h"

#include <windows.h>

#include <cstdio>

void ShowErrorBox(const char* text, BoxOwner)
{
    std::fprintf(stderr, "ERROR: %s\n", text);
}

void WriteDebuggerLine(const char* text)
{
    OutputDebugStringA(text);
}

void EndProcess(unsigned int exitCode)
{
    std::fflush(nullptr);
    ExitProcess(exitCode);
}
