// DDS header and pixel layout for the generated textures.
#include "Dds.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace assets
{

namespace
{

constexpr std::uint32_t kCaps = 0x1, kHeight = 0x2, kWidth = 0x4, kPitch = 0x8,
                        kPixelFormat = 0x1000, kMipMapCount = 0x20000;
constexpr std::uint32_t kFourCC = 0x4, kRgb = 0x40, kLuminance = 0x20000;
constexpr std::uint32_t kCapsComplex = 0x8, kCapsTexture = 0x1000, kCapsMipMap = 0x400000;
constexpr std::uint32_t kCubeAllFaces = 0x200 | 0x400 | 0x800 | 0x1000 | 0x2000 | 0x4000 | 0x8000;

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

std::uint32_t BytesPerPixel(DdsFormat format)
{
    switch (format)
    {
    case DdsFormat::Rgba16F:
        return 8;
    case DdsFormat::Rgb24:
        return 3;
    case DdsFormat::Luminance8:
        return 1;
    }
    return 0;
}

std::size_t DdsPixelBytes(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                          bool cubeMap, DdsFormat format)
{
    std::size_t face = 0;
    for (std::uint32_t level = 0; level < levels; ++level)
        face +=
            static_cast<std::size_t>(width >> level) * (height >> level) * BytesPerPixel(format);
    return face * (cubeMap ? 6 : 1);
}

std::vector<std::uint8_t> WriteDds(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                   bool cubeMap, DdsFormat format,
                                   const std::vector<std::uint8_t>& pixels)
{
    if (levels == 0 || (width >> (levels - 1)) == 0 || (height >> (levels - 1)) == 0)
        throw std::invalid_argument("DDS level count too large for the image size");
    if (pixels.size() != DdsPixelBytes(width, height, levels, cubeMap, format))
        throw std::invalid_argument("DDS pixel data does not match its size and levels");

    std::vector<std::uint8_t> bytes(128 + pixels.size(), 0);
    std::memcpy(bytes.data(), "DDS ", 4);
    Put32(bytes, 4, 124);
    Put32(bytes, 8,
          kCaps | kHeight | kWidth | kPixelFormat | kPitch | (levels > 1 ? kMipMapCount : 0));
    Put32(bytes, 12, height);
    Put32(bytes, 16, width);
    Put32(bytes, 20, width * BytesPerPixel(format));
    Put32(bytes, 28, levels);
    Put32(bytes, 76, 32);
    switch (format)
    {
    case DdsFormat::Rgba16F:
        Put32(bytes, 80, kFourCC);
        Put32(bytes, 84, 113);
        break;
    case DdsFormat::Rgb24:
        Put32(bytes, 80, kRgb);
        Put32(bytes, 88, 24);
        Put32(bytes, 92, 0xFF0000);
        Put32(bytes, 96, 0x00FF00);
        Put32(bytes, 100, 0x0000FF);
        break;
    case DdsFormat::Luminance8:
        Put32(bytes, 80, kLuminance);
        Put32(bytes, 88, 8);
        Put32(bytes, 92, 0xFF);
        break;
    }
    Put32(bytes, 108,
          kCapsTexture | (levels > 1 || cubeMap ? kCapsComplex : 0) |
              (levels > 1 ? kCapsMipMap : 0));
    Put32(bytes, 112, cubeMap ? kCubeAllFaces : 0);
    std::copy(pixels.begin(), pixels.end(), bytes.begin() + 128);
    return bytes;
}

std::uint16_t FloatToHalf(float value)
{
    std::uint32_t f;
    std::memcpy(&f, &value, 4);
    const std::uint32_t sign = (f >> 16) & 0x8000;
    const std::int32_t exponent = static_cast<std::int32_t>((f >> 23) & 0xFF) - 127 + 15;
    std::uint32_t mantissa = f & 0x7FFFFF;
    if (((f >> 23) & 0xFF) == 0xFF)
        return static_cast<std::uint16_t>(sign | 0x7C00 | (mantissa ? 0x200 : 0));
    if (exponent >= 31)
        return static_cast<std::uint16_t>(sign | 0x7C00);
    if (exponent <= 0)
    {
        if (exponent < -10)
            return static_cast<std::uint16_t>(sign);
        mantissa |= 0x800000;
        const int shift = 14 - exponent;
        std::uint32_t half = mantissa >> shift;
        const std::uint32_t rest = mantissa & ((1u << shift) - 1);
        const std::uint32_t halfway = 1u << (shift - 1);
        if (rest > halfway || (rest == halfway && (half & 1)))
            ++half;
        return static_cast<std::uint16_t>(sign | half);
    }
    std::uint32_t half = (static_cast<std::uint32_t>(exponent) << 10) | (mantissa >> 13);
    const std::uint32_t rest = mantissa & 0x1FFF;
    if (rest > 0x1000 || (rest == 0x1000 && (half & 1)))
        ++half; // a carry into the exponent is still the correctly rounded value
    return static_cast<std::uint16_t>(sign | half);
}

} // namespace assets
