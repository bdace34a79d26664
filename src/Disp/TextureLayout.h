// Pure arithmetic of texture formats and of the initial-data layout shared by the three back ends.
#pragma once

#include "Disp.h"

#include <cstddef>
#include <cstdint>

// The largest texture side any back end accepts; it keeps every byte count within 64 bits.
constexpr std::uint32_t kMaxTextureSize = 16384;
// Entries of the initial-data table: six faces of up to 21 levels.
constexpr std::uint32_t kMaxSubresources = 128;

// The numeric DXGI_FORMAT of a pixel format; 0 (unknown) for every value above D32F.
std::uint32_t ToDxgiFormat(PixelFormat format);

// Bytes per pixel of row width; for block-compressed formats a block row's bytes over its width.
std::uint32_t PixelPitch(PixelFormat format);

bool IsBlockCompressed(PixelFormat format);
bool IsDepthFormat(PixelFormat format);

// Whether Direct3D 11 creates a texture so described: a known format, a depth format exactly for
// a depth texture, sides 1 to kMaxTextureSize, no block-compressed render target, no depth cube
// and no cube that is not square. The other back ends refuse the rest as Direct3D would.
bool IsCreatableTexture(bool render, bool depth, std::uint32_t width, std::uint32_t height,
                        PixelFormat format, std::uint32_t flags);

// Levels of the texture itself: 0 (full chain) with GenerateMips, the argument for a cube, else 1.
std::uint32_t TextureLevelCount(std::uint32_t levels, std::uint32_t flags);

// Levels in a full mip chain of a width × height texture.
std::uint32_t FullMipCount(std::uint32_t width, std::uint32_t height);

// Byte counts are 64-bit on every platform: the largest cube's sum overflows a 32-bit size_t
// (the page's), which would let a header-only file pass for one that holds its pixels.
struct SubresourceEntry
{
    std::uint64_t offset = 0; // from the start of the caller's block
    std::uint64_t size = 0;   // bytes of this level of this face
    std::uint32_t rowPitch = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

struct SubresourceLayout
{
    std::uint32_t faces = 0;
    std::uint32_t levelsPerFace = 0;
    std::uint32_t count = 0; // faces × levelsPerFace entries, face by face, largest level first
    std::uint64_t totalSize = 0;
    SubresourceEntry entries[kMaxSubresources];
};

// Lays out the caller's pixel block (faces one after another, levels largest first within a
// face). Block-compressed levels take their true size (whole 4×4 blocks), levels never shrink
// below one pixel. False when the format has no pixel size, the sides are 0 or too large, more
// than kMaxSubresources entries would be needed, or dataSize is shorter than the layout.
bool LayoutSubresources(std::uint32_t width, std::uint32_t height, PixelFormat format,
                        std::uint32_t levels, std::uint32_t flags, std::size_t dataSize,
                        SubresourceLayout& layout);
