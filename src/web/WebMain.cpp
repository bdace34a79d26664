// The presentation in a browser: the page calls these from its frame callback. Playing runs the
// program's own start-up, frames and shutdown; capturing runs ombrel-capture's fixed frame clock
// and hands each frame to write back to the page, which reads it from the back buffer.
#include "CaptureRequest.h"
#include "FrameClock.h"
#include "FramePlan.h"
#include "FrameStepper.h"
#include "Logger.h"
#include "Particles.h"
#include "Program.h"

#include <emscripten/emscripten.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

extern "C" void ombrel_gpu_flush();

namespace
{
ProgramRun program;
bool playing = false;

struct CaptureRun
{
    PresentationRun run;
    DecodedMusic music;
    std::unique_ptr<FrameStepper> stepper;
};
CaptureRun* capture = nullptr;

struct PageCapture
{
    int width = 1920;
    int height = 1080;
    int fps = 60;
    double from = 0.0;
    double to = double(kMusicEndTime);
    std::vector<double> at;
};

// The page's query parameters (null where absent), checked as the capture tool checks its
// options; the problem, or an empty string.
std::string ReadRequest(const char* size, const char* fps, const char* from, const char* to,
                        const char* at, PageCapture& request)
{
    std::string problem;
    if (size)
        problem = ReadCaptureSize("size", size, request.width, request.height);
    if (problem.empty() && fps)
        problem = ReadCaptureWhole("fps", fps, 1, kMaxCaptureFps, request.fps);
    if (problem.empty() && from)
        problem = ReadCaptureSeconds("from", from, request.from);
    if (problem.empty() && to)
        problem = ReadCaptureSeconds("to", to, request.to);
    if (problem.empty() && at)
        problem = ReadCaptureMoments("at", at, request.at);
    if (problem.empty() && request.from > request.to)
        problem = "from must not be after to";
    return problem;
}
} // namespace

extern "C"
{
    // 0 when the presentation is playing; 1 after start-up failed (the log says why).
    EMSCRIPTEN_KEEPALIVE int ombrel_start(int width, int height)
    {
        playing = StartProgram(program, {width, height, false, nullptr});
        return playing ? 0 : 1;
    }

    // 1 while the presentation goes on, 0 once the music has ended.
    EMSCRIPTEN_KEEPALIVE int ombrel_frame()
    {
        return playing && RunProgramFrame(program) ? 1 : 0;
    }

    EMSCRIPTEN_KEEPALIVE void ombrel_stop()
    {
        if (playing)
            StopProgram(program);
        playing = false;
    }

    // The position of the music being heard, in seconds, as the frames read it.
    EMSCRIPTEN_KEEPALIVE double ombrel_position()
    {
        if (!playing)
            return 0.0;
        return BASS_ChannelBytes2Seconds(program.stream,
                                         BASS_ChannelGetPosition(program.stream, BASS_POS_BYTE));
    }

    // Starts a capture of the moments in `at` (seconds, comma-separated), or else of every frame
    // from..to, of `size` on a clock of `fps`, with or without the particles' draw (they are
    // simulated either way); the parameters as the page's address gives them, null where absent.
    // The number of frames it will write; 0 after a log line saying what failed.
    EMSCRIPTEN_KEEPALIVE int ombrel_capture_start(const char* size, const char* fps,
                                                  const char* from, const char* to, const char* at,
                                                  int drawParticles)
    {
        PageCapture request;
        if (const std::string problem = ReadRequest(size, fps, from, to, at, request);
            !problem.empty())
        {
            Logger::Print("The capture was refused: %s.\n", problem.c_str());
            return 0;
        }
        if (capture)
        {
            Logger::Print("The capture was refused: one is running.\n");
            return 0;
        }
        std::vector<std::int64_t> frames =
            PlanFrames(request.from, request.to, request.at, request.fps);
        if (frames.empty())
            return 0;
        auto starting = std::make_unique<CaptureRun>();
        Logger::Print("Starting application...\n");
        if (!DecodeMp3File("data/music.mp3", starting->music))
        {
            Logger::Error("Failed to open music file.");
            return 0;
        }
        const DisplayMode mode{std::uint32_t(request.width), std::uint32_t(request.height), RGBA8,
                               60};
        if (!StartDisplayAndData(starting->run, mode, false, nullptr))
            return 0;
        if (!drawParticles)
            starting->run.frame.drawParticles = StepParticles;
        const int count = int(frames.size());
        starting->stepper =
            std::make_unique<FrameStepper>(starting->run.presentation, starting->run.frame,
                                           starting->music, std::move(frames), request.fps);
        capture = starting.release();
        return count;
    }

    // Runs the next frame of the clock: 1 when it was drawn for writing (the back buffer holds
    // it), 0 when it was only stepped, -1 when every frame has been written.
    EMSCRIPTEN_KEEPALIVE int ombrel_capture_next()
    {
        if (!capture || !capture->stepper || capture->stepper->Finished())
            return -1;
        FrameStepper& stepper = *capture->stepper;
        const bool shown = stepper.NextIsShown();
        if (shown)
        {
            DisplayFrameDevice device(capture->run.frame);
            stepper.Show(device);
        }
        else
            stepper.Step();
        ombrel_gpu_flush();
        return shown ? 1 : 0;
    }

    EMSCRIPTEN_KEEPALIVE double ombrel_capture_time()
    {
        return capture && capture->stepper ? capture->stepper->Time() : 0.0;
    }

    EMSCRIPTEN_KEEPALIVE void ombrel_capture_stop()
    {
        if (!capture)
            return;
        Logger::Print("Shutdown...\n");
        ShutdownDisplayAndData(capture->run);
        Logger::Print("Exit.\n");
        delete capture;
        capture = nullptr;
    }
}
