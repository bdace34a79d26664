// One process-wide log, flushed after every message so it survives a fatal exit.
#include "Logger.h"

#include "ErrorBox.h"

#include <cstdarg>

Logger Logger::instance;

Logger::~Logger()
{
    if (file)
    {
        std::fclose(file);
        file = nullptr;
    }
}

void Logger::Print(const char* format, ...)
{
    if (!instance.file)
    {
        instance.file = std::fopen("log.txt", "wt");
        if (!instance.file)
        {
            WriteDebuggerLine("[WARNING] Failed to create log file!\n");
            return;
        }
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(instance.file, format, args);
    va_end(args);
    std::fflush(instance.file);
#if defined(__EMSCRIPTEN__)
    // A page's log is its console.
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
#endif
}

void Logger::Error(const char* format, ...)
{
    va_list args;
    if (instance.file)
    {
        std::fputs("[ERROR] ", instance.file);
        va_start(args, format);
        std::vfprintf(instance.file, format, args);
        va_end(args);
        std::fflush(instance.file);
    }
    char text[2048];
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ShowErrorBox(text, BoxOwner::ForegroundWindow);
}
