// A fixed frame clock (the capture's): frame k shows music time k / fps, from the presentation's
// start.
#pragma once

#include <cstdint>
#include <vector>

// The frame of the clock nearest to a time.
std::int64_t NearestFrame(double seconds, int fps);
// The music time a frame shows, as the float the frame uses.
float FrameTime(std::int64_t frame, int fps);
// The last frame at or before `seconds` (a hair of rounding allowed), never past the music's end.
std::int64_t LastFrameBy(double seconds, int fps);
// The music's sample frame at a time: where the spectrum window starts.
std::uint64_t MusicFrameAt(float musicTime, int sampleRate);

// The frames to write, ascending and without repeats: from..to, or the --at moments.
std::vector<std::int64_t> PlanFrames(double from, double to, const std::vector<double>& at,
                                     int fps);
