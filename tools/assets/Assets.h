// The table of every file the generator writes into data/.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace assets
{

struct GenerateOptions
{
    std::string fontDir = "/usr/share/fonts/truetype/dejavu";
};

struct Asset
{
    std::string fileName; // e.g. "rings.bin"
    std::function<std::vector<std::uint8_t>(const GenerateOptions&)> generate;
};

const std::vector<Asset>& AllAssets();

// Sizes chosen for 1080p and 1440p output; tests read them to check the files.
constexpr int kPrefilterSize = 512;
constexpr int kIrradianceSize = 32;
constexpr int kCardWidth = 1920, kCardHeight = 1080;
constexpr int kDirtWidth = 1280, kDirtHeight = 720;
constexpr int kIronSize = 1024;

} // namespace assets
