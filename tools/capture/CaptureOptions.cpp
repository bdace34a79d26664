// Parsing and checking ombrel-capture's options.
#include "CaptureOptions.h"

#include "CaptureRequest.h"

#include <stdexcept>

namespace
{
[[noreturn]] void Fail(const std::string& message)
{
    throw std::invalid_argument(message);
}

// The shared readers' problem, thrown.
void Check(const std::string& problem)
{
    if (!problem.empty())
        Fail(problem);
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
        Check(ReadCaptureWhole(option, value, 1, kMaxCaptureFps, options.fps));
    else if (option == "--video-bitrate")
        Check(ReadCaptureWhole(option, value, 100, 500000, options.videoKbps));
    else if (option == "--audio-bitrate")
        Check(ReadCaptureWhole(option, value, 32, 512, options.audioKbps));
    else if (option == "--size")
        Check(ReadCaptureSize(option, value, options.width, options.height));
    else if (option == "--from")
    {
        Check(ReadCaptureSeconds(option, value, options.from));
        fromGiven = true;
    }
    else if (option == "--to")
    {
        Check(ReadCaptureSeconds(option, value, options.to));
        toGiven = true;
    }
    else if (option == "--at")
        Check(ReadCaptureMoments(option, value, options.at));
    else // --shot
    {
        for (std::size_t start = 0;;)
        {
            const std::size_t comma = value.find(',', start);
            int shot = 0;
            Check(ReadCaptureWhole(option, value.substr(start, comma - start), 0, 9, shot));
            options.shots.push_back(shot);
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
        static const char* const kWithValue[] = {
            "--out", "--png-dir", "--fps",  "--size",          "--from",
            "--to",  "--at",      "--shot", "--video-bitrate", "--audio-bitrate"};
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

  --out FILE.mp4     H.264 video with the music from the same start (needs the ffmpeg program),
                     as video sites ask for it: High profile, 4:2:0 with BT.709 tags, a keyframe
                     every half second, two B-frames; AAC-LC stereo at 48 kHz; the index in
                     front, no fragments and no edit lists
  --video-bitrate K  cap the picture at K kb/s (default: the sites' figure for the size and
                     rate, 12000 at 1920x1080 and 60 fps, 24000 at 2560x1440; under the cap the
                     quality is constant)
  --audio-bitrate K  the sound at K kb/s, 32 to 512 (default 384)
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
The video is recorded in fragments of a second, then copied into its plain form (the disk needs
room for both for a moment). Ctrl-C stops and leaves a playable file of the frames done; a full
disk or a failing ffmpeg leaves the fragments written, playable. The first 21 ms of sound are the
AAC encoder's start-up silence; from then on each sample sounds at its own time. Exit code 0 when done, 1 on a failure
(missing data, no ffmpeg, interrupted), 2 on a bad option.
)";
}
