// MP3 frame headers and the Xing/LAME info frame, read with a bounds check on every byte: the
// file is untrusted input.
#include "Mp3Layout.h"

#include <algorithm>
#include <array>

namespace
{

struct FrameHeader
{
    std::uint32_t bytes = 0;
    std::uint32_t bitrateKbps = 0;
    std::uint32_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t samplesPerFrame = 0;
    std::uint32_t sideInfoBytes = 0;  // 17 or 32 (MPEG-1), 9 or 17 (MPEG-2 and 2.5)
    std::uint32_t sideInfoOffset = 0; // where the side information, and an info tag, starts
};

std::uint32_t ReadBigEndian32(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

// Layer III of MPEG-1, 2 or 2.5 with a bitrate from the tables (a free-format frame has no size
// in its header).
bool ReadFrameHeader(const std::uint8_t* bytes, std::size_t size, std::size_t at, FrameHeader& out)
{
    static constexpr std::array<std::uint32_t, 16> Mpeg1Kbps = {
        0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr std::array<std::uint32_t, 16> Mpeg2Kbps = {0,  8,  16, 24,  32,  40,  48,  56,
                                                                64, 80, 96, 112, 128, 144, 160, 0};
    static constexpr std::array<std::uint32_t, 3> Mpeg1Rates = {44100, 48000, 32000};
    if (size < 4 || at > size - 4)
        return false;
    const std::uint32_t word = ReadBigEndian32(bytes + at);
    const bool sync = (word >> 21) == 0x7ff;
    const std::uint32_t version = (word >> 19) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const bool layer3 = ((word >> 17) & 3) == 1;
    const std::uint32_t rateIndex = (word >> 10) & 3;
    if (!sync || version == 1 || !layer3 || rateIndex == 3)
        return false;
    const bool mpeg1 = version == 3;
    const std::uint32_t kbps = (mpeg1 ? Mpeg1Kbps : Mpeg2Kbps)[(word >> 12) & 15];
    if (kbps == 0)
        return false;
    const bool crc = ((word >> 16) & 1) == 0;
    const std::uint32_t padding = (word >> 9) & 1;
    out.channels = ((word >> 6) & 3) == 3 ? 1 : 2;
    out.bitrateKbps = kbps;
    out.sampleRate = Mpeg1Rates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    out.samplesPerFrame = mpeg1 ? 1152 : 576;
    out.bytes = out.samplesPerFrame / 8 * kbps * 1000 / out.sampleRate + padding;
    out.sideInfoBytes = mpeg1 ? (out.channels == 1 ? 17 : 32) : (out.channels == 1 ? 9 : 17);
    out.sideInfoOffset = 4 + (crc ? 2 : 0);
    return true;
}

// Whether a header sits at `at` and its frame fits in the file.
bool IsWholeFrameAt(const std::uint8_t* bytes, std::size_t size, std::size_t at, FrameHeader& out)
{
    return ReadFrameHeader(bytes, size, at, out) && out.bytes <= size - at;
}

std::size_t SkipId3v2(const std::uint8_t* bytes, std::size_t size)
{
    if (size < 10 || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3')
        return 0;
    std::size_t length = 10;
    for (int i = 6; i < 10; ++i)
        length += static_cast<std::size_t>(bytes[i] & 0x7f) << (7 * (9 - i));
    if (bytes[5] & 0x10)
        length += 10; // footer
    return length < size ? length : size;
}

// The first frame header whose successor also reads as one (or which ends the file): a stray
// sync pattern in leftover tag bytes does not pass for the stream's start.
bool FindFirstFrame(const std::uint8_t* bytes, std::size_t size, std::size_t from, std::size_t& at)
{
    FrameHeader header;
    FrameHeader next;
    for (at = from; at + 4 <= size; ++at)
    {
        if (!IsWholeFrameAt(bytes, size, at, header))
            continue;
        const std::size_t after = at + header.bytes;
        if (after == size || ReadFrameHeader(bytes, size, after, next))
            return true;
    }
    return false;
}

struct InfoFrame
{
    bool present = false;
    bool hasFrameCount = false;
    std::uint32_t frameCount = 0;
    bool hasGapless = false;
    std::uint32_t delay = 0;
    std::uint32_t padding = 0;
};

InfoFrame ReadInfoFrame(const std::uint8_t* frame, const FrameHeader& header)
{
    InfoFrame info;
    std::size_t at = header.sideInfoOffset + header.sideInfoBytes;
    const auto fits = [&](std::size_t count) { return at + count <= header.bytes; };
    if (!fits(8))
        return info;
    const bool xing =
        frame[at] == 'X' && frame[at + 1] == 'i' && frame[at + 2] == 'n' && frame[at + 3] == 'g';
    const bool infoTag =
        frame[at] == 'I' && frame[at + 1] == 'n' && frame[at + 2] == 'f' && frame[at + 3] == 'o';
    if (!xing && !infoTag)
        return info;
    info.present = true;
    const std::uint32_t flags = ReadBigEndian32(frame + at + 4);
    at += 8;
    if (flags & 1)
    {
        if (!fits(4))
            return info;
        info.frameCount = ReadBigEndian32(frame + at);
        info.hasFrameCount = true;
        at += 4;
    }
    at += (flags & 2) ? 4 : 0;   // byte count
    at += (flags & 4) ? 100 : 0; // seek table
    at += (flags & 8) ? 4 : 0;   // quality
    // The LAME extension: 21 bytes of encoder name, levels and flags, then delay and padding
    // as two 12-bit numbers.
    at += 21;
    if (!fits(3))
        return info;
    info.delay = (std::uint32_t{frame[at]} << 4) | (frame[at + 1] >> 4);
    info.padding = ((std::uint32_t{frame[at + 1]} & 0x0f) << 8) | frame[at + 2];
    info.hasGapless = true;
    return info;
}

bool Fail(const char*& error, const char* reason)
{
    error = reason;
    return false;
}

} // namespace

bool ReadMp3Layout(const std::uint8_t* bytes, std::size_t size, Mp3Layout& out, const char*& error)
{
    out = Mp3Layout{};
    error = nullptr;
    if (!bytes)
        return Fail(error, "no data");
    std::size_t at = 0;
    if (!FindFirstFrame(bytes, size, SkipId3v2(bytes, size), at))
        return Fail(error, "no MPEG Layer III frames found");

    FrameHeader header;
    IsWholeFrameAt(bytes, size, at, header);
    const InfoFrame info = ReadInfoFrame(bytes + at, header);
    if (info.present)
        at += header.bytes;

    out.firstFrame = at;
    FrameHeader frame;
    while (IsWholeFrameAt(bytes, size, at, frame))
    {
        if (out.frameCount == 0)
        {
            out.sampleRate = frame.sampleRate;
            out.samplesPerFrame = frame.samplesPerFrame;
        }
        else if (frame.sampleRate != out.sampleRate)
            return Fail(error, "the sample rate changes inside the file");
        if (out.runs.empty() || frame.channels != out.runs.back().channels)
        {
            if (out.runs.size() == Mp3MaxChannelRuns)
                return Fail(error, "the channel count changes too often inside the file");
            out.runs.push_back({at, at, 0, frame.channels, frame.bytes, frame.bitrateKbps});
        }
        at += frame.bytes;
        ++out.frameCount;
        out.runs.back().end = at;
        ++out.runs.back().frameCount;
    }
    out.end = at;
    if (out.frameCount == 0)
        return Fail(error, "no audio frames after the info frame");
    if (info.hasFrameCount && info.frameCount > out.frameCount)
        return Fail(error, "file is truncated");

    const std::uint64_t frames = info.hasFrameCount ? info.frameCount : out.frameCount;
    const std::uint64_t decoded = frames * out.samplesPerFrame;
    const std::uint64_t skip = std::uint64_t{info.delay} + Mp3DecoderDelay;
    if (info.hasGapless && std::uint64_t{info.delay} + info.padding < decoded && skip < decoded)
    {
        // Padding shorter than the decoder delay leaves the end short, as libmpg123 does.
        out.skipSamples = skip;
        out.musicSamples = std::min(decoded - info.delay - info.padding, decoded - skip);
    }
    else
    {
        out.musicSamples = decoded;
    }
    return true;
}
