// Forwards the frame's device calls to the display, the scene drawing and the GPU modules.
#include "DisplayFrameDevice.h"

#include "RandomUnit.h"
#include "SceneDraw.h"

namespace
{

void BindIfPresent(Shader* shaders)
{
    if (shaders != nullptr)
        shaders->Bind();
}

} // namespace

// The default program reads a 2D image at t0, where the PBR sets keep the irradiance cube: it gets
// an empty slot, which reads zero on every back end, and the PBR sets get their cube back.
void DisplayFrameDevice::BindShaderSet(ShaderSet set)
{
    switch (set)
    {
    case ShaderSet::Default:
        BindIfPresent(resources.shaders.defaultMaterial);
        resources.display->BindTexture(0, kNoTexture);
        break;
    case ShaderSet::Pbr:
        BindIfPresent(resources.shaders.pbr);
        resources.display->BindTexture(0, resources.textures[kSceneTextures[0]]);
        break;
    case ShaderSet::PbrNoise:
        BindIfPresent(resources.shaders.pbrNoise);
        resources.display->BindTexture(0, resources.textures[kSceneTextures[0]]);
        break;
    }
}

void DisplayFrameDevice::SetMaterial(const Material& material)
{
    UpdateMaterialConstants(material);
}

void DisplayFrameDevice::SetWorld(const Matrix4& world)
{
    UpdateObjectConstants(world);
}

void DisplayFrameDevice::DrawMesh(std::uint32_t meshIndex)
{
    // The scripts only ask for indices below MeshCount of this scene.
    DrawMeshNode(*scene->meshNodes[meshIndex]);
}

void DisplayFrameDevice::BeginScenePass()
{
    resources.display->SetRenderTarget(resources.scenePass);
}

void DisplayFrameDevice::WriteFrameConstants(CameraNode& camera, float musicTime, float deltaTime,
                                             float fade, float spectrumLevel)
{
    UpdateFrameConstants(camera, resources.width, resources.height, musicTime, deltaTime, fade,
                         spectrumLevel);
}

void DisplayFrameDevice::BindSceneTextures()
{
    for (std::uint32_t slot = 0; slot < 4; ++slot)
        resources.display->BindTexture(slot, resources.textures[kSceneTextures[slot]]);
}

std::uint32_t DisplayFrameDevice::MeshCount(SegmentKind kind)
{
    scene = resources.scenes[kind];
    if (scene == nullptr || scene->meshNodes == nullptr)
        return 0;
    return scene->meshNodeCount;
}

void DisplayFrameDevice::DrawParticles()
{
    if (resources.drawParticles != nullptr)
        resources.drawParticles();
}

void DisplayFrameDevice::BeginPostPass()
{
    resources.display->SetRenderTarget(resources.postPass);
    BindIfPresent(resources.shaders.post);
}

void DisplayFrameDevice::BindPostTextures(PostTextures textures)
{
    resources.display->BindTexture(0, resources.scenePass.color);
    resources.display->BindTexture(1, resources.textures[textures.dirt]);
    resources.display->BindTexture(2, resources.textures[textures.overlay]);
}

void DisplayFrameDevice::DrawPostQuad()
{
    if (resources.drawFullscreenQuad != nullptr)
        resources.drawFullscreenQuad();
}

void StartPresentation(Presentation& presentation, const FrameResources& resources)
{
    InitPresentation(presentation, RandomUnit);
    BindIfPresent(resources.shaders.defaultMaterial);
}

void RenderFrame(Presentation& presentation, const FrameResources& resources, float musicTime,
                 float deltaTime, SpectrumView spectrum)
{
    DisplayFrameDevice device(resources);
    RunFrame(presentation, device, musicTime, deltaTime, spectrum, RandomUnit);
}
