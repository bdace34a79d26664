// The ten BASS calls of the program, over this platform's AudioOutput: the argument checks and
// their messages, one stream at a time with fresh handles, the position being heard and its
// spectrum. The program makes these calls from one thread.
#include "Bass.h"

#include "AudioOutput.h"
#include "AudioProblem.h"
#include "HeardPosition.h"
#include "Mp3Decoder.h"
#include "Spectrum.h"

#if !defined(OMBREL_BASS_BUILD)
#include "Logger.h"
#endif

#include <chrono>
#include <cstdio>
#include <memory>
#include <utility>

namespace
{

constexpr QWORD Failed64 = ~QWORD{0};
constexpr DWORD Failed32 = ~DWORD{0};

struct Stream
{
    HSTREAM handle = 0;
    DecodedMusic music;
    HeardPosition position;
    LostDeviceClock lostDevice;
};

struct Player
{
    std::unique_ptr<AudioOutput> output; // set from BASS_Init to BASS_Free
    std::unique_ptr<Stream> stream;      // one stream at a time is all the program needs
    HSTREAM lastHandle = 0;
};

// Never destroyed: a program that exits after a failed start releases nothing, and tearing the
// output down from a static destructor would run at DLL detach, under the loader lock, where
// waiting on the feeder thread or calling waveOut can deadlock. The process's end frees it all.
Player& player = *new Player;

double NowSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Said where each build has always said it: in the program's log where these calls are part of
// the program, on stderr from our bass.dll (a library writes no log of the program's).
void SayDeviceLost(double seconds)
{
#if defined(OMBREL_BASS_BUILD)
    SayAudioProblem("bass: the sound device failed at %.2f s; the music's clock runs on\n",
                    seconds);
#else
    Logger::Print("The sound device went away at %.2f s; the music's clock runs on.\n", seconds);
#endif
}

std::uint64_t HeardFrame(Stream& stream)
{
    // A device that failed counts no more: the pictures must not stop with it.
    if (!stream.lostDevice.Lost() && player.output->Failed())
    {
        stream.lostDevice.Lose(NowSeconds(), stream.position.Reported(), stream.music.sampleRate);
        SayDeviceLost(static_cast<double>(stream.position.Reported()) / stream.music.sampleRate);
    }
    if (stream.lostDevice.Lost())
        return stream.lostDevice.Frame(NowSeconds());
    return stream.position.Next(NowSeconds(), player.output->FramesPlayed());
}

Stream* FindStream(DWORD handle)
{
    if (!player.stream || player.stream->handle != handle || handle == 0)
        return nullptr;
    return player.stream.get();
}

HSTREAM NextHandle()
{
    if (++player.lastHandle == 0)
        ++player.lastHandle;
    return player.lastHandle;
}

} // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD, void*, const void*)
{
    if (player.output)
    {
        SayAudioProblem("BASS_Init: already initialised\n");
        return 0;
    }
    if (device != -1 || freq != MusicSampleRate)
    {
        SayAudioProblem("BASS_Init: only the default device (-1) at 44100 Hz is supported\n");
        return 0;
    }
    auto output = MakeAudioOutput();
    if (!output->Open())
        return 0;
    player.output = std::move(output);
    return 1;
}

BOOL BASS_Free()
{
    if (!player.output)
        return 0;
    // The device stops reading the music before the music goes.
    player.output->Close();
    player.output.reset();
    player.stream.reset();
    return 1;
}

BOOL BASS_Start()
{
    if (!player.output)
        return 0;
    player.output->Start();
    return 1;
}

BOOL BASS_Update(DWORD)
{
    // Every output keeps its device fed on its own; there is nothing to top up.
    return player.output != nullptr;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD)
{
    if (!player.output)
    {
        SayAudioProblem("BASS_StreamCreateFile: BASS_Init has not succeeded\n");
        return 0;
    }
    if (mem || offset != 0 || length != 0 || !file)
    {
        SayAudioProblem("BASS_StreamCreateFile: only whole files by name are supported\n");
        return 0;
    }
    if (player.stream)
    {
        SayAudioProblem("BASS_StreamCreateFile: a stream is already open\n");
        return 0;
    }
    auto stream = std::make_unique<Stream>();
    if (!DecodeMp3File(static_cast<const char*>(file), stream->music))
        return 0;
    stream->position = HeardPosition(stream->music.sampleRate);
    stream->handle = NextHandle();
    player.stream = std::move(stream);
    return player.stream->handle;
}

BOOL BASS_StreamFree(HSTREAM handle)
{
    if (!FindStream(handle))
        return 0;
    player.output->Stop();
    player.stream.reset();
    return 1;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    Stream* stream = FindStream(handle);
    if (!stream)
        return 0;
    if (restart)
    {
        stream->position.Restart();
        stream->lostDevice = LostDeviceClock{};
    }
    player.output->Play(stream->music, restart != 0);
    return 1;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length)
{
    Stream* stream = FindStream(handle);
    if (!stream || !buffer)
        return Failed32;
    if (length != BASS_DATA_FFT2048)
    {
        SayAudioProblem("BASS_ChannelGetData: only BASS_DATA_FFT2048 is supported\n");
        return Failed32;
    }
    if (!ComputeSpectrum(stream->music, HeardFrame(*stream), static_cast<float*>(buffer)))
        return Failed32;
    return SpectrumWindowFrames * MusicBytesPerFrame;
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode)
{
    Stream* stream = FindStream(handle);
    if (!stream || mode != BASS_POS_BYTE)
        return Failed64;
    return HeardFrame(*stream) * MusicBytesPerFrame;
}

// In the stream's own format: 16-bit stereo at the file's rate.
double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos)
{
    const Stream* stream = FindStream(handle);
    if (!stream)
        return -1.0;
    return static_cast<double>(pos) / (double(stream->music.sampleRate) * MusicBytesPerFrame);
}
