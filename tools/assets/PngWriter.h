// Writes 8-bit RGB images as PNG files (stored, uncompressed deflate: no zlib needed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets
{

// `rgb` holds width × height × 3 bytes, rows top first. False when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

} // namespace assets
