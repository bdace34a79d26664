// The capture tool's back end on Linux: SDL's offscreen driver (EGL, no display server), OpenGL
// queries, POSIX signals.
#include "CaptureBackEnd.h"

#include "DispGL.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

// SDL's offscreen driver takes the first EGL device that starts, which on a machine with Mesa
// beside a GPU's driver can be Mesa's software one: it is told the first device that is not.
// Where every device is software (llvmpipe) SDL's own choice stands.
void ChooseGpuEglDevice()
{
    constexpr const char* kHint = "SDL_HINT_EGL_DEVICE"; // SDL reads its hints from the environment
    if (std::getenv(kHint) != nullptr)
        return;
    // Kept loaded: SDL opens the same library again.
    void* egl = SDL_LoadObject("libEGL.so.1");
    const auto getProc =
        egl ? reinterpret_cast<PFNEGLGETPROCADDRESSPROC>(SDL_LoadFunction(egl, "eglGetProcAddress"))
            : nullptr;
    if (getProc == nullptr)
        return; // SDL says what is missing when it opens the window
    const auto queryDevices =
        reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(getProc("eglQueryDevicesEXT"));
    const auto queryString =
        reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(getProc("eglQueryDeviceStringEXT"));
    EGLDeviceEXT devices[8]; // SDL looks at no more
    EGLint count = 0;
    if (queryDevices == nullptr || queryString == nullptr ||
        queryDevices(8, devices, &count) != EGL_TRUE)
        return;
    for (EGLint i = 0; i < count; ++i)
    {
        const char* extensions = queryString(devices[i], EGL_EXTENSIONS);
        if (extensions != nullptr && std::strstr(extensions, "EGL_MESA_device_software") == nullptr)
        {
            setenv(kHint, std::to_string(i).c_str(), 1);
            return;
        }
    }
}
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
    ChooseGpuEglDevice();
    SDL_Window* window = nullptr;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
    {
        SetGlContextAttributes();
        window =
            SDL_CreateWindow("Ombrel", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    }
    if (window == nullptr)
        std::fprintf(stderr,
                     "ombrel-capture: no OpenGL context to draw with (no EGL driver?): %s\n",
                     SDL_GetError());
    return window;
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
    const auto text = [](GLenum name)
    {
        const GLubyte* value = glGetString(name);
        return value ? std::string(reinterpret_cast<const char*>(value)) : std::string("?");
    };
    return text(GL_RENDERER) + ", by " + text(GL_VENDOR) + ", OpenGL " + text(GL_VERSION);
}
