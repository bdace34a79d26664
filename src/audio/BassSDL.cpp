// The ten BASS calls of the program on Linux: whole-file MP3 decoding, SDL2 audio output, the
// position being heard and its spectrum. The program makes these calls from one thread; SDL's
// audio thread runs the callback, and the device lock keeps the two apart.
#include "Bass.h"

#include "HeardPosition.h"
#include "Logger.h"
#include "Mp3Decoder.h"
#include "Spectrum.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace
{

using Clock = std::chrono::steady_clock;

// About 23 ms at 44.1 kHz: short enough for a tight position, long enough not to underrun.
constexpr Uint16 DeviceBufferFrames = 1024;
constexpr QWORD Failed64 = ~QWORD{0};
constexpr DWORD Failed32 = ~DWORD{0};

struct Stream
{
    HSTREAM handle = 0;
    DecodedMusic music;
    // Everything below is shared with the callback under the device lock.
    bool playing = false;
    std::uint64_t framesFed = 0;           // frames handed to the device, silence past the end too
    std::uint64_t framesFedBefore = 0;     // framesFed before the latest callback
    Clock::time_point latestCallback;      // when the latest callback ran
    std::uint64_t framesHeardReported = 0; // keeps the reported position from going back
    LostDeviceClock lostDevice;
};

struct Player
{
    SDL_AudioDeviceID device = 0;
    std::uint64_t latencyFrames = 0; // the device buffer, heard after everything queued before it
    std::unique_ptr<Stream> stream;  // one stream at a time is all the program needs
    HSTREAM lastHandle = 0;
};

Player player;

double Seconds(Clock::time_point time)
{
    return std::chrono::duration<double>(time.time_since_epoch()).count();
}

class DeviceLock
{
  public:
    explicit DeviceLock(SDL_AudioDeviceID id) : device(id) { SDL_LockAudioDevice(device); }
    ~DeviceLock() { SDL_UnlockAudioDevice(device); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

  private:
    SDL_AudioDeviceID device;
};

void SDLCALL FillDeviceBuffer(void* userdata, Uint8* bytes, int length)
{
    std::memset(bytes, 0, static_cast<std::size_t>(length));
    Stream* stream = static_cast<Player*>(userdata)->stream.get();
    if (!stream || !stream->playing)
        return;

    const std::size_t frames = static_cast<std::size_t>(length) / MusicBytesPerFrame;
    const std::size_t musicFrames = stream->music.FrameCount();
    if (stream->framesFed < musicFrames)
    {
        const std::size_t count = std::min<std::size_t>(
            frames, musicFrames - static_cast<std::size_t>(stream->framesFed));
        std::memcpy(bytes, stream->music.samples.data() + stream->framesFed * 2,
                    count * MusicBytesPerFrame);
    }
    stream->framesFedBefore = stream->framesFed;
    stream->framesFed += frames;
    stream->latestCallback = Clock::now();
}

// The frame being heard: what was fed before the latest callback has been playing since it ran,
// behind the device buffer. Between callbacks the position runs on the clock, never beyond what
// the device has been given.
std::uint64_t HeardFrame(Stream& stream)
{
    DeviceLock lock(player.device);
    // Unplugged, or its sound server gone: SDL takes the device away, and its callbacks may stop.
    if (!stream.lostDevice.Lost() && SDL_GetAudioDeviceStatus(player.device) == SDL_AUDIO_STOPPED)
    {
        stream.lostDevice.Lose(Seconds(Clock::now()), stream.framesHeardReported);
        Logger::Print("The sound device went away at %.2f s; the music's clock runs on.\n",
                      static_cast<double>(stream.framesHeardReported) / MusicSampleRate);
    }
    if (stream.lostDevice.Lost())
    {
        stream.framesHeardReported =
            std::max(stream.framesHeardReported, stream.lostDevice.Frame(Seconds(Clock::now())));
        return stream.framesHeardReported;
    }
    if (stream.framesFed == 0)
        return stream.framesHeardReported;
    const double elapsed =
        std::chrono::duration<double>(Clock::now() - stream.latestCallback).count();
    const auto elapsedFrames = static_cast<std::uint64_t>(elapsed * MusicSampleRate);
    const std::uint64_t played = std::min(stream.framesFedBefore + elapsedFrames, stream.framesFed);
    const std::uint64_t heard = played > player.latencyFrames ? played - player.latencyFrames : 0;
    stream.framesHeardReported = std::max(stream.framesHeardReported, heard);
    return stream.framesHeardReported;
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
    if (player.device != 0)
    {
        std::fprintf(stderr, "BASS_Init: already initialised\n");
        return 0;
    }
    if (device != -1 || freq != MusicSampleRate)
    {
        std::fprintf(stderr, "BASS_Init: only the default device (-1) at 44100 Hz is supported\n");
        return 0;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        std::fprintf(stderr, "SDL_InitSubSystem(SDL_INIT_AUDIO) failed: %s\n", SDL_GetError());
        return 0;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = MusicSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = DeviceBufferFrames;
    wanted.callback = FillDeviceBuffer;
    wanted.userdata = &player;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the device really plays.
    player.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (player.device == 0)
    {
        std::fprintf(stderr, "SDL_OpenAudioDevice failed: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    player.latencyFrames = obtained.samples;
    return 1;
}

BOOL BASS_Free()
{
    if (player.device == 0)
        return 0;
    // Closing waits for the callback to return, so the stream goes after the device.
    SDL_CloseAudioDevice(player.device);
    player.device = 0;
    player.stream.reset();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return 1;
}

BOOL BASS_Start()
{
    if (player.device == 0)
        return 0;
    SDL_PauseAudioDevice(player.device, 0);
    return 1;
}

BOOL BASS_Update(DWORD)
{
    // The callback keeps the device fed on its own; there is nothing to top up.
    return player.device != 0;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD)
{
    if (player.device == 0)
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
    DeviceLock lock(player.device);
    player.stream = std::move(stream);
    return handle;
}

BOOL BASS_StreamFree(HSTREAM handle)
{
    if (!FindStream(handle))
        return 0;
    std::unique_ptr<Stream> freed;
    {
        DeviceLock lock(player.device);
        freed = std::move(player.stream);
    }
    return 1;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    Stream* stream = FindStream(handle);
    if (!stream)
        return 0;
    DeviceLock lock(player.device);
    if (restart)
    {
        stream->framesFed = 0;
        stream->framesFedBefore = 0;
        stream->framesHeardReported = 0;
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
