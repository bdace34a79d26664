// The ffmpeg command line of a capture.
#include "VideoPipe.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

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
            "aac", "-b:a", "192k", "-shortest",
            // Fragments of a second, each playable once written: a full disk or a killed ffmpeg
            // leaves a video of what was done rather than a file without its index.
            "-movflags", "+frag_keyframe+empty_moov+delay_moov+default_base_moof", "-frag_duration",
            "1000000", s.outFile};
}

bool CutAfterLastWholeFragment(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::error_code error;
    const std::uint64_t end = std::filesystem::file_size(path, error);
    if (!file || error)
        return false;
    auto bigEndian = [](const unsigned char* bytes, int count)
    {
        std::uint64_t value = 0;
        for (int i = 0; i < count; ++i)
            value = value << 8 | bytes[i];
        return value;
    };
    // Top-level boxes: a 32-bit size (1: a 64-bit size follows; 0: to the end) and a type. A
    // fragment's header (moof) is whole only with the data (mdat) after it.
    std::uint64_t whole = 0;
    std::uint64_t keep = 0;
    unsigned char header[16];
    while (whole + 8 <= end && file.seekg(std::streamoff(whole)) &&
           file.read(reinterpret_cast<char*>(header), 8))
    {
        std::uint64_t size = bigEndian(header, 4);
        if (size == 1 && file.read(reinterpret_cast<char*>(header + 8), 8))
            size = bigEndian(header + 8, 8);
        else if (size == 0)
            size = end - whole;
        if (size < 8 || size > end - whole)
            break;
        whole += size;
        if (std::memcmp(header + 4, "moof", 4) != 0)
            keep = whole;
    }
    file.close();
    if (keep < end)
        std::filesystem::resize_file(path, keep, error);
    return !error;
}
