// Stepped and timed frames.
#include "CaptureDevices.h"

#include "ParticlesGL.h"

void SteppingFrameDevice::WriteFrameConstants(CameraNode& camera, float musicTime, float deltaTime,
                                              float fade, float spectrumLevel)
{
    display.WriteFrameConstants(camera, musicTime, deltaTime, fade, spectrumLevel);
}

void SteppingFrameDevice::DrawParticles()
{
    StepParticles();
}

TimedFrameDevice::TimedFrameDevice(const FrameResources& resources) : display(resources)
{
    glCreateQueries(GL_TIME_ELAPSED, kCapturePassCount, queries);
    // llvmpipe reports the time since its start for the first query of a context that spans
    // rasterised work; one such query (a clear of the scene targets) takes that reading.
    glBeginQuery(GL_TIME_ELAPSED, queries[0]);
    display.BeginScenePass();
    glEndQuery(GL_TIME_ELAPSED);
    GLuint64 discarded = 0;
    glGetQueryObjectui64v(queries[0], GL_QUERY_RESULT, &discarded);
}

TimedFrameDevice::~TimedFrameDevice()
{
    glDeleteQueries(kCapturePassCount, queries);
}

void TimedFrameDevice::Begin(CapturePass pass)
{
    End();
    glBeginQuery(GL_TIME_ELAPSED, queries[pass]);
    running = pass;
    used[pass] = true;
}

void TimedFrameDevice::End()
{
    if (running < 0)
        return;
    glEndQuery(GL_TIME_ELAPSED);
    running = -1;
}

void TimedFrameDevice::BeginScenePass()
{
    for (bool& pass : used)
        pass = false;
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
    PassTimes times;
    for (int pass = 0; pass < kCapturePassCount; ++pass)
    {
        if (!used[pass])
            continue;
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(queries[pass], GL_QUERY_RESULT, &nanoseconds);
        times.nanoseconds[pass] = double(nanoseconds);
    }
    times.particlesDrawn = used[ParticlePass];
    return times;
}
