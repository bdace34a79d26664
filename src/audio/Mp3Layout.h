// Where the audio frames of an MP3 file lie and which decoded samples are the music: the part of
// decoding a platform codec does not do for us (tags, the info frame, gapless trimming).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Samples a Layer III decoder outputs before the first encoded one (its filter bank).
constexpr std::uint32_t Mp3DecoderDelay = 529;
// Samples per channel of the largest frame (MPEG-1's; MPEG-2 and 2.5 frames hold half).
constexpr std::uint32_t Mp3MaxSamplesPerFrame = 1152;

// A file that switches between mono and stereo (tracks joined end to end) has more runs than
// one; more than this many is taken for a hostile file, as each run is a codec stream of its own.
constexpr std::size_t Mp3MaxChannelRuns = 64;

// Consecutive audio frames of one channel count.
struct Mp3ChannelRun
{
    std::size_t begin = 0;             // byte offset of the run's first frame
    std::size_t end = 0;               // just past its last frame
    std::uint32_t frameCount = 0;      // audio frames in [begin, end)
    std::uint32_t channels = 0;        // 1 or 2
    std::uint32_t firstFrameBytes = 0; // size of the run's first frame
    std::uint32_t bitrateKbps = 0;     // of the run's first frame
};

struct Mp3Layout
{
    std::size_t firstFrame = 0;        // byte offset of the first audio frame (info frame skipped)
    std::size_t end = 0;               // just past the last whole audio frame
    std::uint32_t frameCount = 0;      // audio frames in [firstFrame, end)
    std::uint32_t sampleRate = 0;      // 8000 to 48000
    std::uint32_t samplesPerFrame = 0; // per channel: 1152 (MPEG-1) or 576 (MPEG-2 and 2.5)
    std::uint64_t skipSamples = 0;     // decoded samples (per channel) before the music
    std::uint64_t musicSamples = 0;    // decoded samples (per channel) that are the music
    std::vector<Mp3ChannelRun> runs;   // in file order, covering [firstFrame, end)
};

// Reads the layout of an MPEG-1, 2 or 2.5 Layer III file held in `bytes`: an optional ID3v2 tag,
// an optional Xing/Info frame whose LAME extension gives the encoder delay and padding, then
// whole audio frames up to the first thing that is not one (an ID3v1 tag, a cut-off frame).
// Without delay and padding every decoded sample is music, as with libmpg123. Returns false with
// `error` naming the problem for anything else: no frames, another layer, a change of rate or
// version inside the stream, more than Mp3MaxChannelRuns runs, fewer frames than the info frame
// declares (a truncated file).
bool ReadMp3Layout(const std::uint8_t* bytes, std::size_t size, Mp3Layout& out, const char*& error);
