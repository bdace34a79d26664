// The ffmpeg command line of a capture.
#include "VideoPipe.h"

#include <cstdio>

std::vector<std::string> FfmpegArguments(const VideoSettings& s)
{
    char size[32];
    char start[32];
    char duration[32];
    std::snprintf(size, sizeof size, "%dx%d", s.width, s.height);
    std::snprintf(start, sizeof start, "%.6f", s.musicStart);
    std::snprintf(duration, sizeof duration, "%.6f", s.duration);
    const std::string fps = std::to_string(s.fps);
    return {s.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
            // The frames: raw RGBA at exactly the capture's rate.
            "-f", "rawvideo", "-pix_fmt", "rgba", "-s", size, "-framerate", fps, "-i", "pipe:0",
            // The music from the first frame's time on.
            "-ss", start, "-t", duration, "-i", s.musicFile, "-map", "0:v:0", "-map", "1:a:0",
            "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p", "-c:a",
            "aac", "-b:a", "192k", "-shortest", "-movflags", "+faststart", s.outFile};
}
