// Decodes MP3 files with the system's MP3 codec through the Audio Compression Manager (msacm32),
// present on every Windows. The codec sees only audio frames; tags, the info frame and the
// gapless trim are ours (Mp3Layout), so the music has the same length and timing as on Linux.
#include "AudioProblem.h"
#include "Mp3Decoder.h"
#include "Mp3Layout.h"

#include <cstdio>
#include <cstring>

#include <windows.h>

#include <mmreg.h>
#include <mmsystem.h>
#include <msacm.h>

#include <algorithm>
#include <vector>

namespace
{

constexpr std::uint64_t MaxFrames = MaxMusicFrames;
// An MP3 of that length at 320 kbps is about 72 MB.
constexpr long MaxFileBytes = 128L << 20;
// Whole frames per conversion call; the output room leaves slack for what the codec holds back.
constexpr std::size_t ChunkFrames = 32;
constexpr std::size_t MaxFrameBytes = 1441; // 320 kbps with padding

bool Fail(const char* path, const char* reason)
{
    SayAudioProblem("Failed to decode %s: %s\n", path, reason);
    return false;
}

bool ReadWholeFile(const char* path, std::vector<std::uint8_t>& bytes, const char*& reason)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
    {
        reason = "cannot open the file";
        return false;
    }
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && size <= MaxFileBytes && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok)
    {
        bytes.resize(static_cast<std::size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    if (!ok)
        reason = size > MaxFileBytes ? "file is too large" : "cannot read the file";
    return ok;
}

class AcmStream
{
  public:
    AcmStream(const Mp3ChannelRun& run, std::uint32_t sampleRate)
    {
        MPEGLAYER3WAVEFORMAT mp3{};
        mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        mp3.wfx.nChannels = static_cast<WORD>(run.channels);
        mp3.wfx.nSamplesPerSec = sampleRate;
        mp3.wfx.nAvgBytesPerSec = run.bitrateKbps * 1000 / 8;
        mp3.wfx.nBlockAlign = 1;
        mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        mp3.wID = MPEGLAYER3_ID_MPEG;
        mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
        mp3.nBlockSize = static_cast<WORD>(run.firstFrameBytes);
        mp3.nFramesPerBlock = 1;
        mp3.nCodecDelay = 0; // the trim is ours
        WAVEFORMATEX pcm{};
        pcm.wFormatTag = WAVE_FORMAT_PCM;
        pcm.nChannels = static_cast<WORD>(run.channels);
        pcm.nSamplesPerSec = sampleRate;
        pcm.wBitsPerSample = 16;
        pcm.nBlockAlign = static_cast<WORD>(2 * run.channels);
        pcm.nAvgBytesPerSec = sampleRate * pcm.nBlockAlign;
        result = acmStreamOpen(&stream, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, 0);
        if (result != MMSYSERR_NOERROR)
            stream = nullptr;
    }
    ~AcmStream()
    {
        if (stream)
            acmStreamClose(stream, 0);
    }
    AcmStream(const AcmStream&) = delete;
    AcmStream& operator=(const AcmStream&) = delete;

    HACMSTREAM Get() const { return stream; }
    MMRESULT Result() const { return result; }

  private:
    HACMSTREAM stream = nullptr;
    MMRESULT result = MMSYSERR_NOERROR;
};

// One run's frames through the codec, into interleaved samples of the run's channel count.
bool DecodeRun(const std::uint8_t* file, const Mp3ChannelRun& run, std::uint32_t sampleRate,
               std::uint32_t samplesPerFrame, std::vector<std::int16_t>& pcm, const char*& reason)
{
    AcmStream stream(run, sampleRate);
    if (!stream.Get())
    {
        reason = "the system has no MP3 codec (acmStreamOpen failed)";
        return false;
    }
    const std::size_t frameBytes = samplesPerFrame * 2 * run.channels;
    std::vector<std::uint8_t> source(ChunkFrames * MaxFrameBytes);
    std::vector<std::uint8_t> output((ChunkFrames + 8) * frameBytes);
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = source.data();
    header.cbSrcLength = static_cast<DWORD>(source.size());
    header.pbDst = output.data();
    header.cbDstLength = static_cast<DWORD>(output.size());
    if (acmStreamPrepareHeader(stream.Get(), &header, 0) != MMSYSERR_NOERROR)
    {
        reason = "acmStreamPrepareHeader failed";
        return false;
    }
    // The codec may hold a frame back; a little more than the frames fed is still sane.
    const std::size_t maxSamples =
        (std::size_t{run.frameCount} + 8) * samplesPerFrame * run.channels;
    pcm.clear();
    pcm.reserve(std::size_t{run.frameCount} * samplesPerFrame * run.channels);
    std::size_t next = run.begin;
    std::size_t pending = 0;
    bool ok = true;
    DWORD flags = ACM_STREAMCONVERTF_START;
    for (;;)
    {
        const std::size_t add = std::min(source.size() - pending, run.end - next);
        std::memcpy(source.data() + pending, file + next, add);
        next += add;
        pending += add;
        const bool last = next == run.end;
        if (last)
            flags |= ACM_STREAMCONVERTF_END;
        header.cbSrcLength = static_cast<DWORD>(pending);
        header.cbSrcLengthUsed = 0;
        header.cbDstLengthUsed = 0;
        if (acmStreamConvert(stream.Get(), &header, flags) != MMSYSERR_NOERROR)
        {
            reason = "the MP3 codec refused the data";
            ok = false;
            break;
        }
        flags = 0;
        const std::size_t used = std::min<std::size_t>(header.cbSrcLengthUsed, pending);
        const std::size_t produced = std::min<std::size_t>(header.cbDstLengthUsed, output.size());
        const auto* samples = reinterpret_cast<const std::int16_t*>(output.data());
        pcm.insert(pcm.end(), samples, samples + produced / 2);
        if (pcm.size() > maxSamples)
        {
            reason = "the MP3 codec gave more samples than the file holds";
            ok = false;
            break;
        }
        std::memmove(source.data(), source.data() + used, pending - used);
        pending -= used;
        // Done once everything is fed and the codec has nothing more to give; a codec that
        // neither takes nor gives while input waits would loop for ever.
        if (last && produced == 0 && (pending == 0 || used == 0))
            break;
        if (!last && used == 0 && produced == 0 && pending == source.size())
        {
            reason = "the MP3 codec stopped taking data";
            ok = false;
            break;
        }
    }
    header.cbSrcLength = static_cast<DWORD>(source.size());
    header.cbDstLength = static_cast<DWORD>(output.size());
    acmStreamUnprepareHeader(stream.Get(), &header, 0);
    return ok;
}

} // namespace

