// The sound device under the BASS calls (Bass.cpp): one implementation per platform, which only
// talks to the platform. The calls' checks, handles, position rule and spectrum are Bass.cpp's.
#pragma once

#include "Mp3Decoder.h"

#include <cstdint>
#include <memory>

class AudioOutput
{
  public:
    virtual ~AudioOutput() = default;

    // The default device at 44.1 kHz, 16-bit stereo, silent until Play; false, after one line on
    // stderr, when there is none to open.
    virtual bool Open() = 0;
    // Lets a device that opens paused run; the others are running already.
    virtual void Start() = 0;
    // Plays `music` (which stays alive until Stop or Close) from its start when `restart` or when
    // nothing played yet, else from where it is; past its end the device plays silence.
    virtual void Play(const DecodedMusic& music, bool restart) = 0;
    // Plays no more of the music; it may go once this returns.
    virtual void Stop() = 0;
    virtual void Close() = 0;
    // Frames of the music the device says it has played since Play from the start: it may run
    // ahead of real time or stand still (Bass.cpp's position rule takes care of both).
    virtual std::uint64_t FramesPlayed() = 0;
    // The device has gone (unplugged, its server or driver failed) and counts no more.
    virtual bool Failed() = 0;
};

// This platform's output.
std::unique_ptr<AudioOutput> MakeAudioOutput();
