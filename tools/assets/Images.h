// The flat images: lens dirt, worn metal, and the title and credits cards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets
{

// An 8-bit image, `channels` bytes a pixel (3 = red, green, blue; 1 = grey), rows top first.
struct Image
{
    int width = 0, height = 0, channels = 0;
    std::vector<std::uint8_t> pixels;
};

Image DirtMaskImage(int width, int height);
Image DirtScratchesImage(int width, int height);
Image IronAlbedoImage(int size);
Image IronMetallicImage(int size);
// Throws if the font cannot be opened.
Image IntroImage(int width, int height, const std::string& fontDir);
Image CreditsImage(int width, int height, const std::string& fontDir);

// Draws left-aligned text onto an RGB image (for labels of diagnostic plots). Throws if the font
// cannot be opened.
void DrawLabel(Image& image, const std::string& fontFile, const std::string& text, int pixels,
               int x, int baseline, std::uint8_t r, std::uint8_t g, std::uint8_t b);

// Pixel bytes in DDS order: RGB images stored blue, green, red.
std::vector<std::uint8_t> DdsBytes(const Image& image);

} // namespace assets
