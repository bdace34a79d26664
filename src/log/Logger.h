// The progress log ("log.txt") and the error box that every subsystem reports through.
#pragma once

#include <cstdio>

#if defined(__GNUC__)
#define OMBREL_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define OMBREL_PRINTF(fmt, args)
#endif

class Logger
{
  public:
    // Appends to "log.txt", opening (and truncating) it on the first call of the run.
    static void Print(const char* format, ...) OMBREL_PRINTF(1, 2);
    // Logs with an "[ERROR] " prefix if the log is open, then shows a modal error box.
    static void Error(const char* format, ...) OMBREL_PRINTF(1, 2);

    ~Logger();

  private:
    static Logger instance;
    std::FILE* file = nullptr; // null until the first Print of the run opens it
};
