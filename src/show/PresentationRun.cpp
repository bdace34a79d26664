// The shared start-up and shutdown steps, in the programs' order.
#include "PresentationRun.h"

#include "ConstantBuffer.h"
#include "DDSTexture.h"
#include "Logger.h"
#include "Particles.h"
#include "SceneLoad.h"

namespace
{
bool FailStartup(const char* message)
{
    Logger::Error("%s", message);
    return false;
}
} // namespace

bool StartDisplayAndData(PresentationRun& run, const DisplayMode& mode, bool fullscreen,
                         WindowHandle window)
{
    g_display = CreateDisplayDevice();
    if (!g_display->Init(mode, fullscreen, window))
        return FailStartup("Failed to init D3D11!");

    FrameResources& frame = run.frame;
    frame.display = g_display;
    frame.width = std::int32_t(mode.width);
    frame.height = std::int32_t(mode.height);
    run.sceneDepthTarget = g_display->CreateDepthTarget(mode.width, mode.height, D24S8, 1, 0);
    run.sceneColorTarget = g_display->CreateRenderTarget(mode.width, mode.height, RGBA16F, 1, 0);
    frame.scenePass = {run.sceneColorTarget, run.sceneDepthTarget};
    frame.postPass = {g_display->GetBackBuffer(), run.sceneDepthTarget};

    if (!CreateConstantBuffers())
        return FailStartup("Failed to init constant buffers!");
    ShaderSets& shaders = frame.shaders;
    if (!(shaders.defaultMaterial = CreateDefaultShaders()))
        return FailStartup("Failed to init shaders for default material.");
    if (!(shaders.pbr = CreatePbrShaders()))
        return FailStartup("Failed to init shaders for PBR material.");
    if (!(shaders.pbrNoise = CreatePbrNoiseShaders()))
        return FailStartup("Failed to init shaders for PBR noise material.");
    if (!(shaders.post = CreatePostShaders()))
        return FailStartup("Failed to init shaders for post processing.");
    if (!CreateParticleShaders())
        return FailStartup("Failed to init particle engine.");
    g_display->SetViewport(0.0f, 0.0f, float(mode.width), float(mode.height));

    for (int i = 0; i < kTextureCount; ++i)
        frame.textures[i] = LoadTexture(TextureFiles[i]);
    for (int i = 0; i < kSegmentKindCount; ++i)
        frame.scenes[i] = LoadSceneRoot(SceneFiles[i]);
    frame.drawFullscreenQuad = DrawFullscreenQuad;
    frame.drawParticles = UpdateAndDrawParticles;

    // The instances draw from the random sequence before the particles do.
    StartPresentation(run.presentation, frame);
    run.particleSeed = new Particle[kParticleCount];
    BuildInitialParticles(run.particleSeed);
    InitParticles(run.particleSeed);
    return true;
}

void ShutdownDisplayAndData(PresentationRun& run)
{
    FrameResources& frame = run.frame;
    for (SceneRoot*& scene : frame.scenes)
    {
        FreeSceneRoot(scene);
        scene = nullptr;
    }
    for (TextureHandle texture : frame.textures)
        g_display->ReleaseTexture(texture);
    delete[] run.particleSeed;
    run.particleSeed = nullptr;
    ReleaseParticles();
    ShaderSets& shaders = frame.shaders;
    delete shaders.pbr;
    delete shaders.pbrNoise;
    delete shaders.defaultMaterial;
    delete shaders.post;
    shaders = {};
    delete g_frameConstants;
    delete g_objectConstants;
    delete g_materialConstants;
    g_frameConstants = g_objectConstants = g_materialConstants = nullptr;
    g_display->ReleaseTexture(run.sceneColorTarget);
    g_display->ReleaseTexture(run.sceneDepthTarget);
    g_display->Shutdown();
}
