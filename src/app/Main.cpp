// The program: start-up in a fixed order, a main loop clocked by the music, orderly shutdown.
#include "Bass.h"
#include "BuildSettings.h"
#include "FrameDevice.h"
#include "Logger.h"
#include "MainLoop.h"
#include "Startup.h"
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
    PresentationRun run;
    if (!StartDisplayAndData(run, mode, kBuild.fullscreen, window))
        return 1;

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
        RenderFrame(run.presentation, run.frame, musicTime, deltaTime, SpectrumView(Spectrum));
        g_display->Present();
        BASS_Update(0);
    }

    Logger::Print("Shutdown...\n");
    BASS_StreamFree(g_stream);
    BASS_Free();
    ShutdownDisplayAndData(run);
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
