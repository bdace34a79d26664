// Format tables and the initial-data layout; no device access, so tests call them directly.
#include "TextureLayout.h"

namespace
{
struct FormatInfo
{
    std::uint32_t dxgi;
    std::uint32_t pixelPitch;
    std::uint32_t blockBytes; // bytes of one 4×4 block, 0 for plain formats
};

constexpr FormatInfo kFormats[] = {
    {28, 4, 0},  // RGBA8
    {24, 4, 0},  // RGB10A2
    {11, 8, 0},  // RGBA16
    {61, 1, 0},  // R8
    {10, 8, 0},  // RGBA16F
    {34, 4, 0},  // RG16F
    {2, 16, 0},  // RGBA32F
    {6, 12, 0},  // RGB32F
    {16, 8, 0},  // RG32F
    {41, 4, 0},  // R32F
    {71, 2, 8},  // BC1
    {77, 4, 16}, // BC3
    {83, 4, 16}, // BC5
    {45, 0, 0},  // D24S8
    {40, 0, 0},  // D32F
};

constexpr std::uint32_t kFormatCount = sizeof kFormats / sizeof kFormats[0];

std::uint32_t LevelSide(std::uint32_t side, std::uint32_t level)
{
    const std::uint32_t halved = level < 32 ? side >> level : 0;
    return halved ? halved : 1;
}
} // namespace

std::uint32_t ToDxgiFormat(PixelFormat format)
{
    return format < kFormatCount ? kFormats[format].dxgi : 0;
}

std::uint32_t PixelPitch(PixelFormat format)
{
    return format < kFormatCount ? kFormats[format].pixelPitch : 0;
}

bool IsBlockCompressed(PixelFormat format)
{
    return format < kFormatCount && kFormats[format].blockBytes != 0;
}

bool IsDepthFormat(PixelFormat format)
{
    return format == D24S8 || format == D32F;
}

bool IsCreatableTexture(bool render, bool depth, std::uint32_t width, std::uint32_t height,
                        PixelFormat format, std::uint32_t flags)
{
    const bool cube = (flags & CubeMap) != 0;
    return format <= D32F && width != 0 && height != 0 && width <= kMaxTextureSize &&
           height <= kMaxTextureSize && IsDepthFormat(format) == depth &&
           !(render && IsBlockCompressed(format)) && !(depth && cube) && !(cube && width != height);
}

std::uint32_t TextureLevelCount(std::uint32_t levels, std::uint32_t flags)
{
    if (flags & CubeMap)
        return levels;
    return (flags & GenerateMips) ? 0 : 1;
}

std::uint32_t FullMipCount(std::uint32_t width, std::uint32_t height)
{
    std::uint32_t side = width > height ? width : height;
    std::uint32_t count = 1;
    while (side > 1)
    {
        side >>= 1;
        ++count;
    }
    return count;
}

bool LayoutSubresources(std::uint32_t width, std::uint32_t height, PixelFormat format,
                        std::uint32_t levels, std::uint32_t flags, std::size_t dataSize,
                        SubresourceLayout& layout)
{
    layout.faces = layout.levelsPerFace = layout.count = 0;
    layout.totalSize = 0;
    const std::uint32_t pitch = PixelPitch(format);
    if (pitch == 0 || width == 0 || height == 0 || width > kMaxTextureSize ||
        height > kMaxTextureSize)
        return false;

    const bool cube = (flags & CubeMap) != 0;
    const std::uint32_t faces = cube ? 6 : 1;
    // A plain texture receives only its top level, whatever the caller's block holds.
    std::uint32_t levelsPerFace = cube ? levels : 1;
    if (levelsPerFace == 0)
        levelsPerFace = FullMipCount(width, height); // a cube asked for a full chain
    if (faces * levelsPerFace > kMaxSubresources)
        return false;

    const std::uint32_t blockBytes = IsBlockCompressed(format) ? kFormats[format].blockBytes : 0;
    std::uint64_t offset = 0;
    for (std::uint32_t face = 0; face < faces; ++face)
    {
        for (std::uint32_t level = 0; level < levelsPerFace; ++level)
        {
            SubresourceEntry& entry = layout.entries[face * levelsPerFace + level];
            entry.width = LevelSide(width, level);
            entry.height = LevelSide(height, level);
            if (blockBytes)
            {
                const std::uint32_t blocksWide = (entry.width + 3) / 4;
                const std::uint32_t blocksHigh = (entry.height + 3) / 4;
                entry.rowPitch = blocksWide * blockBytes;
                entry.size = std::uint64_t{entry.rowPitch} * blocksHigh;
            }
            else
            {
                entry.rowPitch = entry.width * pitch;
                entry.size = std::uint64_t{entry.rowPitch} * entry.height;
            }
            entry.offset = offset;
            offset += entry.size;
        }
    }
    if (offset > dataSize)
        return false;
    layout.faces = faces;
    layout.levelsPerFace = levelsPerFace;
    layout.count = faces * levelsPerFace;
    layout.totalSize = offset;
    return true;
}
