// The program: start-up in a fixed order, a main loop clocked by the music, orderly shutdown.
#include "Bass.h"
#include "BuildSettings.h"
#include "ConstantBuffer.h"
#include "DDSTexture.h"
#include "FrameDevice.h"
#include "Logger.h"
#include "MainLoop.h"
#include "Particles.h"
#include "SceneFile.h"
#include "Shader.h"
#include "Window.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace
{
HSTREAM g_stream = 0;
float Spectrum[kSpectrumSize];

int FailStartup(const char* message)
{
    Logger::Error("%s", message);
    return 1;
}

int RunPresentation()
{
    BeginTimerPeriod();
    Logger::Print("Starting application...\n");
    if (!BASS_Init(-1, 44100, 0, nullptr, nullptr))
        return FailStartup("Failed to init bass");
    g_stream = BASS_StreamCreateFile(false, "data/music.mp3", 0, 0, BASS_STREAM_PRESCAN);
    if (!g_stream)
        return FailStartup("Failed to open music file.");

    const DisplayMode mode{std::uint32_t(kBuild.width), std::uint32_t(kBuild.height), RGBA8, 60};
    const WindowHandle window = CreateMainWindow(kBuild.width, kBuild.height, kBuild.fullscreen);
    g_display = CreateDisplayDevice();
    if (!g_display->Init(mode, kBuild.fullscreen, window))
        return FailStartup("Failed to init D3D11!");

    FrameResources frame;
    frame.display = g_display;
    frame.width = kBuild.width;
    frame.height = kBuild.height;
    const TextureHandle sceneDepthTarget =
        g_display->CreateDepthTarget(mode.width, mode.height, D24S8, 1, 0);
    const TextureHandle sceneColorTarget =
        g_display->CreateRenderTarget(mode.width, mode.height, RGBA16F, 1, 0);
    frame.scenePass = {sceneColorTarget, sceneDepthTarget};
    frame.postPass = {g_display->GetBackBuffer(), sceneDepthTarget};

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
    Presentation presentation;
    StartPresentation(presentation, frame);
    Particle* particleSeed = new Particle[kParticleCount];
    BuildInitialParticles(particleSeed);
    InitParticles(particleSeed);

    BASS_Start();
    BASS_ChannelPlay(g_stream, false);

    FrameClock clock;
    for (;;)
    {
        PumpOneMessage(window);
        HideCursorOverWindow();
        if (QuitRequested)
            break;
        BASS_ChannelGetData(g_stream, Spectrum, BASS_DATA_FFT2048);
        const float musicTime = static_cast<float>(
            BASS_ChannelBytes2Seconds(g_stream, BASS_ChannelGetPosition(g_stream, BASS_POS_BYTE)));
        if (MusicHasEnded(musicTime))
            break;
        const float deltaTime = clock.Advance(musicTime);
        RenderFrame(presentation, frame, musicTime, deltaTime, SpectrumView(Spectrum));
        g_display->Present();
        BASS_Update(0);
    }

    Logger::Print("Shutdown...\n");
    BASS_StreamFree(g_stream);
    BASS_Free();
    for (SceneRoot* scene : frame.scenes)
        FreeSceneRoot(scene);
    for (TextureHandle texture : frame.textures)
        g_display->ReleaseTexture(texture);
    delete[] particleSeed;
    ReleaseParticles();
    delete shaders.pbr;
    delete shaders.pbrNoise;
    delete shaders.defaultMaterial;
    delete shaders.post;
    delete g_frameConstants;
    delete g_objectConstants;
    delete g_materialConstants;
    g_display->ReleaseTexture(sceneColorTarget);
    g_display->ReleaseTexture(sceneDepthTarget);
    g_display->Shutdown();
    ShowCursorAgain();
    EndTimerPeriod();
    Logger::Print("Exit.\n");
    return 0;
}
} // namespace

#if defined(_WIN32)
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunPresentation();
}
#else
int main()
{
    return RunPresentation();
}
#endif
