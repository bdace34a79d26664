// libFuzzer target: any bytes as a DDS file; everything the description offers is read.
#include "DDSTexture.h"

#include <cstddef>
#include <cstdint>

void TouchBytes(const void* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TextureDesc desc;
    if (ParseDDS({data, size}, desc))
        TouchBytes(desc.pixels, desc.pixelBytes);
    return 0;
}
