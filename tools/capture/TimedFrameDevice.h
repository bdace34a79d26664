// The capture's drawn frames with each pass timed on the GPU. Written once; the timer is the back
// end's.
#pragma once

#include "CaptureBackEnd.h"
#include "DisplayFrameDevice.h"

#include <optional>

// GPU nanoseconds per pass of one frame: nothing for a pass the frame does not draw, or whose
// timing did not come back.
struct PassTimes
{
    std::optional<double> nanoseconds[kCapturePassCount];
    bool used[kCapturePassCount] = {};
};

// The display's frame device with the back end's timer around each pass.
class TimedFrameDevice final : public FrameDevice
{
  public:
    TimedFrameDevice(const FrameResources& resources, PassTimer& timer);

    void BindShaderSet(ShaderSet set) override { display.BindShaderSet(set); }
    void SetMaterial(const Material& material) override { display.SetMaterial(material); }
    void SetWorld(const Matrix4& world) override { display.SetWorld(world); }
    void DrawMesh(std::uint32_t meshIndex) override { display.DrawMesh(meshIndex); }
    void BeginScenePass() override;
    void WriteFrameConstants(CameraNode& camera, float musicTime, float deltaTime, float fade,
                             float spectrumLevel) override
    {
        display.WriteFrameConstants(camera, musicTime, deltaTime, fade, spectrumLevel);
    }
    void BindSceneTextures() override { display.BindSceneTextures(); }
    std::uint32_t MeshCount(SegmentKind kind) override { return display.MeshCount(kind); }
    void DrawParticles() override;
    void BeginPostPass() override;
    void BindPostTextures(PostTextures textures) override { display.BindPostTextures(textures); }
    void DrawPostQuad() override;

    // The times of the last frame drawn; waits for the GPU.
    PassTimes Collect();

  private:
    void Begin(CapturePass pass);
    void End();

    DisplayFrameDevice display;
    PassTimer& timer;
    int running = -1;
    bool used[kCapturePassCount] = {};
};
