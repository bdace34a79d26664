// Reading and checking the numbers of a capture request.
#include "CaptureRequest.h"

#include "FrameClock.h"

#include <cmath>
#include <cstdlib>

std::string ReadCaptureSeconds(const std::string& name, const std::string& text, double& seconds)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        return name + " wants a time in seconds, not '" + text + "'";
    if (value < 0.0 || value > double(kMusicEndTime))
        return name + " " + text + " is outside the presentation (0 to 150 s)";
    seconds = value;
    return {};
}

std::string ReadCaptureWhole(const std::string& name, const std::string& text, int low, int high,
                             int& value)
{
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || number < low || number > high)
        return name + " wants a whole number from " + std::to_string(low) + " to " +
               std::to_string(high) + ", not '" + text + "'";
    value = int(number);
    return {};
}

std::string ReadCaptureSize(const std::string& name, const std::string& text, int& width,
                            int& height)
{
    const std::size_t x = text.find('x');
    if (x == std::string::npos)
        return name + " wants WIDTHxHEIGHT, such as 1280x720, not '" + text + "'";
    std::string problem = ReadCaptureWhole(name + " width", text.substr(0, x), kMinCaptureSide,
                                           kMaxCaptureSide, width);
    if (problem.empty())
        problem = ReadCaptureWhole(name + " height", text.substr(x + 1), kMinCaptureSide,
                                   kMaxCaptureSide, height);
    return problem;
}

std::string ReadCaptureMoments(const std::string& name, const std::string& text,
                               std::vector<double>& moments)
{
    for (std::size_t start = 0;;)
    {
        const std::size_t comma = text.find(',', start);
        double seconds = 0.0;
        if (std::string problem =
                ReadCaptureSeconds(name, text.substr(start, comma - start), seconds);
            !problem.empty())
            return problem;
        moments.push_back(seconds);
        if (comma == std::string::npos)
            return {};
        start = comma + 1;
    }
}
