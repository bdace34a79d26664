// The frame's device side on the display layer: what the programs and the capture tool call.
#pragma once

#include "Frame.h"

#include "Disp.h"
#include "SceneGraph.h"
#include "Shader.h"

struct ShaderSets
{
    Shader* defaultMaterial = nullptr;
    Shader* pbr = nullptr;
    Shader* pbrNoise = nullptr;
    Shader* post = nullptr;
};

// The long-lived objects a frame uses, owned by the caller. A null scene draws nothing; a null
// shader set or hook is skipped.
struct FrameResources
{
    Disp* display = nullptr;
    RenderTargetPair scenePass;
    RenderTargetPair postPass; // back buffer (or the capture target) and the scene depth
    TextureHandle textures[kTextureCount] = {};
    SceneRoot* scenes[kSegmentKindCount] = {};
    ShaderSets shaders;
    std::int32_t width = 0;
    std::int32_t height = 0;
    void (*drawParticles)() = nullptr; // UpdateAndDrawParticles
    void (*drawFullscreenQuad)() =
        nullptr; // triangle strip of 4 vertices, then triangle list again
};

class DisplayFrameDevice final : public FrameDevice
{
  public:
    explicit DisplayFrameDevice(const FrameResources& resources) : resources(resources) {}

    void BindShaderSet(ShaderSet set) override;
    void SetMaterial(const Material& material) override;
    void SetWorld(const Matrix4& world) override;
    void DrawMesh(std::uint32_t meshIndex) override;

    void BeginScenePass() override;
    void WriteFrameConstants(CameraNode& camera, float musicTime, float deltaTime, float fade,
                             float spectrumLevel) override;
    void BindSceneTextures() override;
    std::uint32_t MeshCount(SegmentKind kind) override;
    void DrawParticles() override;
    void BeginPostPass() override;
    void BindPostTextures(PostTextures textures) override;
    void DrawPostQuad() override;

  private:
    const FrameResources& resources;
    const SceneRoot* scene = nullptr; // of the kind being drawn
};

// Start-up, after the shader sets and before the particles are seeded (both draw from RandomUnit):
// sets up the presentation and binds the default material set once.
void StartPresentation(Presentation& presentation, const FrameResources& resources);

// Each frame, after reading the spectrum and the music position; the caller presents afterwards.
void RenderFrame(Presentation& presentation, const FrameResources& resources, float musicTime,
                 float deltaTime, SpectrumView spectrum);
