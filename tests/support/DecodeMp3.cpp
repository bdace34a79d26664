// ombrel-decode-mp3: writes the Linux audio layer's decode of an MP3 as raw 16-bit stereo PCM,
// the reference our bass.dll's decode is compared with under Wine.
#include "Mp3Decoder.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "--help") == 0)
    {
        std::fputs("usage: ombrel-decode-mp3 IN.mp3 OUT.pcm\n"
                   "Writes the decoded music as interleaved 16-bit little-endian stereo PCM.\n",
                   argc == 2 ? stdout : stderr);
        return argc == 2 ? 0 : 2;
    }
    DecodedMusic music;
    if (!DecodeMp3File(argv[1], music))
        return 1;
    std::FILE* out = std::fopen(argv[2], "wb");
    const bool written = out && std::fwrite(music.samples.data(), sizeof(std::int16_t),
                                            music.samples.size(), out) == music.samples.size();
    if (!out || std::fclose(out) != 0 || !written)
    {
        std::fprintf(stderr, "ombrel-decode-mp3: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
