// Parsing and checking ombrel-capture's options.
#include "CaptureOptions.h"

#include "FrameClock.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace
{
[[noreturn]] void Fail(const std::string& message)
{
    throw std::invalid_argument(message);
}

double ParseSeconds(const std::string& option, const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        Fail(option + " wants a time in seconds, not '" + text + "'");
    if (value < 0.0 || value > double(kMusicEndTime))
        Fail(option + " " + text + " is outside the presentation (0 to 150 s)");
    return value;
}

int ParseInt(const std::string& option, const std::string& text, int low, int high)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high)
        Fail(option + " wants a whole number from " + std::to_string(low) + " to " +
             std::to_string(high) + ", not '" + text + "'");
    return int(value);
}

// Sets what `option` says with `value`; --from and --to also note that they were given.
void TakeValue(CaptureOptions& options, const std::string& option, const std::string& value,
               bool& fromGiven, bool& toGiven)
{
    if (option == "--out")
    {
        if (value.size() < 5 || value.compare(value.size() - 4, 4, ".mp4") != 0)
            Fail("--out writes an MP4 file: give a name ending in .mp4, not '" + value + "'");
        options.outFile = value;
    }
    else if (option == "--png-dir")
    {
        if (value.empty())
            Fail("--png-dir needs a folder name");
        options.pngDir = value;
    }
    else if (option == "--fps")
        options.fps = ParseInt(option, value, 1, 240);
    else if (option == "--size")
    {
        const std::size_t x = value.find('x');
        if (x == std::string::npos)
            Fail("--size wants WIDTHxHEIGHT, such as 1280x720, not '" + value + "'");
        options.width = ParseInt("--size width", value.substr(0, x), 16, 8192);
        options.height = ParseInt("--size height", value.substr(x + 1), 16, 8192);
    }
    else if (option == "--from")
    {
        options.from = ParseSeconds(option, value);
        fromGiven = true;
    }
    else if (option == "--to")
    {
        options.to = ParseSeconds(option, value);
        toGiven = true;
    }
    else // --at or --shot: lists
    {
        std::size_t start = 0;
        for (;;)
        {
            const std::size_t comma = value.find(',', start);
            const std::string item = value.substr(start, comma - start);
            if (option == "--at")
                options.at.push_back(ParseSeconds(option, item));
            else
                options.shots.push_back(ParseInt(option, item, 0, 9));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }
}

// The options that only make sense together, or not at all together.
void CheckTogether(const CaptureOptions& options, bool fromGiven, bool toGiven)
{
    if (!options.outFile.empty() && !options.pngDir.empty())
        Fail("give either --out or --png-dir, not both");
    if (!options.at.empty())
    {
        if (fromGiven || toGiven)
            Fail("--at picks its own moments: leave out --from and --to");
        if (options.pngDir.empty())
            Fail("--at writes PNG files: give --png-dir");
    }
    if (options.shots.size() > 1 && options.shots.size() != options.at.size())
        Fail("--shot with several shots wants one for each --at moment");
    if (options.outFile.empty() && options.pngDir.empty() && !options.bench)
        Fail("nothing to write: give --out FILE.mp4 or --png-dir DIR (or --bench)");
    if (options.from > options.to)
        Fail("--from must not be after --to");
    if (!options.outFile.empty() && (options.width % 2 != 0 || options.height % 2 != 0))
        Fail("an MP4 (yuv420p) needs an even width and height");
}
} // namespace

CaptureOptions ParseCaptureOptions(const std::vector<std::string>& args)
{
    CaptureOptions options;
    bool fromGiven = false;
    bool toGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h")
        {
            options.help = true;
            return options;
        }
        if (option == "--bench")
        {
            options.bench = true;
            continue;
        }
        if (option == "--no-particles")
        {
            options.noParticles = true;
            continue;
        }
        static const char* const kWithValue[] = {"--out",  "--png-dir", "--fps", "--size",
                                                 "--from", "--to",      "--at",  "--shot"};
        bool known = false;
        for (const char* name : kWithValue)
            known = known || option == name;
        if (!known)
            Fail("unknown option '" + option + "'");
        if (i + 1 >= args.size())
            Fail(option + " needs a value");
        TakeValue(options, option, args[++i], fromGiven, toGiven);
    }
    CheckTogether(options, fromGiven, toGiven);
    return options;
}

const char* CaptureUsage()
{
    return R"(Usage: ombrel-capture (--out FILE.mp4 | --png-dir DIR) [options]
Renders the presentation on a fixed frame clock, without a window or a sound card. Run it where
data/ is (beside the programs). Frame k shows the music time from + k / fps, with the spectrum of the
music at that time; the log goes to log.txt as the programs write it.

  --out FILE.mp4     H.264 video with the music from the same start (needs the ffmpeg program)
  --png-dir DIR      PNG files DIR/frame-NNNNNN.png (or DIR/at-SSS.SSS.png with --at)
  --fps N            frames per second of the clock (default 60)
  --size WxH         picture and render target size (default 1920x1080)
  --from S           first frame at S seconds (default 0)
  --to S             last frame at or before S seconds (default 150, the end)
  --at S[,S...]      just these moments, as PNGs
  --shot N[,N...]    hold the camera on shot N of each segment (N past its last shot is 0) instead
                     of cutting on the beat; with --at, one N for each moment
  --bench            print the GPU time of each pass (scene, particles, post) and the frame rate
  --no-particles     simulate the particles but leave their draw out (to see what they add)
  --help             this text

Times are taken to the nearest frame of the --fps clock. The timeline and the particles carry
state from frame to frame, so frames before the first one written are stepped through (simulated,
not drawn) at the same rate: a frame at time S is the frame a full capture shows at S.
Ctrl-C stops and leaves a playable file of the frames done. Exit code 0 when done, 1 on a failure
(missing data, no ffmpeg, interrupted), 2 on a bad option.
)";
}
