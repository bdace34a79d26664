// What the capture tool needs from its platform and display back end: an offscreen process, a
// window nobody sees, the frame read back, GPU pass timers and a stop request. OpenGL on Linux
// (CaptureGL.cpp), Direct3D 11 on Windows (CaptureD3D11.cpp); everything else is written once.
#pragma once

#include "Disp.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum CapturePass
{
    ScenePass = 0,
    ParticlePass = 1,
    PostPass = 2,
};
constexpr int kCapturePassCount = 3;

// The longest wait on a GPU query: a driver that never answers one must not hang the capture.
constexpr std::chrono::milliseconds kQueryWait{2000};

// GPU time of each pass of one frame. BeginFrame before the first pass, EndFrame after the last;
// Nanoseconds then waits for the GPU, at most kQueryWait a query, and gives nothing when a query
// did not answer in time or the GPU's clock could not be trusted over the frame.
class PassTimer
{
  public:
    virtual ~PassTimer() = default;
    virtual void BeginFrame() = 0;
    virtual void Begin(CapturePass pass) = 0;
    virtual void End(CapturePass pass) = 0;
    virtual void EndFrame() = 0;
    virtual std::optional<double> Nanoseconds(CapturePass pass) = 0;
};

// No box, no visible window and no sound card for the rest of the process; Ctrl-C (and, on
// Linux, SIGTERM) only asks the capture to stop.
void PrepareCaptureProcess();
bool StopRequested();

// A window of the client size that is never shown; null on failure, after saying why.
WindowHandle CreateCaptureWindow(int width, int height);
// The back end's timers; needs the display started.
std::unique_ptr<PassTimer> CreatePassTimer();
// The back buffer as RGBA bytes, top row first; false when there is none.
bool ReadBackBuffer(std::vector<std::uint8_t>& pixels);
// Releases what the read-back keeps from frame to frame; before the display shuts down.
void ReleaseReadBack();
// Waits until the GPU has done everything asked of it (on Direct3D 11 at most a few kQueryWait).
void WaitForGpu();
std::string RendererName();
