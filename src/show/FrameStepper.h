// The presentation on a fixed frame clock, with no sound card: every frame of the clock up to the
// last one shown runs in order, and those not shown are only stepped (what they carry into later
// frames, nothing drawn), so that a frame at time S is the frame a full run shows at S. The
// capture tool and the page's capture both run on it.
#pragma once

#include "DisplayFrameDevice.h"
#include "FrameClock.h"
#include "FramePlan.h"
#include "Mp3Decoder.h"
#include "Spectrum.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Runs what carries state into later frames: the frame constants (which the particle step reads)
// and the particle simulation where the frame would draw particles. Draws nothing.
class SteppingFrameDevice final : public FrameDevice
{
  public:
    explicit SteppingFrameDevice(const FrameResources& resources) : display(resources) {}

    void BindShaderSet(ShaderSet) override {}
    void SetMaterial(const Material&) override {}
    void SetWorld(const Matrix4&) override {}
    void DrawMesh(std::uint32_t) override {}
    void BeginScenePass() override {}
    void WriteFrameConstants(CameraNode& camera, float musicTime, float deltaTime, float fade,
                             float spectrumLevel) override;
    void BindSceneTextures() override {}
    std::uint32_t MeshCount(SegmentKind) override { return 0; }
    void DrawParticles() override;
    void BeginPostPass() override {}
    void BindPostTextures(PostTextures) override {}
    void DrawPostQuad() override {}

  private:
    DisplayFrameDevice display;
};

class FrameStepper
{
  public:
    // `shown`: the clock's frames to show, ascending (PlanFrames).
    FrameStepper(Presentation& presentation, const FrameResources& resources,
                 const DecodedMusic& music, std::vector<std::int64_t> shown, int fps);

    bool Finished() const { return shownCount == shown.size(); }
    // Whether the next frame of the clock is one to show; not when finished.
    bool NextIsShown() const { return !Finished() && next == shown[shownCount]; }
    // The next frame of the clock, and how many of those to show have been.
    std::int64_t NextFrame() const { return next; }
    std::size_t ShownCount() const { return shownCount; }
    // The music time of the latest frame run.
    float Time() const { return clock.previousTime; }

    // Runs the next frame of the clock without drawing it; only for one not shown.
    void Step();
    // Runs the next frame of the clock, one to show, on `device`.
    void Show(FrameDevice& device);

  private:
    void Run(FrameDevice& device);

    Presentation& presentation;
    const DecodedMusic& music;
    const std::vector<std::int64_t> shown;
    const int fps;
    SteppingFrameDevice stepping;
    FrameClock clock;
    std::int64_t next = 0;
    std::size_t shownCount = 0;
    float spectrum[kSpectrumSize] = {};
};
