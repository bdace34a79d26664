// waveOut, which every Windows has, kept fed from a thread of its own: a few short buffers in
// flight, each refilled from the music as the device hands it back (it signals an event per
// finished buffer). The device plays silence from Open on, so the music's count starts where its
// first frame went in.
#include "AudioOutput.h"
#include "AudioProblem.h"
#include "HeardPosition.h"
#include "MusicFeed.h"

#include <windows.h>

#include <mmsystem.h>

#include <array>
#include <atomic>
#include <cstdio>

namespace
{

class CriticalSection
{
  public:
    CriticalSection() { InitializeCriticalSection(&section); }
    ~CriticalSection() { DeleteCriticalSection(&section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&section); }
    void Leave() { LeaveCriticalSection(&section); }

  private:
    CRITICAL_SECTION section{};
};

class Lock
{
  public:
    explicit Lock(CriticalSection& held) : section(held) { section.Enter(); }
    ~Lock() { section.Leave(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

  private:
    CriticalSection& section;
};

class AudioOutputWaveOut final : public AudioOutput
{
  public:
    ~AudioOutputWaveOut() override { Close(); }

    bool Open() override { return OpenAt(MusicSampleRate); }
    // The device is fed from Open on; there is nothing paused to resume.
    void Start() override {}
    void Play(const DecodedMusic& music, bool restart) override;
    void Stop() override;
    void Close() override;
    std::uint64_t FramesPlayed() override;
    // The device has reported an error (its driver failed, or it went away); its played count
    // stands still from then.
    bool Failed() override { return failed; }

  private:
    // About 23 ms each: a tight position and a short start, four of them enough not to starve.
    static constexpr std::size_t BufferFrames = 1024;
    static constexpr std::size_t BufferCount = 4;

    bool OpenAt(int framesPerSecond);
    static DWORD WINAPI FeedThread(LPVOID self);
    void Feed();
    std::uint64_t DevicePlayedFrames();

    HWAVEOUT device = nullptr;
    int rate = 0;                // the device's frames a second: the music's
    HANDLE bufferDone = nullptr; // signalled by the device as it returns a buffer
    HANDLE thread = nullptr;
    std::atomic<bool> stopping{false};
    std::atomic<bool> failed{false};
    std::uint64_t framesWritten = 0; // feeder thread only
    std::array<WAVEHDR, BufferCount> headers{};
    std::array<std::array<std::int16_t, BufferFrames * 2>, BufferCount> buffers{};
    WideCounter played; // caller's thread only
    // Shared with the feeder thread under the lock.
    CriticalSection lock;
    MusicFeed feed;
    bool reachedDevice = false;    // the music's first frame has been written to the device
    std::uint64_t deviceStart = 0; // where in the device's frames that was
};

bool AudioOutputWaveOut::OpenAt(int framesPerSecond)
{
    if (device)
        return false;
    bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!bufferDone)
        return false;

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = DWORD(framesPerSecond);
    format.wBitsPerSample = 16;
    format.nBlockAlign = MusicBytesPerFrame;
    format.nAvgBytesPerSec = DWORD(framesPerSecond) * MusicBytesPerFrame;
    const MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &format,
                                        reinterpret_cast<DWORD_PTR>(bufferDone), 0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR)
    {
        SayAudioProblem("waveOutOpen failed: %u\n", static_cast<unsigned>(result));
        device = nullptr;
        CloseHandle(bufferDone);
        bufferDone = nullptr;
        return false;
    }
    for (std::size_t i = 0; i < BufferCount; ++i)
    {
        headers[i] = WAVEHDR{};
        headers[i].lpData = reinterpret_cast<LPSTR>(buffers[i].data());
        headers[i].dwBufferLength = static_cast<DWORD>(BufferFrames * MusicBytesPerFrame);
        waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR));
        headers[i].dwFlags |= WHDR_DONE; // free to fill
    }
    // A fresh device counts from 0.
    rate = framesPerSecond;
    stopping = false;
    framesWritten = 0;
    played = WideCounter{};
    reachedDevice = false;
    deviceStart = 0;
    thread = CreateThread(nullptr, 0, FeedThread, this, 0, nullptr);
    if (!thread)
    {
        SayAudioProblem("CreateThread failed for the audio feeder\n");
        Close();
        return false;
    }
    return true;
}

void AudioOutputWaveOut::Close()
{
    if (!device)
        return;
    if (thread)
    {
        stopping = true;
        SetEvent(bufferDone);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
    // Reset hands every queued buffer back, so they can be unprepared.
    waveOutReset(device);
    for (WAVEHDR& header : headers)
        waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
    waveOutClose(device);
    device = nullptr;
    CloseHandle(bufferDone);
    bufferDone = nullptr;
}

// A file at another rate reopens the device at the file's: the wave mapper converts to what the
// device plays. A device that will not reopen counts as failed.
void AudioOutputWaveOut::Play(const DecodedMusic& music, bool restart)
{
    if (music.sampleRate != rate && device)
    {
        Close();
        if (!OpenAt(music.sampleRate))
            failed = true;
    }
    Lock held(lock);
    feed.Play(music, restart);
    if (feed.FramesFed() == 0)
        reachedDevice = false;
}

void AudioOutputWaveOut::Stop()
{
    Lock held(lock);
    feed.Stop();
}

std::uint64_t AudioOutputWaveOut::FramesPlayed()
{
    const std::uint64_t devicePlayed = DevicePlayedFrames();
    Lock held(lock);
    return reachedDevice && devicePlayed > deviceStart ? devicePlayed - deviceStart : 0;
}

// Frames the device says it has played since Open.
std::uint64_t AudioOutputWaveOut::DevicePlayedFrames()
{
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(device, &time, sizeof time) != MMSYSERR_NOERROR)
    {
        failed = true;
        return played.Total();
    }
    // A driver may answer in bytes instead of the samples asked for.
    return played.Update(time.wType == TIME_BYTES ? time.u.cb / MusicBytesPerFrame : time.u.sample);
}

DWORD WINAPI AudioOutputWaveOut::FeedThread(LPVOID self)
{
    static_cast<AudioOutputWaveOut*>(self)->Feed();
    return 0;
}

void AudioOutputWaveOut::Feed()
{
    while (!stopping)
    {
        for (WAVEHDR& header : headers)
        {
            if (!(header.dwFlags & WHDR_DONE))
                continue;
            header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
            {
                Lock held(lock);
                if (feed.Playing() && !reachedDevice)
                {
                    reachedDevice = true;
                    deviceStart = framesWritten;
                }
                feed.Fill(reinterpret_cast<std::int16_t*>(header.lpData), BufferFrames);
            }
            framesWritten += BufferFrames;
            if (waveOutWrite(device, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
                failed = true;
        }
        // The timeout only bounds the wait should a driver forget to signal.
        WaitForSingleObject(bufferDone, 50);
    }
}

} // namespace

std::unique_ptr<AudioOutput> MakeAudioOutput()
{
    return std::make_unique<AudioOutputWaveOut>();
}
