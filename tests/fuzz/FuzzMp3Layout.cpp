// libFuzzer target: any bytes as an MP3 file; a layout that is accepted must lie inside them.
#include "Mp3Layout.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Mp3Layout layout;
    const char* error = nullptr;
    if (ReadMp3Layout(data, size, layout, error) &&
        (layout.end > size || layout.firstFrame >= layout.end || layout.frameCount == 0 ||
         layout.sampleRate < 8000 || layout.sampleRate > 48000 ||
         layout.skipSamples + layout.musicSamples >
             std::uint64_t{layout.frameCount} * layout.samplesPerFrame))
        std::abort();
    return 0;
}
