// waveOut, which every Windows has: opened with an event the driver signals per finished buffer.
#include "WaveOutPlayer.h"

#include <cstdio>

bool WaveOutPlayer::Open(FillFunction fillFunction, void* fillContext)
{
    if (device)
        return false;
    fill = fillFunction;
    context = fillContext;
    bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!bufferDone)
        return false;

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    const MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &format,
                                        reinterpret_cast<DWORD_PTR>(bufferDone), 0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR)
    {
        std::fprintf(stderr, "waveOutOpen failed: %u\n", static_cast<unsigned>(result));
        device = nullptr;
        CloseHandle(bufferDone);
        bufferDone = nullptr;
        return false;
    }
    played = WideCounter{};
    framesWritten = 0;
    failed = false;
    for (std::size_t i = 0; i < BufferCount; ++i)
    {
        headers[i] = WAVEHDR{};
        headers[i].lpData = reinterpret_cast<LPSTR>(buffers[i].data());
        headers[i].dwBufferLength = static_cast<DWORD>(BufferFrames * 4);
        waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR));
        headers[i].dwFlags |= WHDR_DONE; // free to fill
    }
    stopping = false;
    thread = CreateThread(nullptr, 0, FeedThread, this, 0, nullptr);
    if (!thread)
    {
        std::fprintf(stderr, "CreateThread failed for the audio feeder\n");
        Close();
        return false;
    }
    return true;
}

void WaveOutPlayer::Close()
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

std::uint64_t WaveOutPlayer::PlayedFrames()
{
    if (!device)
        return 0;
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(device, &time, sizeof time) != MMSYSERR_NOERROR)
    {
        failed = true;
        return played.Total();
    }
    // A driver may answer in bytes instead of the samples asked for.
    return played.Update(time.wType == TIME_BYTES ? time.u.cb / 4 : time.u.sample);
}

DWORD WINAPI WaveOutPlayer::FeedThread(LPVOID self)
{
    static_cast<WaveOutPlayer*>(self)->Feed();
    return 0;
}

void WaveOutPlayer::Feed()
{
    while (!stopping)
    {
        for (WAVEHDR& header : headers)
        {
            if (!(header.dwFlags & WHDR_DONE))
                continue;
            header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
            fill(context, reinterpret_cast<std::int16_t*>(header.lpData), BufferFrames,
                 framesWritten);
            framesWritten += BufferFrames;
            if (waveOutWrite(device, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
                failed = true;
        }
        // The timeout only bounds the wait should a driver forget to signal.
        WaitForSingleObject(bufferDone, 50);
    }
}
