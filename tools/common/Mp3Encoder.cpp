// Encodes PCM to MP3 in memory with libmp3lame.
#include "Mp3Encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <memory>

namespace
{

struct LameDeleter
{
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using LamePtr = std::unique_ptr<lame_global_flags, LameDeleter>;

// Frames handed to LAME per call; bounds the output scratch buffer.
constexpr std::size_t ChunkFrames = 8192;

// LAME's own bound for the output of one encode call: 1.25 × samples + 7200 bytes.
constexpr std::size_t MaxEncodedBytes(std::size_t frames)
{
    return frames * 5 / 4 + 7200;
}

LamePtr CreateEncoder(int sampleRate, int bitrateKbps)
{
    LamePtr lame(lame_init());
    if (!lame)
        return nullptr;
    lame_set_num_channels(lame.get(), 2);
    lame_set_in_samplerate(lame.get(), sampleRate);
    // Left alone, LAME would pick a lower output rate for low bitrates.
    lame_set_out_samplerate(lame.get(), sampleRate);
    lame_set_brate(lame.get(), bitrateKbps);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_mode(lame.get(), JOINT_STEREO);
    lame_set_quality(lame.get(), 2);
    lame_set_bWriteVbrTag(lame.get(), 1);
    lame_set_write_id3tag_automatic(lame.get(), 0);
    // LAME quietly substitutes the nearest rate or bitrate it supports; the callers asked for
    // these.
    if (lame_init_params(lame.get()) < 0 || lame_get_out_samplerate(lame.get()) != sampleRate ||
        lame_get_brate(lame.get()) != bitrateKbps)
        return nullptr;
    return lame;
}

} // namespace

bool EncodeMp3(const std::int16_t* interleavedStereo, std::size_t frames, int sampleRate,
               int bitrateKbps, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!interleavedStereo && frames > 0)
        return false;
    LamePtr lame = CreateEncoder(sampleRate, bitrateKbps);
    if (!lame)
        return false;

    std::vector<unsigned char> scratch(MaxEncodedBytes(ChunkFrames));
    for (std::size_t first = 0; first < frames; first += ChunkFrames)
    {
        const std::size_t count = std::min(ChunkFrames, frames - first);
        // LAME takes a non-const pointer but only reads the samples.
        short* samples = const_cast<short*>(interleavedStereo + first * 2);
        const int written =
            lame_encode_buffer_interleaved(lame.get(), samples, static_cast<int>(count),
                                           scratch.data(), static_cast<int>(scratch.size()));
        if (written < 0)
        {
            out.clear();
            return false;
        }
        out.insert(out.end(), scratch.begin(), scratch.begin() + written);
    }
    const int flushed =
        lame_encode_flush(lame.get(), scratch.data(), static_cast<int>(scratch.size()));
    if (flushed < 0)
    {
        out.clear();
        return false;
    }
    out.insert(out.end(), scratch.begin(), scratch.begin() + flushed);

    // The first frame LAME wrote is a placeholder for the info frame, which only now knows the
    // length, delay and padding.
    std::vector<unsigned char> tag(out.size());
    const std::size_t tagSize = lame_get_lametag_frame(lame.get(), tag.data(), tag.size());
    if (tagSize == 0 || tagSize > out.size())
    {
        out.clear();
        return false;
    }
    std::copy_n(tag.begin(), tagSize, out.begin());
    return true;
}