bool DecodeMp3File(const char* path, DecodedMusic& out)
{
    out.samples.clear();
    if (!path)
        return Fail("(null)", "no file name");
    std::vector<std::uint8_t> file;
    const char* reason = nullptr;
    if (!ReadWholeFile(path, file, reason))
        return Fail(path, reason);
    Mp3Layout layout;
    if (!ReadMp3Layout(file.data(), file.size(), layout, reason))
        return Fail(path, reason);
    if (layout.musicSamples > MaxFrames)
        return Fail(path, "longer than 30 minutes");

    // Each run decoded on its own and laid at its frames' place as stereo; whatever the codec held
    // back at a run's end reads as silence, so every run keeps its length and the music its timing.
    std::vector<std::int16_t> stereo;
    stereo.reserve(std::size_t{layout.frameCount} * layout.samplesPerFrame * 2);
    std::vector<std::int16_t> pcm;
    for (const Mp3ChannelRun& run : layout.runs)
    {
        if (!DecodeRun(file.data(), run, layout.sampleRate, layout.samplesPerFrame, pcm, reason))
            return Fail(path, reason);
        const std::size_t decoded = pcm.size() / run.channels;
        const std::size_t length = std::size_t{run.frameCount} * layout.samplesPerFrame;
        for (std::size_t i = 0; i < length; ++i)
        {
            const std::int16_t left = i < decoded ? pcm[i * run.channels] : std::int16_t{0};
            stereo.push_back(left);
            stereo.push_back(run.channels == 2 && i < decoded ? pcm[i * 2 + 1] : left);
        }
    }

    // The music is the decoded samples after the delays.
    out.samples.assign(static_cast<std::size_t>(layout.musicSamples) * 2, 0);
    const std::size_t from = static_cast<std::size_t>(layout.skipSamples) * 2;
    if (from < stereo.size())
        std::copy_n(stereo.begin() + static_cast<std::ptrdiff_t>(from),
                    std::min(out.samples.size(), stereo.size() - from), out.samples.begin());
    if (out.samples.empty())
        return Fail(path, "no MPEG audio found");
    out.sampleRate = int(layout.sampleRate);
    return true;
}
