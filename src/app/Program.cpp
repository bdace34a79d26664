// Start-up, frames and shutdown of the program, in the order its log shows.
#include "Program.h"

#include "Logger.h"

namespace
{
bool FailStartup(const char* message)
{
    Logger::Error("%s", message);
    return false;
}
} // namespace

bool StartProgram(ProgramRun& program, const ProgramSettings& settings)
{
    Logger::Print("Starting application...\n");
    if (!BASS_Init(-1, 44100, 0, nullptr, nullptr))
        return FailStartup("Failed to init bass");
    program.stream = BASS_StreamCreateFile(false, "data/music.mp3", 0, 0, BASS_STREAM_PRESCAN);
    if (!program.stream)
        return FailStartup("Failed to open music file.");

    const DisplayMode mode{std::uint32_t(settings.width), std::uint32_t(settings.height), RGBA8,
                           60};
    program.window = settings.createWindow
                         ? settings.createWindow(settings.width, settings.height,
                                                 settings.fullscreen, settings.display)
                         : nullptr;
    if (!StartDisplayAndData(program.run, mode, settings.fullscreen, program.window))
        return false;

    BASS_Start();
    BASS_ChannelPlay(program.stream, false);
    return true;
}

bool RunProgramFrame(ProgramRun& program)
{
    BASS_ChannelGetData(program.stream, program.spectrum, BASS_DATA_FFT2048);
    const float musicTime = static_cast<float>(BASS_ChannelBytes2Seconds(
        program.stream, BASS_ChannelGetPosition(program.stream, BASS_POS_BYTE)));
    if (MusicHasEnded(musicTime))
        return false;
    const float deltaTime = program.clock.Advance(musicTime);
    RenderFrame(program.run.presentation, program.run.frame, musicTime, deltaTime,
                SpectrumView(program.spectrum));
    g_display->Present();
    BASS_Update(0);
    return true;
}

void StopProgram(ProgramRun& program)
{
    Logger::Print("Shutdown...\n");
    BASS_StreamFree(program.stream);
    BASS_Free();
    ShutdownDisplayAndData(program.run);
    Logger::Print("Exit.\n");
}
