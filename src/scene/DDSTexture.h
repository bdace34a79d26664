// The DDS subset the presentation's textures use, and loading them into display textures.
#pragma once

#include "Disp.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct TextureDesc
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    PixelFormat format = RGBA8;
    const std::uint8_t* pixels = nullptr; // into the file image, or into widened
    std::size_t pixelBytes = 0;           // how many bytes at pixels may be read
    std::uint32_t cubeMap = 0;            // 1 for six faces
    std::uint32_t levels = 1;             // at least 1
    std::vector<std::uint8_t> widened;    // the 32-bit copy of 24-bit files
};

constexpr std::size_t kDDSHeaderBytes = 128;
// Six faces of this many levels fill the display's 128-entry initial-data table.
constexpr std::uint32_t kMaxCubeLevels = 21;

// Reads the header of a file image and points at (or widens) its pixels. False after one log
// line when the image is too short for its header or for the pixels it must widen, or is a cube
// map with more levels than a texture can be created with.
bool ParseDDS(std::span<const std::uint8_t> image, TextureDesc& desc);

// Writes count 32-bit pixels (bytes reversed, alpha 255) from count 24-bit ones.
void ExpandRGB24(std::uint8_t* destination, const std::uint8_t* source, std::size_t count);

// Loads a DDS file (in the system's "data\name" spelling) into a new texture; 0 on failure.
TextureHandle LoadTexture(const char* path);
