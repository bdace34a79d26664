// The programs' command line: no exceptions here, unlike the tools' parsers.
#include "ProgramOptions.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace
{
// A whole number in [least, most], and nothing after it.
bool ReadNumber(const char* text, int least, int most, int& value, const char** end = nullptr)
{
    char* after = nullptr;
    errno = 0;
    const long number = std::strtol(text, &after, 10);
    if (!std::isdigit(static_cast<unsigned char>(*text)) || errno != 0 || number < least ||
        number > most || (!end && *after != '\0'))
        return false;
    if (end)
        *end = after;
    value = static_cast<int>(number);
    return true;
}

bool ReadSize(const char* text, int& width, int& height)
{
    const char* after = nullptr;
    return ReadNumber(text, 64, 16384, width, &after) && *after == 'x' &&
           ReadNumber(after + 1, 64, 16384, height);
}
} // namespace

bool ParseProgramOptions(int argc, const char* const* argv, const BuildSettings& build,
                         ProgramOptions& options, std::string& error)
{
    options = ProgramOptions{};
    options.width = build.width;
    options.height = build.height;
    options.fullscreen = build.fullscreen;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--version")
            options.version = true;
        else if (arg == "--fullscreen")
            options.fullscreen = true;
        else if (arg == "--size" || arg == "--display")
        {
            const bool read = arg == "--size"
                                  ? value && ReadSize(value, options.width, options.height)
                                  : value && ReadNumber(value, 0, 63, options.display);
            if (!read)
            {
                error = arg == "--size" ? "--size wants WIDTHxHEIGHT, each 64 to 16384"
                                        : "--display wants a screen number from 0";
                return false;
            }
            ++i;
        }
        else
        {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    return true;
}

std::string ProgramUsage(const char* name)
{
    return std::string("Usage: ") + name +
           " [--size WxH] [--fullscreen] [--display N] [--help] [--version]\n"
           "\n"
           "Plays the presentation: data/ is read from the working folder, and log.txt is\n"
           "written there. Escape or closing the window ends it.\n"
           "\n"
           "  --size WxH     the picture's size (and the window's, where it fits the screen)\n"
           "  --fullscreen   the whole screen, the picture scaled to it with black bars\n"
           "  --display N    the screen to open on, counted from 0\n"
           "  --help         this text\n"
           "  --version      the version\n"
           "\n"
           "A window larger than its screen shrinks to the largest one of the picture's shape\n"
           "that fits; the picture keeps its size and is scaled into it.\n";
}
