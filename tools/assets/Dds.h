// Writes DDS files in the subset the presentation's texture loader reads.
#pragma once

#include <cstdint>
#include <vector>

namespace assets
{

enum class DdsFormat
{
    Rgba16F,    // FourCC 113, 8 bytes a pixel
    Rgb24,      // uncompressed RGB, stored blue, green, red
    Luminance8, // one byte a pixel; the loader makes it a one-channel texture
};

std::uint32_t BytesPerPixel(DdsFormat format);

// `pixels` holds each face (six for a cube) with its levels in order, largest first, each level
// width × height × bytes with integer halving. Throws if the size does not match.
std::vector<std::uint8_t> WriteDds(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                   bool cubeMap, DdsFormat format,
                                   const std::vector<std::uint8_t>& pixels);

// The pixel byte count that a reader expects for such a file.
std::size_t DdsPixelBytes(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                          bool cubeMap, DdsFormat format);

// IEEE half precision, rounded to nearest even; values beyond the range become infinity.
std::uint16_t FloatToHalf(float value);

} // namespace assets
