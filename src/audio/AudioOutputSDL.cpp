// SDL2 audio: a callback on SDL's audio thread fills the device buffer from the music, under the
// device lock. SDL tells no played count, so it is reckoned from the callbacks: what was fed
// before the latest one has been playing since it ran, behind the device buffer.
#include "AudioOutput.h"
#include "MusicFeed.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace
{

using Clock = std::chrono::steady_clock;

// About 23 ms at 44.1 kHz: short enough for a tight position, long enough not to underrun.
constexpr Uint16 DeviceBufferFrames = 1024;

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

class AudioOutputSDL final : public AudioOutput
{
  public:
    ~AudioOutputSDL() override { Close(); }

    bool Open() override
    {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        {
            std::fprintf(stderr, "SDL_InitSubSystem(SDL_INIT_AUDIO) failed: %s\n", SDL_GetError());
            return false;
        }
        if (!OpenDevice(MusicSampleRate))
        {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        initialised = true;
        return true;
    }

    void Start() override
    {
        started = true;
        SDL_PauseAudioDevice(device, 0);
    }

    // A file at another rate reopens the device at the file's: SDL converts to what the device
    // really plays. A device that will not reopen counts as gone (Failed).
    void Play(const DecodedMusic& music, bool restart) override
    {
        if (music.sampleRate != rate && device != 0)
        {
            SDL_CloseAudioDevice(device);
            device = 0;
            if (OpenDevice(music.sampleRate) && started)
                SDL_PauseAudioDevice(device, 0);
        }
        if (device == 0)
            return;
        DeviceLock lock(device);
        feed.Play(music, restart);
        if (feed.FramesFed() == 0)
            framesFedBefore = 0;
    }

    void Stop() override
    {
        if (device == 0)
            return;
        DeviceLock lock(device);
        feed.Stop();
    }

    void Close() override
    {
        if (device != 0)
            SDL_CloseAudioDevice(device); // waits for the callback to return
        if (initialised)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        device = 0;
        initialised = false;
    }

    // Between callbacks the count runs on the clock, never beyond what the device has been given.
    std::uint64_t FramesPlayed() override
    {
        if (device == 0)
            return 0;
        DeviceLock lock(device);
        if (feed.FramesFed() == 0)
            return 0;
        const double elapsed = std::chrono::duration<double>(Clock::now() - latestCallback).count();
        const auto elapsedFrames = static_cast<std::uint64_t>(elapsed * rate);
        const std::uint64_t played = std::min(framesFedBefore + elapsedFrames, feed.FramesFed());
        return played > latencyFrames ? played - latencyFrames : 0;
    }

    // Unplugged, or its sound server gone: SDL takes the device away, and its callbacks may stop.
    bool Failed() override
    {
        return device == 0 || SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED;
    }

  private:
    bool OpenDevice(int framesPerSecond)
    {
        SDL_AudioSpec wanted{};
        wanted.freq = framesPerSecond;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 2;
        wanted.samples = DeviceBufferFrames;
        wanted.callback = FillDeviceBuffer;
        wanted.userdata = this;
        SDL_AudioSpec obtained{};
        // No changes allowed: SDL converts to whatever the device really plays.
        device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        if (device == 0)
        {
            std::fprintf(stderr, "SDL_OpenAudioDevice failed: %s\n", SDL_GetError());
            return false;
        }
        latencyFrames = obtained.samples;
        rate = framesPerSecond;
        return true;
    }

    static void SDLCALL FillDeviceBuffer(void* self, Uint8* bytes, int length)
    {
        static_cast<AudioOutputSDL*>(self)->Fill(reinterpret_cast<std::int16_t*>(bytes),
                                                 static_cast<std::size_t>(length) /
                                                     MusicBytesPerFrame);
    }

    void Fill(std::int16_t* out, std::size_t frames)
    {
        const std::uint64_t before = feed.FramesFed();
        feed.Fill(out, frames);
        if (!feed.Playing())
            return;
        framesFedBefore = before;
        latestCallback = Clock::now();
    }

    bool initialised = false;
    bool started = false;
    SDL_AudioDeviceID device = 0;
    int rate = 0;                    // the device's frames a second: the music's
    std::uint64_t latencyFrames = 0; // the device buffer, heard after everything queued before it
    // Shared with the callback under the device lock.
    MusicFeed feed;
    std::uint64_t framesFedBefore = 0; // frames fed before the latest callback
    Clock::time_point latestCallback;
};

} // namespace

std::unique_ptr<AudioOutput> MakeAudioOutput()
{
    return std::make_unique<AudioOutputSDL>();
}
