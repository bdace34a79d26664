// The numbers a capture is asked for, read and checked in one place for the capture tool's options
// and the page's query parameters. Each reader returns an empty string, or the one-line problem
// naming the option as its caller spells it ("--fps", "fps").
#pragma once

#include <string>
#include <vector>

inline constexpr int kMaxCaptureFps = 240;
inline constexpr int kMinCaptureSide = 16;
inline constexpr int kMaxCaptureSide = 8192;

// A time within the presentation, 0 to its end.
std::string ReadCaptureSeconds(const std::string& name, const std::string& text, double& seconds);
// A whole number from low to high.
std::string ReadCaptureWhole(const std::string& name, const std::string& text, int low, int high,
                             int& value);
// WIDTHxHEIGHT, each side kMinCaptureSide to kMaxCaptureSide.
std::string ReadCaptureSize(const std::string& name, const std::string& text, int& width,
                            int& height);
// Comma-separated times, each as ReadCaptureSeconds takes it; appended to `moments`.
std::string ReadCaptureMoments(const std::string& name, const std::string& text,
                               std::vector<double>& moments);
