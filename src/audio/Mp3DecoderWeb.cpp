// Whole-file decoding in a browser: the page decodes the MP3 with Web Audio while it loads (async
// there, so before the program asks); this hands over the samples of the file at a path.
#include "Mp3Decoder.h"

#include <algorithm>
#include <cstdio>
#include <string>

extern "C"
{
    // Written in JavaScript (library-audio.js). Sample frames of the file the page
    // decoded under that path, 0 when it has none; then the samples, 16-bit interleaved stereo.
    std::uint32_t ombrel_audio_open(const char* path);
    // The rate of the file opened last: the page decodes each file at its own.
    int ombrel_audio_rate();
    void ombrel_audio_samples(std::int16_t* out);
}

bool DecodeMp3File(const char* path, DecodedMusic& out)
{
    out.samples.clear();
    std::string name = path ? path : "";
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::uint32_t frames = ombrel_audio_open(name.c_str());
    if (frames == 0)
    {
        std::fprintf(stderr, "Failed to decode %s: the page has no decoded music by that name\n",
                     name.c_str());
        return false;
    }
    out.samples.resize(std::size_t(frames) * 2);
    ombrel_audio_samples(out.samples.data());
    out.sampleRate = ombrel_audio_rate();
    return true;
}
