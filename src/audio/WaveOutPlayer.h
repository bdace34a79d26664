// The default waveOut device kept fed from a thread of its own: a few short buffers in flight,
// each refilled by a caller's function as the device hands it back.
#pragma once

#include "HeardPosition.h"

#include <windows.h>

#include <mmsystem.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

class WaveOutPlayer
{
  public:
    // Fills `frameCount` 16-bit stereo frames at `out`; `firstDeviceFrame` is where they start in
    // everything written to the device. Runs on the feeder thread.
    using FillFunction = void (*)(void* context, std::int16_t* out, std::size_t frameCount,
                                  std::uint64_t firstDeviceFrame);

    WaveOutPlayer() = default;
    ~WaveOutPlayer() { Close(); }
    WaveOutPlayer(const WaveOutPlayer&) = delete;
    WaveOutPlayer& operator=(const WaveOutPlayer&) = delete;

    // Opens the default device at 44.1 kHz 16-bit stereo and starts feeding it; false, after one
    // line on stderr, when there is no device to open.
    bool Open(FillFunction fill, void* context);
    void Close();
    bool IsOpen() const { return device != nullptr; }
    // Frames the device says it has played since Open. Call from one thread.
    std::uint64_t PlayedFrames();
    // The device has reported an error (its driver failed, or it went away); its played count
    // stands still from then.
    bool Failed() const { return failed; }

  private:
    // About 23 ms each: a tight position and a short start, four of them enough not to starve.
    static constexpr std::size_t BufferFrames = 1024;
    static constexpr std::size_t BufferCount = 4;

    static DWORD WINAPI FeedThread(LPVOID self);
    void Feed();

    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr; // signalled by the device as it returns a buffer
    HANDLE thread = nullptr;
    std::atomic<bool> stopping{false};
    std::atomic<bool> failed{false};
    FillFunction fill = nullptr;
    void* context = nullptr;
    std::uint64_t framesWritten = 0; // feeder thread only
    std::array<WAVEHDR, BufferCount> headers{};
    std::array<std::array<std::int16_t, BufferFrames * 2>, BufferCount> buffers{};
    WideCounter played; // caller's thread only
};
