// What the logger needs from the platform: a modal box, a debugger line and an immediate exit.
#pragma once

enum class BoxOwner
{
    ForegroundWindow,
    None
};

void ShowErrorBox(const char* text, BoxOwner owner);
void WriteDebuggerLine(const char* text);
[[noreturn]] void EndProcess(unsigned int exitCode);
