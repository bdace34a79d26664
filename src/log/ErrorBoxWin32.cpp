// Error box on Windows: a modal MessageBoxA, debugger output and ExitProcess.
#include "ErrorBox.h"

#include <windows.h>

void ShowErrorBox(const char* text, BoxOwner owner)
{
    HWND parent = owner == BoxOwner::ForegroundWindow ? GetForegroundWindow() : nullptr;
    MessageBoxA(parent, text, "ERROR", MB_ICONERROR);
}

void WriteDebuggerLine(const char* text)
{
    OutputDebugStringA(text);
}

void EndProcess(unsigned int exitCode)
{
    ExitProcess(exitCode);
}
