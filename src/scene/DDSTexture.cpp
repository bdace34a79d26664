// Reads DDS headers at fixed offsets, widens 24-bit pixels and creates display textures.
#include "DDSTexture.h"

#include "FileImage.h"
#include "Logger.h"

#include <cstring>

namespace
{
constexpr std::uint32_t kFourCCFlag = 0x4;
constexpr std::uint32_t kRGBFlag = 0x40;
constexpr std::uint32_t kCubeMapCaps = 0x200;

constexpr std::uint32_t FourCC(char a, char b, char c, char d)
{
    return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
           std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}

std::uint32_t Word(std::span<const std::uint8_t> image, std::size_t offset)
{
    std::uint32_t value;
    std::memcpy(&value, image.data() + offset, 4);
    return value;
}

PixelFormat FourCCFormat(std::uint32_t code)
{
    switch (code)
    {
    case FourCC('D', 'X', 'T', '1'):
        return BC1;
    // DXT3 shares BC3's block size and colour half; only its explicit alpha decodes wrongly.
    case FourCC('D', 'X', 'T', '3'):
    case FourCC('D', 'X', 'T', '5'):
        return BC3;
    case 113: // D3DFMT_A16B16G16R16F
        return RGBA16F;
    case 114: // D3DFMT_R32F
        return R32F;
    case 115: // D3DFMT_G32R32F
        return RG32F;
    case 116: // D3DFMT_A32B32G32R32F
        return RGBA32F;
    default:
        return RGBA8;
    }
}

// Pixels of every level of six faces, each level half the size of the one before (at least 1).
// Counting stops past limit, so headers claiming 2^32 x 2^32 pixels cannot wrap the count.
std::uint64_t CubePixels(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                         std::uint64_t limit)
{
    std::uint64_t total = 0;
    for (std::uint32_t level = 0; level < levels && total <= limit; ++level)
    {
        const std::uint64_t w = level < 32 ? width >> level : 0;
        const std::uint64_t h = level < 32 ? height >> level : 0;
        const std::uint64_t facePixels = (w ? w : 1) * (h ? h : 1);
        total = facePixels > limit ? limit + 1 : total + 6 * facePixels;
    }
    return total;
}
} // namespace

void ExpandRGB24(std::uint8_t* destination, const std::uint8_t* source, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        destination[4 * i + 0] = source[3 * i + 2];
        destination[4 * i + 1] = source[3 * i + 1];
        destination[4 * i + 2] = source[3 * i + 0];
        destination[4 * i + 3] = 255;
    }
}

bool ParseDDS(std::span<const std::uint8_t> image, TextureDesc& desc)
{
    if (image.size() < kDDSHeaderBytes)
    {
        Logger::Print("ParseDDS: %u bytes, shorter than a DDS header.\n",
                      static_cast<unsigned>(image.size()));
        return false;
    }
    desc.height = Word(image, 12);
    desc.width = Word(image, 16);
    const std::uint32_t mipMapCount = Word(image, 28);
    const std::uint32_t formatFlags = Word(image, 80);
    const std::uint32_t fourCC = Word(image, 84);
    const std::uint32_t bitCount = Word(image, 88);
    const std::uint32_t caps2 = Word(image, 112);

    desc.levels = mipMapCount ? mipMapCount : 1;
    desc.cubeMap = (caps2 & kCubeMapCaps) ? 1 : 0;
    desc.pixels = image.data() + kDDSHeaderBytes;
    desc.pixelBytes = image.size() - kDDSHeaderBytes;
    desc.widened.clear();

    if (desc.cubeMap && desc.levels > kMaxCubeLevels)
    {
        Logger::Print("ParseDDS: a cube map of %u levels; at most %u can be created.\n",
                      desc.levels, kMaxCubeLevels);
        return false;
    }

    if (formatFlags & kFourCCFlag)
    {
        desc.format = FourCCFormat(fourCC);
    }
    else if (formatFlags & kRGBFlag)
    {
        desc.format = RGBA8;
        if (bitCount == 24)
        {
            // A plain texture keeps only its top level; a cube map needs every level of every
            // face, which lie one after another in the file just as the widened copy holds them.
            const std::uint64_t available = desc.pixelBytes / 3;
            const std::uint64_t pixelCount =
                desc.cubeMap ? CubePixels(desc.width, desc.height, desc.levels, available)
                             : std::uint64_t{desc.width} * desc.height;
            if (pixelCount > available)
            {
                Logger::Print(
                    "ParseDDS: %u x %u 24-bit pixels need more than the %u bytes present.\n",
                    desc.width, desc.height, static_cast<unsigned>(desc.pixelBytes));
                return false;
            }
            desc.widened.resize(static_cast<std::size_t>(pixelCount) * 4);
            ExpandRGB24(desc.widened.data(), desc.pixels, static_cast<std::size_t>(pixelCount));
            desc.pixels = desc.widened.data();
            desc.pixelBytes = desc.widened.size();
        }
    }
    else
    {
        desc.format = R8;
    }
    return true;
}

TextureHandle LoadTexture(const char* path)
{
    Logger::Print("LoadTexture: %s\n", path);
    std::vector<std::uint8_t> image;
    // A file that opens but cannot be read whole, or is empty, is as absent as a missing one.
    const bool read = ReadFileImage(path, image) == FileImageResult::Read;
    const void* data = read && !image.empty() ? image.data() : nullptr;
    Logger::Print("data = %p, size = %d\n", data, data ? static_cast<int>(image.size()) : 0);
    if (!data)
    {
        Logger::Error("Failed to load texture '%s'\n", path);
        return TextureHandle{};
    }

    // A file that cannot be used is reported like one that cannot be read, after the reason.
    TextureDesc desc;
    if (!ParseDDS(image, desc))
    {
        Logger::Error("Failed to load texture '%s'\n", path);
        return TextureHandle{};
    }
    return g_display->CreateTexture(desc.width, desc.height, desc.format, desc.levels,
                                    desc.cubeMap ? std::uint32_t{CubeMap} : 0u, desc.pixels,
                                    desc.pixelBytes);
}
