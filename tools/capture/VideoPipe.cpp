// The ffmpeg command line of a capture.
#include "VideoPipe.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace
{

constexpr int kAudioRate = 48000;
// The AAC encoder's first packet is priming, decoded before the first sample fed. Without an
// edit list to hide it a player plays it first, so the music is fed that much later: from then
// on each sample sounds at its own time, and the priming stands in for the span's first 21 ms.
constexpr int kAacPrimingSamples = 1024;

std::string Decimal(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

} // namespace

int RecommendedVideoKbps(int width, int height, int fps)
{
    // The video sites' SDR upload table, by the picture's shorter side: kb/s at up to 30 and
    // at up to 60 frames a second. Higher rates get the 60 figure scaled.
    struct Row
    {
        int lines;
        int standardKbps;
        int highKbps;
    };
    static constexpr Row kRows[] = {{360, 1000, 1500},    {480, 2500, 4000},
                                    {720, 5000, 7500},    {1080, 8000, 12000},
                                    {1440, 16000, 24000}, {2160, 45000, 68000}};
    const int lines = width < height ? width : height;
    const Row* row = &kRows[std::size(kRows) - 1];
    for (const Row& candidate : kRows)
        if (lines <= candidate.lines)
        {
            row = &candidate;
            break;
        }
    if (fps <= 30)
        return row->standardKbps;
    return fps <= 60 ? row->highKbps : int(std::int64_t{row->highKbps} * fps / 60);
}

std::vector<std::string> FfmpegArguments(const VideoSettings& s)
{
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", s.width, s.height);
    const std::string fps = std::to_string(s.fps);
    const std::string videoRate = std::to_string(s.videoKbps) + "k";
    const std::string buffer = videoRate; // a second at the cap
    // A keyframe every half second, closed GOPs, two B-frames.
    const std::string keyframes = std::to_string(s.fps / 2 > 0 ? s.fps / 2 : 1);
    const double priming = double(kAacPrimingSamples) / kAudioRate;
    return {s.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
            // The frames: raw RGBA at exactly the capture's rate.
            "-f", "rawvideo", "-pix_fmt", "rgba", "-s", size, "-framerate", fps, "-i", "pipe:0",
            // The music from the first frame's time on, past the priming (see above), so that
            // with it the sound is as long as the picture.
            "-ss", Decimal(s.musicStart + priming), "-t",
            Decimal(s.duration > priming + 0.001 ? s.duration - priming : 0.001), "-i", s.musicFile,
            "-map", "0:v:0", "-map", "1:a:0",
            // H.264 High, 4:2:0 with BT.709's matrix and tags, at a constant quality under the
            // cap.
            "-vf", "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p", "-c:v", "libx264",
            "-preset", "veryfast", "-profile:v", "high", "-crf", "18", "-maxrate", videoRate,
            "-bufsize", buffer, "-g", keyframes, "-keyint_min", keyframes, "-sc_threshold", "0",
            "-bf", "2", "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
            "-color_range", "tv",
            // AAC-LC stereo at 48 kHz.
            "-c:a", "aac", "-profile:a", "aac_low", "-ar", std::to_string(kAudioRate), "-ac", "2",
            "-b:a", std::to_string(s.audioKbps) + "k", "-shortest",
            // No edit lists, in the fragments as in the plain file: B-frames get negative
            // composition offsets instead, so the first picture is at 0.
            "-use_editlist", "0",
            // Fragments of a second, each playable once written: a full disk or a killed ffmpeg
            // leaves a video of what was done rather than a file without its index.
            "-movflags",
            "+frag_keyframe+empty_moov+delay_moov+default_base_moof+negative_cts_offsets",
            "-frag_duration", "1000000", s.outFile};
}

std::vector<std::string> PlainMp4Arguments(const std::string& ffmpeg, const std::string& from,
                                           const std::string& to, std::int64_t frames,
                                           double seconds)
{
    // The index holds at most a few numbers of 4 or 8 bytes for each picture and each sound
    // packet; ffmpeg fails rather than write past the room.
    const std::int64_t packets = frames + std::int64_t(seconds * kAudioRate / kAacPrimingSamples);
    const std::string room = std::to_string(16384 + 40 * (packets + 16));
    // Cut to the pictures' length: a capture that stopped early has sound planned past it.
    return {ffmpeg,
            "-hide_banner",
            "-loglevel",
            "error",
            "-nostdin",
            "-y",
            "-i",
            from,
            "-map",
            "0",
            "-c",
            "copy",
            "-t",
            Decimal(seconds),
            "-use_editlist",
            "0",
            "-movflags",
            "+negative_cts_offsets",
            "-moov_size",
            room,
            "-f",
            "mp4",
            to};
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
