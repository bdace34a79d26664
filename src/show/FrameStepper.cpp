// Frames on a fixed clock, stepped or shown.
#include "FrameStepper.h"

#include "Particles.h"
#include "RandomUnit.h"

#include <utility>

void SteppingFrameDevice::WriteFrameConstants(CameraNode& camera, float musicTime, float deltaTime,
                                              float fade, float spectrumLevel)
{
    display.WriteFrameConstants(camera, musicTime, deltaTime, fade, spectrumLevel);
}

void SteppingFrameDevice::DrawParticles()
{
    StepParticles();
}

FrameStepper::FrameStepper(Presentation& presentation, const FrameResources& resources,
                           const DecodedMusic& music, std::vector<std::int64_t> shown, int fps)
    : presentation(presentation), music(music), shown(std::move(shown)), fps(fps),
      stepping(resources)
{
}

void FrameStepper::Step()
{
    Run(stepping);
}

void FrameStepper::Show(FrameDevice& device)
{
    Run(device);
    ++shownCount;
}

void FrameStepper::Run(FrameDevice& device)
{
    const float musicTime = FrameTime(next++, fps);
    ComputeSpectrum(music, MusicFrameAt(musicTime, music.sampleRate), spectrum);
    RunFrame(presentation, device, musicTime, clock.Advance(musicTime), SpectrumView(spectrum),
             RandomUnit);
}
