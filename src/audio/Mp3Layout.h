// Where the audio frames of an MP3 file lie and which decoded samples are the music: the part of
// decoding a platform codec does not do for us (tags, the info frame, gapless trimming).
#pragma once

#include <cstddef>
#include <cstdint>

// Samples an MPEG-1 Layer III decoder outputs before the first encoded one (its filter bank).
constexpr std::uint32_t Mp3DecoderDelay = 529;
constexpr std::uint32_t Mp3SamplesPerFrame = 1152;

struct Mp3Layout
{
    std::size_t firstFrame = 0;        // byte offset of the first audio frame (info frame skipped)
    std::size_t end = 0;               // just past the last whole audio frame
    std::uint32_t frameCount = 0;      // audio frames in [firstFrame, end)
    std::uint32_t channels = 0;        // 1 or 2
    std::uint32_t firstFrameBytes = 0; // size of the first audio frame
    std::uint32_t bitrateKbps = 0;     // of the first audio frame
    std::uint64_t skipSamples = 0;     // decoded samples (per channel) before the music
    std::uint64_t musicSamples = 0;    // decoded samples (per channel) that are the music
};

// Reads the layout of a 44.1 kHz MPEG-1 Layer III file held in `bytes`: an optional ID3v2 tag,
// an optional Xing/Info frame whose LAME extension gives the encoder delay and padding, then
// whole audio frames up to the first thing that is not one (an ID3v1 tag, a cut-off frame).
// Without delay and padding every decoded sample is music, as with libmpg123. Returns false with
// `error` naming the problem for anything else: no frames, another rate or layer, a format change
// inside the stream, fewer frames than the info frame declares (a truncated file).
bool ReadMp3Layout(const std::uint8_t* bytes, std::size_t size, Mp3Layout& out, const char*& error);
