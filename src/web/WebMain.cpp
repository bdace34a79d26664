// The presentation in a browser: the page calls these from its frame callback. Playing runs the
// program's own start-up, frames and shutdown; capturing runs ombrel-capture's fixed frame clock
// and hands each frame to write back to the page, which reads it from the back buffer.
#include "FrameStepper.h"
#include "Logger.h"
#include "Particles.h"
#include "Program.h"

#include <emscripten/emscripten.h>

#include <cstdlib>
#include <memory>
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

std::vector<double> ParseMoments(const char* text)
{
    std::vector<double> moments;
    for (const char* p = text; p && *p;)
    {
        char* end = nullptr;
        const double seconds = std::strtod(p, &end);
        if (end == p)
            break;
        moments.push_back(seconds);
        p = *end == ',' ? end + 1 : end;
    }
    return moments;
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
    // from..to, on a clock of fps, with or without the particles' draw (they are simulated
    // either way); the number of frames it will write, 0 after a failure.
    EMSCRIPTEN_KEEPALIVE int ombrel_capture_start(int width, int height, int fps, double from,
                                                  double to, const char* at, int drawParticles)
    {
        capture = new CaptureRun;
        const std::vector<std::int64_t> frames = PlanFrames(from, to, ParseMoments(at), fps);
        if (frames.empty())
            return 0;
        Logger::Print("Starting application...\n");
        if (!DecodeMp3File("data/music.mp3", capture->music))
        {
            Logger::Error("Failed to open music file.");
            return 0;
        }
        const DisplayMode mode{std::uint32_t(width), std::uint32_t(height), RGBA8, 60};
        if (!StartDisplayAndData(capture->run, mode, false, nullptr))
            return 0;
        if (!drawParticles)
            capture->run.frame.drawParticles = StepParticles;
        capture->stepper = std::make_unique<FrameStepper>(
            capture->run.presentation, capture->run.frame, capture->music, frames, fps);
        return int(frames.size());
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
