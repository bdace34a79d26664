// ombrel-capture: the presentation rendered on a fixed frame clock into an MP4 or PNG files,
// with no window on screen, no sound card and never a modal box.
#include "CaptureOptions.h"
#include "FrameStepper.h"
#include "PngFile.h"
#include "Progress.h"
#include "TimedFrameDevice.h"
#include "VideoPipe.h"

#include "Logger.h"
#include "Particles.h"
#include "PresentationRun.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

namespace
{
int Fail(const std::string& message)
{
    std::fprintf(stderr, "ombrel-capture: %s\n", message.c_str());
    return 1;
}

struct PassStatistics
{
    double total = 0;
    double least = 0;
    double most = 0;
    std::int64_t frames = 0;
    std::vector<double> values;

    void Add(double value)
    {
        least = frames == 0 ? value : std::min(least, value);
        most = frames == 0 ? value : std::max(most, value);
        total += value;
        ++frames;
        values.push_back(value);
    }

    // The value that `share` of the frames stay at or under (nearest rank).
    double Percentile(double share) const
    {
        std::vector<double> sorted = values;
        const std::size_t rank = std::size_t(std::ceil(share * double(sorted.size())));
        const auto nth = sorted.begin() + std::ptrdiff_t(std::max<std::size_t>(rank, 1) - 1);
        std::nth_element(sorted.begin(), nth, sorted.end());
        return *nth;
    }
};

const char* const kPassNames[kCapturePassCount] = {"scene", "particles", "post"};

void PrintBench(const CaptureOptions& options, const std::string& renderer,
                const PassStatistics passes[kCapturePassCount],
                const std::int64_t missing[kCapturePassCount], const PassStatistics& wall,
                double firstFrameMilliseconds, double steppingSeconds, std::int64_t steppedFrames)
{
    std::printf("\nombrel-capture --bench, %dx%d, %lld frames after the first (%s)\n",
                options.width, options.height, (long long)wall.frames, renderer.c_str());
    std::printf("%-22s %9s %9s %9s %9s %8s %8s\n", "pass (GPU time)", "mean ms", "p99 ms", "min ms",
                "max ms", "frames", "missing");
    for (int pass = 0; pass < kCapturePassCount; ++pass)
    {
        const PassStatistics& p = passes[pass];
        if (p.frames == 0)
            std::printf("%-22s %9s %9s %9s %9s %8d %8lld\n", kPassNames[pass], "-", "-", "-", "-",
                        0, (long long)missing[pass]);
        else
            std::printf("%-22s %9.3f %9.3f %9.3f %9.3f %8lld %8lld\n", kPassNames[pass],
                        p.total / p.frames, p.Percentile(0.99), p.least, p.most,
                        (long long)p.frames, (long long)missing[pass]);
    }
    if (wall.frames > 0)
    {
        std::printf("%-22s %9.3f %9.3f %9.3f %9.3f %8lld\n", "whole frame (wall)",
                    wall.total / wall.frames, wall.Percentile(0.99), wall.least, wall.most,
                    (long long)wall.frames);
        std::printf("frames per second: %.3f\n", 1000.0 * wall.frames / wall.total);
    }
    std::printf("first frame (wall, with llvmpipe's shader compilation): %.0f ms\n",
                firstFrameMilliseconds);
    if (steppedFrames > 0)
        std::printf("stepped through %lld earlier frames in %.1f s (%.1f ms each)\n",
                    (long long)steppedFrames, steppingSeconds,
                    1000.0 * steppingSeconds / steppedFrames);
}

const char* KindName(SegmentKind kind)
{
    static const char* const names[kSegmentKindCount] = {"Rings",  "Scene01", "Tunnel", "Logo",
                                                         "Greets", "Grinder", "Tarv",   "Sphere"};
    return kind >= 0 && kind < kSegmentKindCount ? names[kind] : "?";
}

std::string AtFileName(const std::string& dir, float seconds)
{
    char name[64];
    std::snprintf(name, sizeof name, "at-%07.3f.png", double(seconds));
    return (std::filesystem::path(dir) / name).string();
}

std::string FrameFileName(const std::string& dir, std::int64_t index)
{
    char name[64];
    std::snprintf(name, sizeof name, "frame-%06lld.png", (long long)index);
    return (std::filesystem::path(dir) / name).string();
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// What --bench prints, gathered frame by frame.
struct BenchFigures
{
    PassStatistics passes[kCapturePassCount];
    std::int64_t missing[kCapturePassCount] = {};
    PassStatistics wall;
    double firstFrameMilliseconds = 0;
    double steppingSeconds = 0;
    std::int64_t stepped = 0;

    // The `written`th frame (clock frame `frame`) took `milliseconds` with the passes' `times`.
    void AddFrame(std::int64_t written, std::int64_t frame, double milliseconds,
                  const PassTimes& times)
    {
        // llvmpipe compiles its shader variants during the first frame: kept out of the means.
        if (written == 1)
        {
            firstFrameMilliseconds = milliseconds;
            return;
        }
        for (int pass = 0; pass < kCapturePassCount; ++pass)
        {
            if (times.nanoseconds[pass])
                passes[pass].Add(*times.nanoseconds[pass] * 1e-6);
            else if (times.used[pass] && missing[pass]++ == 0)
                std::fprintf(stderr,
                             "ombrel-capture: no GPU time for the %s pass of frame %lld (the GPU "
                             "did not answer in %lld ms); left out of the figures\n",
                             kPassNames[pass], (long long)frame, (long long)kQueryWait.count());
        }
        wall.Add(milliseconds);
    }
};

// Checks what the capture needs before anything starts: frames to write, ffmpeg for a video
// (its path into `ffmpeg`), data/, the PNG folder. The message of the first that fails, or "".
std::string CheckBeforeStart(const CaptureOptions& options, const std::vector<std::int64_t>& frames,
                             std::string& ffmpeg)
{
    if (frames.empty())
        return "no frame of the --fps clock lies between --from and --to";
    if (!options.outFile.empty())
    {
        ffmpeg = FindProgram("ffmpeg");
        if (ffmpeg.empty())
            return "the ffmpeg program is not installed (not on the PATH); --out needs it, "
                   "--png-dir DIR writes PNG files without it";
    }
    if (!std::filesystem::is_directory("data"))
        return "no data/ folder in " + std::filesystem::current_path().string() +
               ": run it beside the programs' data/ folder";
    if (!options.pngDir.empty())
    {
        std::error_code error;
        std::filesystem::create_directories(options.pngDir, error);
        if (!std::filesystem::is_directory(options.pngDir))
            return "cannot make the folder " + options.pngDir;
    }
    return "";
}

bool StartVideo(VideoPipe& video, const CaptureOptions& options, const std::string& ffmpeg,
                const std::vector<std::int64_t>& frames)
{
    VideoSettings settings;
    settings.ffmpeg = ffmpeg;
    settings.outFile = options.outFile;
    settings.musicFile = "data/music.mp3";
    settings.width = options.width;
    settings.height = options.height;
    settings.fps = options.fps;
    settings.musicStart = FrameTime(frames.front(), options.fps);
    settings.duration = double(frames.size()) / options.fps;
    settings.videoKbps = options.videoKbps > 0
                             ? options.videoKbps
                             : RecommendedVideoKbps(options.width, options.height, options.fps);
    settings.audioKbps = options.audioKbps;
    return video.Start(FfmpegArguments(settings));
}

// The capture from start-up to shutdown: the frames run, drawn and written in clock order.
class CaptureRun
{
  public:
    CaptureRun(const CaptureOptions& options, std::vector<std::int64_t> frames,
               PresentationRun& run, const DecodedMusic& music, VideoPipe* video)
        : options(options), frames(frames), run(run), video(video),
          stepper(run.presentation, run.frame, music, std::move(frames), options.fps),
          drawer(run.frame), moments(!options.at.empty())
    {
        // GPU timing only for --bench: its waits on queries are where a driver can stall.
        if (options.bench)
        {
            timer = CreatePassTimer();
            timed = std::make_unique<TimedFrameDevice>(run.frame, *timer);
        }
    }

    // Every frame of the clock up to the last one written runs in order: the ones not written
    // are stepped, so that the timeline, the Grinder drift and the particles match a full run.
    // 0, or 1 after saying what failed.
    int Run()
    {
        // Moments far apart are mostly stepping: their progress counts every frame of the clock.
        Progress stepProgress("stepping to the first frame:", moments ? 0 : frames.front());
        Progress frameProgress(moments ? "clock frame" : "frame",
                               moments ? frames.back() + 1 : std::int64_t(frames.size()));
        int result = 0;
        while (!stepper.Finished() && result == 0 && !StopRequested())
        {
            if (!options.shots.empty())
                run.presentation.timeline.heldShot =
                    options.shots[std::min(stepper.ShownCount(), options.shots.size() - 1)];
            const auto start = std::chrono::steady_clock::now();
            if (!stepper.NextIsShown())
            {
                stepper.Step();
                ++bench.stepped;
                if (moments)
                    frameProgress.Update(stepper.NextFrame());
                else if (stepper.ShownCount() == 0)
                    stepProgress.Update(bench.stepped);
                bench.steppingSeconds += Seconds(std::chrono::steady_clock::now() - start);
                continue;
            }
            if (stepper.ShownCount() == 0 && frames.front() > 0 && !moments)
            {
                WaitForGpu();
                stepProgress.Finish();
                bench.steppingSeconds += Seconds(std::chrono::steady_clock::now() - start);
            }
            result = DrawAndWrite();
            if (result == 0)
                frameProgress.Update(moments ? stepper.NextFrame() : written);
        }
        frameProgress.Finish();
        timed.reset();
        timer.reset(); // its queries go before the display
        ReleaseReadBack();
        return result;
    }

    std::int64_t Written() const { return written; }
    const BenchFigures& Bench() const { return bench; }

  private:
    int DrawAndWrite()
    {
        const auto start = std::chrono::steady_clock::now();
        const std::int64_t frame = stepper.NextFrame();
        stepper.Show(timed ? static_cast<FrameDevice&>(*timed) : drawer);
        if ((video || !options.pngDir.empty()) && !ReadBackBuffer(pixels))
            return Fail("cannot read frame " + std::to_string(written) + " back from the GPU");
        const PassTimes times = timed ? timed->Collect() : PassTimes{};
        if (video && !video->WriteFrame(pixels.data(), pixels.size()))
            return Fail("ffmpeg stopped taking frames at frame " + std::to_string(written) +
                        " of " + options.outFile + " (see its message above)");
        if (!options.pngDir.empty() && !WritePng())
            return 1;
        ++written;
        bench.AddFrame(written, frame, 1000.0 * Seconds(std::chrono::steady_clock::now() - start),
                       times);
        return 0;
    }

    bool WritePng()
    {
        const std::string path = moments ? AtFileName(options.pngDir, stepper.Time())
                                         : FrameFileName(options.pngDir, written);
        if (!WritePngFile(path, pixels.data(), options.width, options.height))
        {
            Fail("cannot write " + path + " (frame " + std::to_string(written) +
                 "): " + std::strerror(errno));
            return false;
        }
        // What each moment shows, so a contact sheet can name the shot under its frame.
        if (moments)
            std::printf("%s %s shot %d\n", std::filesystem::path(path).filename().string().c_str(),
                        KindName(run.presentation.timeline.kind),
                        int(run.presentation.timeline.ShotCounter));
        return true;
    }

    const CaptureOptions& options;
    const std::vector<std::int64_t> frames;
    PresentationRun& run;
    VideoPipe* video; // null without --out
    FrameStepper stepper;
    DisplayFrameDevice drawer;
    std::unique_ptr<PassTimer> timer;
    std::unique_ptr<TimedFrameDevice> timed;
    const bool moments;
    std::vector<std::uint8_t> pixels;
    std::int64_t written = 0;
    BenchFigures bench;
};

// Copies the finished recording into a plain MP4 that takes its place; the seconds it took, or
// -1 with the recording left as it is.
double MakePlainMp4(const std::string& ffmpeg, const std::string& outFile, std::int64_t frames,
                    int fps)
{
    const auto start = std::chrono::steady_clock::now();
    const std::string plain = outFile + ".plain";
    VideoPipe copy;
    const bool copied =
        copy.Start(PlainMp4Arguments(ffmpeg, outFile, plain, frames, double(frames) / fps)) &&
        copy.Finish();
    std::error_code error;
    if (copied)
        std::filesystem::rename(plain, outFile, error);
    if (!copied || error)
    {
        std::filesystem::remove(plain, error);
        return -1;
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

// Ends the video after the frames: "" when the file is finished, else what failed (a stopped
// ffmpeg leaves the frames up to its last whole fragment; none written leaves no file).
std::string FinishVideo(VideoPipe& video, const std::string& outFile, const std::string& ffmpeg,
                        std::int64_t written, int fps, double& plainSeconds)
{
    const bool finished = video.Finish();
    if (!finished)
        CutAfterLastWholeFragment(outFile);
    if (written == 0)
    {
        std::error_code error;
        std::filesystem::remove(outFile, error);
        return "no frame written";
    }
    if (!finished)
        return "ffmpeg failed to finish " + outFile;
    plainSeconds = MakePlainMp4(ffmpeg, outFile, written, fps);
    if (plainSeconds < 0)
        return "ffmpeg failed to give " + outFile +
               " its index at the front (see its message above); the recording is kept as it "
               "was, in fragments";
    return "";
}

// Says what was written, or that the capture was interrupted; the exit code.
int Report(const CaptureOptions& options, int result, std::int64_t written, bool videoFinished,
           double plainSeconds, std::size_t frameCount)
{
    const double seconds = double(written) / options.fps;
    if (result != 0)
        ; // the failure has been said, and nothing is reported as written
    else if (!options.outFile.empty() && videoFinished)
        std::fprintf(stderr,
                     "ombrel-capture: wrote %s (%lld frames, %.2f s of video; its index put in "
                     "front in %.2f s)\n",
                     options.outFile.c_str(), (long long)written, seconds, plainSeconds);
    else if (!options.pngDir.empty())
        std::fprintf(stderr, "ombrel-capture: wrote %lld PNG files to %s\n", (long long)written,
                     options.pngDir.c_str());
    if (StopRequested() && result == 0)
    {
        std::fprintf(stderr, "ombrel-capture: interrupted after %lld of %zu frames\n",
                     (long long)written, frameCount);
        result = 1;
    }
    return result;
}

int Capture(const CaptureOptions& options)
{
    const std::vector<std::int64_t> frames =
        PlanFrames(options.from, options.to, options.at, options.fps);
    std::string ffmpeg;
    if (const std::string problem = CheckBeforeStart(options, frames, ffmpeg); !problem.empty())
        return Fail(problem);

    Logger::Print("Starting application...\n");
    DecodedMusic music;
    if (!DecodeMp3File("data/music.mp3", music))
    {
        Logger::Error("Failed to open music file.");
        return 1;
    }
    const DisplayMode mode{std::uint32_t(options.width), std::uint32_t(options.height), RGBA8, 60};
    const WindowHandle window = CreateCaptureWindow(options.width, options.height);
    PresentationRun run;
    if (window == nullptr || !StartDisplayAndData(run, mode, false, window))
        return 1;
    const std::string renderer = RendererName();
    std::printf("ombrel-capture: drawing with %s\n", renderer.c_str()); // stderr is for faults
    if (options.noParticles)
        run.frame.drawParticles = StepParticles;

    VideoPipe video;
    const bool videoStarted =
        !options.outFile.empty() && StartVideo(video, options, ffmpeg, frames);
    int result = !options.outFile.empty() && !videoStarted ? 1 : 0;
    CaptureRun capture(options, frames, run, music, videoStarted ? &video : nullptr);
    if (result == 0)
        result = capture.Run();
    double plainSeconds = 0;
    const std::string videoProblem = videoStarted
                                         ? FinishVideo(video, options.outFile, ffmpeg,
                                                       capture.Written(), options.fps, plainSeconds)
                                         : "";
    const bool videoFinished = videoStarted && videoProblem.empty();
    if (videoStarted && !videoFinished && capture.Written() > 0 && result == 0)
        result = Fail(videoProblem);

    Logger::Print("Shutdown...\n");
    ShutdownDisplayAndData(run);
    Logger::Print("Exit.\n");

    if (options.bench)
    {
        const BenchFigures& bench = capture.Bench();
        PrintBench(options, renderer, bench.passes, bench.missing, bench.wall,
                   bench.firstFrameMilliseconds, bench.steppingSeconds, bench.stepped);
    }
    return Report(options, result, capture.Written(), videoFinished, plainSeconds, frames.size());
}
} // namespace

int main(int argc, char** argv)
{
    CaptureOptions options;
    try
    {
        options = ParseCaptureOptions(std::vector<std::string>(argv + 1, argv + argc));
    }
    catch (const std::invalid_argument& error)
    {
        std::fprintf(stderr, "ombrel-capture: %s (see --help)\n", error.what());
        return 2;
    }
    if (options.help)
    {
        std::fputs(CaptureUsage(), stdout);
        return 0;
    }
    PrepareCaptureProcess();
    return Capture(options);
}
