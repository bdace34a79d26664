// Progress lines and bar.
#include "Progress.h"

#include <cstdio>
#include <unistd.h>

std::string FormatDuration(double seconds)
{
    const long total = seconds < 0 ? 0 : long(seconds + 0.5);
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                      total % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

std::string ProgressBar(double fraction, int width)
{
    fraction = fraction < 0 ? 0 : fraction > 1 ? 1 : fraction;
    const int filled = int(fraction * width);
    std::string bar(std::size_t(width) + 2, '.');
    bar.front() = '[';
    bar.back() = ']';
    for (int i = 0; i < filled; ++i)
        bar[std::size_t(i) + 1] = '#';
    return bar;
}

std::string DescribeProgress(const char* what, std::int64_t done, std::int64_t total,
                             double seconds)
{
    const double fraction = total > 0 ? double(done) / double(total) : 1.0;
    char text[160];
    int length = std::snprintf(text, sizeof text, "%s %lld/%lld (%.1f%%)", what, (long long)done,
                               (long long)total, 100.0 * fraction);
    if (done > 0 && seconds > 0)
    {
        const double rate = double(done) / seconds;
        std::snprintf(text + length, sizeof text - std::size_t(length), ", %.2f frames/s, %s left",
                      rate, FormatDuration(double(total - done) / rate).c_str());
    }
    return text;
}

Progress::Progress(const char* what, std::int64_t total)
    : what(what), total(total), terminal(isatty(STDERR_FILENO) != 0),
      start(std::chrono::steady_clock::now())
{
}

double Progress::Elapsed() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Progress::Update(std::int64_t doneNow)
{
    done = doneNow;
    const double now = Elapsed();
    // A bar is redrawn often; a log gets a line every 10 s or every 5 %.
    const double interval = terminal ? 0.25 : 10.0;
    const std::int64_t step = total / 20 > 0 ? total / 20 : 1;
    const bool newStep = !terminal && done / step != shownDone / step;
    if (lastShown >= 0 && now - lastShown < interval && done < total && !newStep)
        return;
    lastShown = now;
    shownDone = done;
    const std::string text = DescribeProgress(what.c_str(), done, total, now);
    if (terminal)
        std::fprintf(stderr, "\r%s %s\033[K",
                     ProgressBar(total > 0 ? double(done) / double(total) : 1.0, 30).c_str(),
                     text.c_str());
    else
        std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

void Progress::Finish()
{
    if (total == 0)
        return;
    if (shownDone != done)
    {
        lastShown = -1.0;
        Update(done);
    }
    if (terminal)
        std::fputc('\n', stderr);
}
