// The ten BASS calls of the program in a browser: the page decodes the music with Web Audio while
// it loads, plays it from the start gesture and reports the time being heard; the spectrum is
// our own, computed from the decoded samples as everywhere else.
#include "Bass.h"

#include "Mp3Decoder.h"
#include "Spectrum.h"

#include <algorithm>
#include <cstdio>
#include <memory>

extern "C"
{
    // Written in JavaScript (src/web/library-audio.js).
    int ombrel_audio_init();
    void ombrel_audio_free();
    void ombrel_audio_start();
    void ombrel_audio_close();
    // Plays the music DecodeMp3File handed over last.
    void ombrel_audio_play(int restart);
    // Seconds of music heard so far: the context's time since play less its output latency.
    double ombrel_audio_heard_seconds();
}

namespace
{
constexpr QWORD Failed64 = ~QWORD{0};
constexpr DWORD Failed32 = ~DWORD{0};

struct Stream
{
    HSTREAM handle = 0;
    DecodedMusic music;
    std::uint64_t framesHeardReported = 0; // keeps the reported position from going back
};

struct Player
{
    bool initialised = false;
    std::unique_ptr<Stream> stream;
    HSTREAM lastHandle = 0;
};

Player player;

std::uint64_t HeardFrame(Stream& stream)
{
    const double seconds = ombrel_audio_heard_seconds();
    const std::uint64_t heard =
        seconds > 0.0 ? static_cast<std::uint64_t>(seconds * MusicSampleRate) : 0;
    stream.framesHeardReported = std::max(stream.framesHeardReported, heard);
    return stream.framesHeardReported;
}

Stream* FindStream(DWORD handle)
{
    if (!player.stream || player.stream->handle != handle || handle == 0)
        return nullptr;
    return player.stream.get();
}
} // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD, void*, const void*)
{
    if (player.initialised || device != -1 || freq != MusicSampleRate)
    {
        std::fprintf(stderr, "BASS_Init: only the default device (-1) at 44100 Hz, once\n");
        return 0;
    }
    player.initialised = ombrel_audio_init() != 0;
    return player.initialised;
}

BOOL BASS_Free()
{
    if (!player.initialised)
        return 0;
    player.stream.reset();
    ombrel_audio_free();
    player.initialised = false;
    return 1;
}

BOOL BASS_Start()
{
    if (!player.initialised)
        return 0;
    ombrel_audio_start();
    return 1;
}

BOOL BASS_Update(DWORD)
{
    return player.initialised;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD)
{
    if (!player.initialised || mem || offset != 0 || length != 0 || !file || player.stream)
    {
        std::fprintf(stderr, "BASS_StreamCreateFile: one whole file by name, after BASS_Init\n");
        return 0;
    }
    auto stream = std::make_unique<Stream>();
    if (!DecodeMp3File(static_cast<const char*>(file), stream->music))
        return 0;
    if (++player.lastHandle == 0)
        ++player.lastHandle;
    stream->handle = player.lastHandle;
    player.stream = std::move(stream);
    return player.lastHandle;
}

BOOL BASS_StreamFree(HSTREAM handle)
{
    if (!FindStream(handle))
        return 0;
    ombrel_audio_close();
    player.stream.reset();
    return 1;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    Stream* stream = FindStream(handle);
    if (!stream)
        return 0;
    if (restart)
        stream->framesHeardReported = 0;
    ombrel_audio_play(restart);
    return 1;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length)
{
    Stream* stream = FindStream(handle);
    if (!stream || !buffer || length != BASS_DATA_FFT2048)
        return Failed32;
    ComputeSpectrum(stream->music, HeardFrame(*stream), static_cast<float*>(buffer));
    return SpectrumWindowFrames * MusicBytesPerFrame;
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode)
{
    Stream* stream = FindStream(handle);
    if (!stream || mode != BASS_POS_BYTE)
        return Failed64;
    return HeardFrame(*stream) * MusicBytesPerFrame;
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos)
{
    if (!FindStream(handle))
        return -1.0;
    return static_cast<double>(pos) / (MusicSampleRate * MusicBytesPerFrame);
}
