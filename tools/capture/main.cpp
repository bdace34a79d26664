// ombrel-capture: the presentation rendered on a fixed frame clock into an MP4 or PNG files,
// with no window on screen, no sound card and never a modal box.
#include "CaptureDevices.h"
#include "CaptureOptions.h"
#include "FramePlan.h"
#include "PngFile.h"
#include "Progress.h"
#include "VideoPipe.h"

#include "Logger.h"
#include "MainLoop.h"
#include "Particles.h"
#include "RandomUnit.h"
#include "Spectrum.h"
#include "Startup.h"
#include "Window.h"

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

int Capture(const CaptureOptions& options)
{
    const std::vector<std::int64_t> frames =
        PlanFrames(options.from, options.to, options.at, options.fps);
    if (frames.empty())
        return Fail("no frame of the --fps clock lies between --from and --to");

    std::string ffmpeg;
    if (!options.outFile.empty())
    {
        ffmpeg = FindProgram("ffmpeg");
        if (ffmpeg.empty())
            return Fail("the ffmpeg program is not installed (not on the PATH); --out needs it, "
                        "--png-dir DIR writes PNG files without it");
    }
    if (!std::filesystem::is_directory("data"))
        return Fail("no data/ folder in " + std::filesystem::current_path().string() +
                    ": run it beside the programs' data/ folder");
    if (!options.pngDir.empty())
    {
        std::error_code error;
        std::filesystem::create_directories(options.pngDir, error);
        if (!std::filesystem::is_directory(options.pngDir))
            return Fail("cannot make the folder " + options.pngDir);
    }

    BeginTimerPeriod();
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
    bool videoStarted = false;
    if (!options.outFile.empty())
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
        videoStarted = video.Start(settings);
    }

    int result = 0;
    if (!options.outFile.empty() && !videoStarted)
        result = 1;

    float spectrum[kSpectrumSize];
    std::vector<std::uint8_t> pixels;
    FrameClock clock;
    SteppingFrameDevice stepper(run.frame);
    DisplayFrameDevice drawer(run.frame);
    // GPU timing only for --bench: its waits on queries are where a driver can stall.
    std::unique_ptr<PassTimer> timer = options.bench ? CreatePassTimer() : nullptr;
    auto timed = timer ? std::make_unique<TimedFrameDevice>(run.frame, *timer) : nullptr;
    PassStatistics passes[kCapturePassCount];
    std::int64_t missing[kCapturePassCount] = {};
    PassStatistics wall;
    double firstFrameMilliseconds = 0;
    const bool writes = !options.outFile.empty() || !options.pngDir.empty();

    // Every frame of the clock up to the last one written runs in order: the ones not written
    // are stepped, so that the timeline, the Grinder drift and the particles match a full run.
    const std::int64_t steps = frames.front();
    double steppingSeconds = 0;
    std::int64_t stepped = 0;
    std::int64_t written = 0;
    std::int64_t next = 0;
    // Moments far apart are mostly stepping: their progress counts every frame of the clock.
    const bool moments = !options.at.empty();
    Progress stepProgress("stepping to the first frame:", moments ? 0 : steps);
    Progress frameProgress(moments ? "clock frame" : "frame",
                           moments ? frames.back() + 1 : std::int64_t(frames.size()));
    for (std::size_t i = 0; i < frames.size() && result == 0 && !StopRequested(); ++i)
    {
        const std::int64_t target = frames[i];
        if (!options.shots.empty())
            run.presentation.timeline.heldShot =
                options.shots[std::min(i, options.shots.size() - 1)];
        const auto stepStart = std::chrono::steady_clock::now();
        for (; next < target && !StopRequested(); ++next)
        {
            const float musicTime = FrameTime(next, options.fps);
            ComputeSpectrum(music, MusicFrameAt(musicTime), spectrum);
            RunFrame(run.presentation, stepper, musicTime, clock.Advance(musicTime),
                     SpectrumView(spectrum), RandomUnit);
            ++stepped;
            if (moments)
                frameProgress.Update(next + 1);
            else if (i == 0)
                stepProgress.Update(stepped);
        }
        if (i == 0 && steps > 0 && !moments)
        {
            WaitForGpu();
            stepProgress.Finish();
        }
        steppingSeconds += Seconds(std::chrono::steady_clock::now() - stepStart);
        if (StopRequested())
            break;

        const auto frameStart = std::chrono::steady_clock::now();
        const float musicTime = FrameTime(target, options.fps);
        ComputeSpectrum(music, MusicFrameAt(musicTime), spectrum);
        RunFrame(run.presentation, timed ? static_cast<FrameDevice&>(*timed) : drawer, musicTime,
                 clock.Advance(musicTime), SpectrumView(spectrum), RandomUnit);
        next = target + 1;
        if (writes)
            ReadBackBuffer(pixels);
        const PassTimes times = timed ? timed->Collect() : PassTimes{};
        if (!options.outFile.empty() && !video.WriteFrame(pixels.data(), pixels.size()))
        {
            result = Fail("ffmpeg stopped taking frames at frame " + std::to_string(written) +
                          " of " + options.outFile + " (see its message above)");
            break;
        }
        if (!options.pngDir.empty())
        {
            const std::string path = options.at.empty() ? FrameFileName(options.pngDir, written)
                                                        : AtFileName(options.pngDir, musicTime);
            if (!WritePngFile(path, pixels.data(), options.width, options.height))
            {
                result = Fail("cannot write " + path + " (frame " + std::to_string(written) +
                              "): " + std::strerror(errno));
                break;
            }
            // What each moment shows, so a contact sheet can name the shot under its frame.
            if (moments)
                std::printf("%s %s shot %d\n",
                            std::filesystem::path(path).filename().string().c_str(),
                            KindName(run.presentation.timeline.kind),
                            int(run.presentation.timeline.ShotCounter));
        }
        ++written;
        const double frameMilliseconds =
            1000.0 * Seconds(std::chrono::steady_clock::now() - frameStart);
        // llvmpipe compiles its shader variants during the first frame: kept out of the means.
        if (written == 1)
            firstFrameMilliseconds = frameMilliseconds;
        else
        {
            for (int pass = 0; pass < kCapturePassCount; ++pass)
            {
                if (times.nanoseconds[pass])
                    passes[pass].Add(*times.nanoseconds[pass] * 1e-6);
                else if (times.used[pass] && missing[pass]++ == 0)
                    std::fprintf(stderr,
                                 "ombrel-capture: no GPU time for the %s pass of frame %lld (the "
                                 "GPU did not answer in %lld ms); left out of the figures\n",
                                 kPassNames[pass], (long long)target,
                                 (long long)kQueryWait.count());
            }
            wall.Add(frameMilliseconds);
        }
        frameProgress.Update(moments ? next : written);
    }
    frameProgress.Finish();
    timed.reset();
    timer.reset(); // its queries go before the display
    ReleaseReadBack();

    bool videoFinished = videoStarted && video.Finish();
    if (videoStarted && !videoFinished)
        CutAfterLastWholeFragment(options.outFile);
    if (videoStarted && written == 0)
    {
        // Stopped before the first frame: no video rather than a broken file.
        std::error_code error;
        std::filesystem::remove(options.outFile, error);
        videoFinished = false;
    }
    else if (videoStarted && !videoFinished && result == 0)
        result = Fail("ffmpeg failed to finish " + options.outFile);

    Logger::Print("Shutdown...\n");
    ShutdownDisplayAndData(run);
    ShowCursorAgain();
    EndTimerPeriod();
    Logger::Print("Exit.\n");

    if (options.bench)
        PrintBench(options, renderer, passes, missing, wall, firstFrameMilliseconds,
                   steppingSeconds, stepped);
    const double seconds = double(written) / options.fps;
    if (result != 0)
        ; // the failure has been said, and nothing is reported as written
    else if (!options.outFile.empty() && videoFinished)
        std::fprintf(stderr, "ombrel-capture: wrote %s (%lld frames, %.2f s of video)\n",
                     options.outFile.c_str(), (long long)written, seconds);
    else if (!options.pngDir.empty())
        std::fprintf(stderr, "ombrel-capture: wrote %lld PNG files to %s\n", (long long)written,
                     options.pngDir.c_str());
    if (StopRequested() && result == 0)
    {
        std::fprintf(stderr, "ombrel-capture: interrupted after %lld of %zu frames\n",
                     (long long)written, frames.size());
        result = 1;
    }
    return result;
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
