// PNG files of captured frames (8-bit RGB, zlib-compressed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `rgba` holds width × height × 4 bytes, top row first; alpha is dropped. The bytes of the file,
// empty when zlib fails.
std::vector<std::uint8_t> EncodePng(const std::uint8_t* rgba, int width, int height);
// False when the file cannot be written.
bool WritePngFile(const std::string& path, const std::uint8_t* rgba, int width, int height);

// Reads an 8-bit RGB or RGBA PNG file without interlacing (this writer's, or a browser's) into
// width × height × 3 bytes, top row first; alpha is dropped. False for any other file.
bool ReadPngFile(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgb);
