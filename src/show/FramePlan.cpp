// Fixed frame clock arithmetic.
#include "FramePlan.h"

#include "FrameClock.h"

#include <algorithm>
#include <cmath>

std::int64_t NearestFrame(double seconds, int fps)
{
    return std::llround(seconds * fps);
}

float FrameTime(std::int64_t frame, int fps)
{
    return float(double(frame) / fps);
}

std::int64_t LastFrameBy(double seconds, int fps)
{
    std::int64_t frame = std::int64_t(std::floor(seconds * fps + 1e-6));
    while (frame > 0 && MusicHasEnded(FrameTime(frame, fps)))
        --frame;
    return frame;
}

std::uint64_t MusicFrameAt(float musicTime, int sampleRate)
{
    return musicTime <= 0.0f ? 0 : std::uint64_t(double(musicTime) * sampleRate);
}

std::vector<std::int64_t> PlanFrames(double from, double to, const std::vector<double>& at, int fps)
{
    std::vector<std::int64_t> frames;
    if (!at.empty())
    {
        for (double seconds : at)
            frames.push_back(
                std::min(NearestFrame(seconds, fps), LastFrameBy(double(kMusicEndTime), fps)));
        std::sort(frames.begin(), frames.end());
        frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
        return frames;
    }
    const std::int64_t last = LastFrameBy(to, fps);
    for (std::int64_t frame = NearestFrame(from, fps); frame <= last; ++frame)
        frames.push_back(frame);
    return frames;
}
