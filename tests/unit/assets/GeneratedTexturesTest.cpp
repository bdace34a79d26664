// The eight generated DDS files parse to the textures the program creates from them.
#include "Assets.h"
#include "DDSTexture.h"
#include "Dds.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{

using assets::DdsFormat;

struct TextureCase
{
    const char* file;
    std::uint32_t width, height, levels;
    bool cube;
    DdsFormat stored;
    PixelFormat created;
};

const TextureCase kTextures[] = {
    {"irradiance.dds", assets::kIrradianceSize, assets::kIrradianceSize, 1, true,
     DdsFormat::Rgba16F, RGBA16F},
    {"prefilter2048.dds", assets::kPrefilterSize, assets::kPrefilterSize, 10, true,
     DdsFormat::Rgba16F, RGBA16F},
    {"dirtmask.dds", assets::kDirtWidth, assets::kDirtHeight, 1, false, DdsFormat::Rgb24, RGBA8},
    {"dirtscratches.dds", assets::kDirtWidth, assets::kDirtHeight, 1, false, DdsFormat::Rgb24,
     RGBA8},
    {"intro.dds", assets::kCardWidth, assets::kCardHeight, 1, false, DdsFormat::Rgb24, RGBA8},
    {"credits.dds", assets::kCardWidth, assets::kCardHeight, 1, false, DdsFormat::Rgb24, RGBA8},
    {"iron_albedo.dds", assets::kIronSize, assets::kIronSize, 1, false, DdsFormat::Rgb24, RGBA8},
    {"iron_metallic.dds", assets::kIronSize, assets::kIronSize, 1, false, DdsFormat::Luminance8,
     R8},
};

void PrintTo(const TextureCase& c, std::ostream* os)
{
    *os << c.file;
}

class GeneratedTexture : public ::testing::TestWithParam<TextureCase>
{
};

TEST_P(GeneratedTexture, ParsesToItsFormatSizeAndLevels)
{
    const TextureCase& c = GetParam();
    const std::vector<std::uint8_t> file = ReadDataFile(c.file);
    ASSERT_FALSE(file.empty()) << "missing " << c.file;
    const std::size_t stored = assets::DdsPixelBytes(c.width, c.height, c.levels, c.cube, c.stored);
    EXPECT_EQ(file.size(), kDDSHeaderBytes + stored);
    g_log.clear();
    TextureDesc desc;
    ASSERT_TRUE(ParseDDS(file, desc));
    EXPECT_FALSE(HasErrorLine());
    EXPECT_EQ(desc.width, c.width);
    EXPECT_EQ(desc.height, c.height);
    EXPECT_EQ(desc.levels, c.levels);
    EXPECT_EQ(desc.cubeMap, c.cube ? 1u : 0u);
    EXPECT_EQ(desc.format, c.created);
    // What creation reads: every level of every face for a cube, the top level otherwise, in
    // the created format (24-bit pixels widened to 32).
    const std::size_t createdPixelBytes =
        c.stored == DdsFormat::Rgb24 ? 4 : assets::BytesPerPixel(c.stored);
    const std::size_t read =
        c.cube ? assets::DdsPixelBytes(c.width, c.height, c.levels, true, c.stored)
               : std::size_t{c.width} * c.height * createdPixelBytes;
    EXPECT_GE(desc.pixelBytes, read);
}

INSTANTIATE_TEST_SUITE_P(AllTextures, GeneratedTexture, ::testing::ValuesIn(kTextures),
                         [](const auto& info)
                         {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

float HalfToFloat(std::uint16_t h)
{
    const int exponent = (h >> 10) & 0x1F, mantissa = h & 0x3FF;
    const float sign = (h & 0x8000) ? -1.0f : 1.0f;
    if (exponent == 0)
        return sign * std::ldexp(static_cast<float>(mantissa), -24);
    if (exponent == 31)
        return sign * INFINITY;
    return sign * std::ldexp(static_cast<float>(mantissa + 1024), exponent - 25);
}

// Mean red, green, blue of one level of one face of a half-float cube file.
std::array<double, 3> MeanOfLevel(const std::vector<std::uint8_t>& file, std::uint32_t size,
                                  std::uint32_t levels, std::uint32_t face, std::uint32_t level)
{
    std::size_t faceBytes = 0;
    for (std::uint32_t l = 0; l < levels; ++l)
        faceBytes += std::size_t{size >> l} * (size >> l) * 8;
    std::size_t offset = kDDSHeaderBytes + face * faceBytes;
    for (std::uint32_t l = 0; l < level; ++l)
        offset += std::size_t{size >> l} * (size >> l) * 8;
    const std::size_t texels = std::size_t{size >> level} * (size >> level);
    std::array<double, 3> mean{};
    for (std::size_t i = 0; i < texels; ++i)
        for (int c = 0; c < 3; ++c)
        {
            std::uint16_t h;
            std::memcpy(&h, &file[offset + i * 8 + c * 2], 2);
            const float v = HalfToFloat(h);
            EXPECT_TRUE(std::isfinite(v) && v >= 0) << "face " << face << " level " << level;
            mean[c] += v / static_cast<double>(texels);
        }
    return mean;
}

TEST(GeneratedLighting, PrefilterLevelsKeepTheEnergyOfTheEnvironment)
{
    // Pre-filtering moves light between neighbouring faces but neither creates nor loses much of
    // it: the mean over all faces of a blurred level stays near the sharp level's. And the lit
    // sky above outshines the ground below.
    const std::vector<std::uint8_t> file = ReadDataFile("prefilter2048.dds");
    ASSERT_FALSE(file.empty());
    const std::uint32_t size = assets::kPrefilterSize, levels = 10;
    auto total = [&](std::uint32_t level)
    {
        double sum = 0;
        for (std::uint32_t face = 0; face < 6; ++face)
            for (double channel : MeanOfLevel(file, size, levels, face, level))
                sum += channel;
        return sum;
    };
    const double sharp = total(0);
    for (std::uint32_t level : {1u, 3u, 6u, 9u})
        EXPECT_NEAR(total(level), sharp, 0.25 * sharp) << "level " << level;
    const auto up = MeanOfLevel(file, size, levels, 2, 0),
               down = MeanOfLevel(file, size, levels, 3, 0);
    EXPECT_GT(up[0] + up[1] + up[2], 2 * (down[0] + down[1] + down[2]));
}

TEST(GeneratedLighting, IrradianceIsSmoothAndBrightEnoughToLight)
{
    const std::vector<std::uint8_t> file = ReadDataFile("irradiance.dds");
    ASSERT_FALSE(file.empty());
    for (std::uint32_t face = 0; face < 6; ++face)
    {
        const auto mean = MeanOfLevel(file, assets::kIrradianceSize, 1, face, 0);
        EXPECT_GT(mean[0] + mean[1] + mean[2], 0.3) << "face " << face;
        EXPECT_LT(mean[0] + mean[1] + mean[2], 60.0) << "face " << face;
    }
}

} // namespace
