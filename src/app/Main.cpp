// The program: start-up in a fixed order, a main loop clocked by the music, orderly shutdown.
#include "Bass.h"
#include "BuildSettings.h"
#include "Logger.h"
#include "MainLoop.h"
#include "Window.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <SDL.h>
#endif

namespace
{
HSTREAM g_stream = 0;
float g_spectrum[1024];
float g_spectrumLevel = 0.0f;

int FailStartup(const char* message)
{
    Logger::Error("%s", message);
    return 1;
}

// Until frames are presented with vertical sync, the loop waits about one refresh per frame.
void WaitForNextFrame()
{
#if defined(_WIN32)
    Sleep(16);
#else
    SDL_Delay(16);
#endif
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

    const WindowHandle window = CreateMainWindow(kBuild.width, kBuild.height, kBuild.fullscreen);

    BASS_Start();
    BASS_ChannelPlay(g_stream, false);

    FrameClock clock;
    for (;;)
    {
        PumpOneMessage(window);
        HideCursorOverWindow();
        if (QuitRequested)
            break;
        BASS_ChannelGetData(g_stream, g_spectrum, BASS_DATA_FFT2048);
        g_spectrumLevel = g_spectrum[1];
        const float musicTime = static_cast<float>(
            BASS_ChannelBytes2Seconds(g_stream, BASS_ChannelGetPosition(g_stream, BASS_POS_BYTE)));
        if (MusicHasEnded(musicTime))
            break;
        clock.Advance(musicTime);
        WaitForNextFrame();
        BASS_Update(0);
    }

    Logger::Print("Shutdown...\n");
    BASS_StreamFree(g_stream);
    BASS_Free();
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
