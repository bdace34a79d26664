// The capture tool's back end on Linux: SDL's offscreen driver, OpenGL queries, POSIX signals.
#include "CaptureBackEnd.h"

#include "DispGL.h"
#include "Window.h"

#include <SDL.h>

#include <csignal>
#include <cstdlib>
#include <thread>

namespace
{
volatile std::sig_atomic_t g_stopRequested = 0;

void RequestStop(int)
{
    g_stopRequested = 1;
}

class GlPassTimer final : public PassTimer
{
  public:
    GlPassTimer() { glCreateQueries(GL_TIME_ELAPSED, kCapturePassCount, queries); }
    ~GlPassTimer() override { glDeleteQueries(kCapturePassCount, queries); }

    void BeginFrame() override {}
    void Begin(CapturePass pass) override { glBeginQuery(GL_TIME_ELAPSED, queries[pass]); }
    void End(CapturePass) override { glEndQuery(GL_TIME_ELAPSED); }
    void EndFrame() override {}
    std::optional<double> Nanoseconds(CapturePass pass) override
    {
        const auto deadline = std::chrono::steady_clock::now() + kQueryWait;
        GLuint available = GL_FALSE;
        while (glGetQueryObjectuiv(queries[pass], GL_QUERY_RESULT_AVAILABLE, &available),
               available == GL_FALSE)
        {
            if (std::chrono::steady_clock::now() > deadline)
                return std::nullopt;
            std::this_thread::yield();
        }
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(queries[pass], GL_QUERY_RESULT, &nanoseconds);
        return double(nanoseconds);
    }

  private:
    GLuint queries[kCapturePassCount] = {};
};
} // namespace

void PrepareCaptureProcess()
{
    // The logger's box falls back to stderr without a display, and SDL renders offscreen unless
    // the caller chose a driver.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");

    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN); // a vanished ffmpeg shows up as a failed write
}

bool StopRequested()
{
    return g_stopRequested != 0;
}

WindowHandle CreateCaptureWindow(int width, int height)
{
    // At the picture's size, never fitted to a screen as the programs' windows are.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    SetGlContextAttributes();
    return SDL_CreateWindow("Ombrel", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
}

std::unique_ptr<PassTimer> CreatePassTimer()
{
    return std::make_unique<GlPassTimer>();
}

bool ReadBackBuffer(std::vector<std::uint8_t>& pixels)
{
    return static_cast<DispGL*>(g_display)->ReadBackBuffer(pixels);
}

void ReleaseReadBack() {}

void WaitForGpu()
{
    glFinish();
}

std::string RendererName()
{
    return reinterpret_cast<const char*>(glGetString(GL_RENDERER));
}
