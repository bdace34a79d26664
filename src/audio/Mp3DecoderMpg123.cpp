// Decodes MP3 files with libmpg123.
#include "Mp3Decoder.h"

#include "AudioProblem.h"

#include <mpg123.h>

#include <memory>

namespace
{

struct Mpg123Deleter
{
    void operator()(mpg123_handle* handle) const
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Mpg123Ptr = std::unique_ptr<mpg123_handle, Mpg123Deleter>;

constexpr off_t MaxFrames = off_t(MaxMusicFrames);

Mpg123Ptr CreateDecoder()
{
    int error = MPG123_OK;
    Mpg123Ptr handle(mpg123_new(nullptr, &error));
    if (!handle)
        return nullptr;
    // mpg123 would print its warnings to stderr; our log line says what failed instead.
    if (mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_STEREO, 0.0) !=
            MPG123_OK ||
        mpg123_format_none(handle.get()) != MPG123_OK)
        return nullptr;
    // Every rate, each decoded at its own: resampling is the output's job.
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i)
    {
        if (mpg123_format(handle.get(), rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK)
            return nullptr;
    }
    return handle;
}

// The decoded length is checked against the frame count of the file's info frame where it has
// one: mpg123 decodes a cut-off file without complaint up to the cut.
bool IsTruncated(mpg123_handle* handle, off_t declaredFrames)
{
    long delay = -1;
    if (mpg123_getstate(handle, MPG123_ENC_DELAY, &delay, nullptr) != MPG123_OK || delay < 0)
        return false;
    return mpg123_framelength(handle) < declaredFrames;
}

bool Fail(const char* path, const char* reason)
{
    SayAudioProblem("Failed to decode %s: %s\n", path, reason);
    return false;
}

} // namespace

bool DecodeMp3File(const char* path, DecodedMusic& out)
{
    out.samples.clear();
    if (!path)
        return Fail("(null)", "no file name");

    Mpg123Ptr handle = CreateDecoder();
    if (!handle)
        return Fail(path, "mpg123 decoder creation failed");
    if (mpg123_open(handle.get(), path) != MPG123_OK)
        return Fail(path, mpg123_strerror(handle.get()));

    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK)
        return Fail(path, "no MPEG audio found");
    out.sampleRate = int(rate);

    const off_t declaredFrames = mpg123_framelength(handle.get());
    if (mpg123_scan(handle.get()) != MPG123_OK)
        return Fail(path, mpg123_strerror(handle.get()));
    const off_t length = mpg123_length(handle.get());
    if (length <= 0)
        return Fail(path, "no MPEG audio found");
    if (length > MaxFrames)
        return Fail(path, "longer than 30 minutes");
    if (IsTruncated(handle.get(), declaredFrames))
        return Fail(path, "file is truncated");

    out.samples.reserve(static_cast<std::size_t>(length) * 2);
    std::int16_t chunk[16384];
    for (;;)
    {
        std::size_t bytes = 0;
        const int result = mpg123_read(handle.get(), chunk, sizeof chunk, &bytes);
        out.samples.insert(out.samples.end(), chunk, chunk + bytes / sizeof chunk[0]);
        if (result == MPG123_DONE)
            break;
        if (result == MPG123_NEW_FORMAT &&
            (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK ||
             rate != out.sampleRate))
        {
            out.samples.clear();
            return Fail(path, "sample rate changes inside the file");
        }
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
        {
            out.samples.clear();
            return Fail(path, mpg123_strerror(handle.get()));
        }
        if (out.FrameCount() > static_cast<std::size_t>(MaxFrames))
        {
            out.samples.clear();
            return Fail(path, "longer than 30 minutes");
        }
    }
    if (out.samples.empty())
        return Fail(path, "no MPEG audio found");
    return true;
}
