// The ten BASS calls of the program on Windows, as our own bass.dll: whole-file decoding through
// the system's MP3 codec, waveOut output, the position being heard and its spectrum, with the
// meanings of the Linux layer (BassSDL.cpp). The program makes these calls from one thread; the
// feeder thread reads the stream under the player's lock.
#include "Bass.h"

#include "HeardPosition.h"
#include "Mp3Decoder.h"
#include "Spectrum.h"
#include "WaveOutPlayer.h"

#include <cstdio>
#include <cstring>

#include <algorithm>
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
    HeardPosition position; // caller's thread only
    LostDeviceClock lostDevice;
    // Shared with the feeder thread under the lock.
    bool playing = false;
    bool reachedDevice = false;    // its first frame has been written to the device
    std::uint64_t deviceStart = 0; // where in the device's frames that was
    std::uint64_t framesFed = 0;   // frames handed to the device, silence past the end too
};

struct Player
{
    bool initialised = false;
    CRITICAL_SECTION lock{};
    WaveOutPlayer output;
    std::unique_ptr<Stream> stream; // one stream at a time is all the program needs
    HSTREAM lastHandle = 0;
};

Player player;

class PlayerLock
{
  public:
    PlayerLock() { EnterCriticalSection(&player.lock); }
    ~PlayerLock() { LeaveCriticalSection(&player.lock); }
    PlayerLock(const PlayerLock&) = delete;
    PlayerLock& operator=(const PlayerLock&) = delete;
};

void FillDeviceBuffer(void*, std::int16_t* out, std::size_t frames, std::uint64_t firstDeviceFrame)
{
    std::memset(out, 0, frames * MusicBytesPerFrame);
    PlayerLock lock;
    Stream* stream = player.stream.get();
    if (!stream || !stream->playing)
        return;
    if (!stream->reachedDevice)
    {
        stream->reachedDevice = true;
        stream->deviceStart = firstDeviceFrame;
    }
    const std::size_t musicFrames = stream->music.FrameCount();
    if (stream->framesFed < musicFrames)
    {
        const std::size_t count = std::min<std::size_t>(
            frames, musicFrames - static_cast<std::size_t>(stream->framesFed));
        std::memcpy(out, stream->music.samples.data() + stream->framesFed * 2,
                    count * MusicBytesPerFrame);
    }
    stream->framesFed += frames;
}

double NowSeconds()
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::uint64_t HeardFrame(Stream& stream)
{
    const std::uint64_t played = player.output.PlayedFrames();
    // A device that failed counts no more: the pictures must not stop with it.
    if (!stream.lostDevice.Lost() && player.output.Failed())
    {
        stream.lostDevice.Lose(NowSeconds(), stream.position.Reported());
        std::fprintf(stderr, "bass: the sound device failed at %.2f s; the music's clock runs on\n",
                     static_cast<double>(stream.position.Reported()) / MusicSampleRate);
    }
    if (stream.lostDevice.Lost())
        return stream.lostDevice.Frame(NowSeconds());
    bool reached = false;
    std::uint64_t start = 0;
    {
        PlayerLock lock;
        reached = stream.reachedDevice;
        start = stream.deviceStart;
    }
    const std::uint64_t deviceFrames = reached && played > start ? played - start : 0;
    return stream.position.Next(NowSeconds(), deviceFrames);
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
    if (player.initialised)
    {
        std::fprintf(stderr, "BASS_Init: already initialised\n");
        return 0;
    }
    if (device != -1 || freq != MusicSampleRate)
    {
        std::fprintf(stderr, "BASS_Init: only the default device (-1) at 44100 Hz is supported\n");
        return 0;
    }
    InitializeCriticalSection(&player.lock);
    if (!player.output.Open(FillDeviceBuffer, nullptr))
    {
        DeleteCriticalSection(&player.lock);
        return 0;
    }
    player.initialised = true;
    return 1;
}

BOOL BASS_Free()
{
    if (!player.initialised)
        return 0;
    // Closing stops the feeder thread, so the stream goes after the device.
    player.output.Close();
    player.stream.reset();
    DeleteCriticalSection(&player.lock);
    player.initialised = false;
    return 1;
}

BOOL BASS_Start()
{
    // The device is fed from BASS_Init on; there is nothing paused to resume.
    return player.initialised;
}

BOOL BASS_Update(DWORD)
{
    // The feeder thread keeps the device fed on its own; there is nothing to top up.
    return player.initialised;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD)
{
    if (!player.initialised)
    {
        std::fprintf(stderr, "BASS_StreamCreateFile: BASS_Init has not succeeded\n");
        return 0;
    }
    if (mem || offset != 0 || length != 0 || !file)
    {
        std::fprintf(stderr, "BASS_StreamCreateFile: only whole files by name are supported\n");
        return 0;
    }
    if (player.stream)
    {
        std::fprintf(stderr, "BASS_StreamCreateFile: a stream is already open\n");
        return 0;
    }
    auto stream = std::make_unique<Stream>();
    if (!DecodeMp3File(static_cast<const char*>(file), stream->music))
        return 0;
    stream->handle = NextHandle();
    const HSTREAM handle = stream->handle;
    PlayerLock lock;
    player.stream = std::move(stream);
    return handle;
}

BOOL BASS_StreamFree(HSTREAM handle)
{
    if (!FindStream(handle))
        return 0;
    std::unique_ptr<Stream> freed;
    {
        PlayerLock lock;
        freed = std::move(player.stream);
    }
    return 1;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    Stream* stream = FindStream(handle);
    if (!stream)
        return 0;
    PlayerLock lock;
    if (restart)
    {
        stream->framesFed = 0;
        stream->reachedDevice = false;
        stream->position.Restart();
        stream->lostDevice = LostDeviceClock{};
    }
    stream->playing = true;
    return 1;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length)
{
    Stream* stream = FindStream(handle);
    if (!stream || !buffer)
        return Failed32;
    if (length != BASS_DATA_FFT2048)
    {
        std::fprintf(stderr, "BASS_ChannelGetData: only BASS_DATA_FFT2048 is supported\n");
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

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos)
{
    if (!FindStream(handle))
        return -1.0;
    return static_cast<double>(pos) / (MusicSampleRate * MusicBytesPerFrame);
}
