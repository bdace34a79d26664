// Timed frames.
#include "TimedFrameDevice.h"

TimedFrameDevice::TimedFrameDevice(const FrameResources& resources, PassTimer& timer)
    : display(resources), timer(timer)
{
    // llvmpipe reports the time since its start for the first query of a context that spans
    // rasterised work; one such query (a clear of the scene targets) takes that reading.
    BeginScenePass();
    Collect();
}

void TimedFrameDevice::Begin(CapturePass pass)
{
    End();
    timer.Begin(pass);
    running = pass;
    used[pass] = true;
}

void TimedFrameDevice::End()
{
    if (running < 0)
        return;
    timer.End(CapturePass(running));
    running = -1;
}

void TimedFrameDevice::BeginScenePass()
{
    for (bool& pass : used)
        pass = false;
    timer.BeginFrame();
    Begin(ScenePass);
    display.BeginScenePass();
}

void TimedFrameDevice::DrawParticles()
{
    Begin(ParticlePass);
    display.DrawParticles();
    End();
}

void TimedFrameDevice::BeginPostPass()
{
    Begin(PostPass);
    display.BeginPostPass();
}

void TimedFrameDevice::DrawPostQuad()
{
    display.DrawPostQuad();
    End();
}

PassTimes TimedFrameDevice::Collect()
{
    End();
    timer.EndFrame();
    PassTimes times;
    for (int pass = 0; pass < kCapturePassCount; ++pass)
        if ((times.used[pass] = used[pass]))
            times.nanoseconds[pass] = timer.Nanoseconds(CapturePass(pass));
    return times;
}
