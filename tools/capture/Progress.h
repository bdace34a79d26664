// Progress of a long capture on stderr: a bar redrawn in place on a terminal, plain lines
// every few seconds otherwise (logs, CI).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// "frame 120/9001 (1.3%), 2.41 frames/s, 1:01:25 left": `done` of `total` after `seconds`.
std::string DescribeProgress(const char* what, std::int64_t done, std::int64_t total,
                             double seconds);
// "[#####.....]" of the given width for a fraction in [0, 1].
std::string ProgressBar(double fraction, int width);
// h:mm:ss or m:ss.
std::string FormatDuration(double seconds);

class Progress
{
  public:
    Progress(const char* what, std::int64_t total);
    void Update(std::int64_t done);
    void Finish(); // the last state, and a newline after a bar

  private:
    double Elapsed() const;

    std::string what;
    std::int64_t total;
    std::int64_t done = 0;
    bool terminal;
    std::chrono::steady_clock::time_point start;
    double lastShown = -1.0;
    std::int64_t shownDone = -1;
};
