// libFuzzer target: any bytes as an MP3 file; a layout that is accepted must lie inside them.
#include "Mp3Layout.h"

#include <cstdlib>

namespace
{

// The runs tile the frames, as the decoder walks them.
bool RunsTile(const Mp3Layout& layout)
{
    std::size_t at = layout.firstFrame;
    std::uint64_t frames = 0;
    for (const Mp3ChannelRun& run : layout.runs)
    {
        if (run.begin != at || run.end <= run.begin || run.frameCount == 0 ||
            (run.channels != 1 && run.channels != 2))
            return false;
        at = run.end;
        frames += run.frameCount;
    }
    return at == layout.end && frames == layout.frameCount &&
           layout.runs.size() <= Mp3MaxChannelRuns;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Mp3Layout layout;
    const char* error = nullptr;
    if (ReadMp3Layout(data, size, layout, error) &&
        (layout.end > size || layout.firstFrame >= layout.end || layout.frameCount == 0 ||
         layout.sampleRate < 8000 || layout.sampleRate > 48000 || !RunsTile(layout) ||
         layout.skipSamples + layout.musicSamples >
             std::uint64_t{layout.frameCount} * layout.samplesPerFrame))
        std::abort();
    return 0;
}
