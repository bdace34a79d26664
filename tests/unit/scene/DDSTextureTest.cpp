// DDS headers to texture descriptions, 24-bit widening, and what LoadTexture hands the display.
#include "DDSTexture.h"
#include "Doubles.h"
#include "SceneImages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace
{
constexpr std::uint32_t FourCC(const char (&text)[5])
{
    return std::uint32_t(std::uint8_t(text[0])) | std::uint32_t(std::uint8_t(text[1])) << 8 |
           std::uint32_t(std::uint8_t(text[2])) << 16 | std::uint32_t(std::uint8_t(text[3])) << 24;
}

class DDSTextureTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        g_log.clear();
        g_display = &display;
        dir = std::filesystem::path(testing::TempDir()) / "ombrel-dds-test";
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        g_display = nullptr;
        std::filesystem::remove_all(dir);
    }

    // Writes the image and returns its path in the system's spelling ("dir\name").
    std::string WriteFile(const char* name, const std::vector<std::uint8_t>& image)
    {
        std::FILE* file = std::fopen((dir / name).c_str(), "wb");
        std::fwrite(image.data(), 1, image.size(), file);
        std::fclose(file);
        return dir.string() + "\\" + name;
    }

    RecordingDisp display;
    std::filesystem::path dir;
};

TEST_F(DDSTextureTest, FormatRule)
{
    struct Case
    {
        const char* what;
        std::uint32_t flags, fourCC, bits;
        PixelFormat format;
    };
    const Case cases[] = {
        {"DXT1", kDdsFourCC, FourCC("DXT1"), 0, BC1},
        {"DXT5", kDdsFourCC, FourCC("DXT5"), 0, BC3},
        {"DXT3 decodes as BC3", kDdsFourCC, FourCC("DXT3"), 0, BC3},
        {"A16B16G16R16F", kDdsFourCC, 113, 0, RGBA16F},
        {"R32F", kDdsFourCC, 114, 0, R32F},
        {"G32R32F", kDdsFourCC, 115, 0, RG32F},
        {"A32B32G32R32F", kDdsFourCC, 116, 0, RGBA32F},
        {"other FourCC", kDdsFourCC, FourCC("ATI2"), 0, RGBA8},
        {"FourCC wins over RGB", kDdsFourCC | kDdsRGB, FourCC("DXT1"), 24, BC1},
        {"32-bit RGB", kDdsRGB, 0, 32, RGBA8},
        {"16-bit RGB", kDdsRGB, 0, 16, RGBA8},
        {"luminance only", kDdsLuminance, 0, 8, R8},
        {"alpha only", 0x2, 0, 8, R8},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto image = DdsImage({4, 4, 1, c.flags, c.fourCC, c.bits, 0}, CountingBytes(64));
        TextureDesc desc;
        ASSERT_TRUE(ParseDDS(image, desc));
        EXPECT_EQ(desc.format, c.format);
        // Nothing but 24-bit RGB is copied: the description points into the file image.
        EXPECT_EQ(desc.pixels, image.data() + 128);
        EXPECT_EQ(desc.pixelBytes, 64u);
    }
}

TEST_F(DDSTextureTest, HeaderFields)
{
    struct Case
    {
        std::uint32_t mips, caps2;
        std::uint32_t levels, cubeMap;
    };
    const Case cases[] = {
        {0, 0, 1, 0}, {1, 0, 1, 0}, {5, 0, 5, 0}, {3, kDdsCubeMap, 3, 1}, {0, 0x200, 1, 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.mips << " mips, caps2 " << c.caps2);
        TextureDesc desc;
        ASSERT_TRUE(ParseDDS(DdsImage({16, 8, c.mips, kDdsFourCC, 113, 0, c.caps2}, {}), desc));
        EXPECT_EQ(desc.width, 16u);
        EXPECT_EQ(desc.height, 8u);
        EXPECT_EQ(desc.levels, c.levels);
        EXPECT_EQ(desc.cubeMap, c.cubeMap);
    }
}

TEST_F(DDSTextureTest, ExpandRGB24ReversesTheBytesAndAddsOpaqueAlpha)
{
    const std::uint8_t source[6] = {0x10, 0x20, 0x30, 0xFF, 0x00, 0x7F};
    std::uint8_t destination[9] = {};
    ExpandRGB24(destination, source, 2);
    const std::uint8_t want[9] = {0x30, 0x20, 0x10, 0xFF, 0x7F, 0x00, 0xFF, 0xFF, 0x00};
    EXPECT_EQ(std::memcmp(destination, want, 9), 0); // and nothing past the second pixel
}

TEST_F(DDSTextureTest, TwentyFourBitImagesAreWidened)
{
    struct Case
    {
        const char* what;
        std::uint32_t width, height, mips, caps2;
        std::size_t pixels; // widened
    };
    const Case cases[] = {
        {"plain", 5, 3, 1, 0, 15},
        {"plain with mips keeps its top level", 4, 4, 3, 0, 16},
        {"cube of 64x64", 64, 64, 1, kDdsCubeMap, 24576},
        {"cube with mips widens every level of every face", 4, 4, 3, kDdsCubeMap, 6 * (16 + 4 + 1)},
        {"cube of 4x2 with levels past 1x1", 4, 2, 4, kDdsCubeMap, 6 * (8 + 2 + 1 + 1)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto source = CountingBytes(3 * c.pixels);
        const auto image = DdsImage({c.width, c.height, c.mips, kDdsRGB, 0, 24, c.caps2}, source);
        TextureDesc desc;
        ASSERT_TRUE(ParseDDS(image, desc));
        EXPECT_EQ(desc.format, RGBA8);
        ASSERT_EQ(desc.pixelBytes, 4 * c.pixels);
        ASSERT_EQ(desc.pixels, desc.widened.data());
        std::vector<std::uint8_t> want(4 * c.pixels);
        ExpandRGB24(want.data(), source.data(), c.pixels);
        EXPECT_EQ(desc.widened, want);
        // The last pixel too: its blue byte first in the file, last of the three here.
        EXPECT_EQ(desc.widened[4 * c.pixels - 4], source[3 * c.pixels - 1]);
        EXPECT_EQ(desc.widened[4 * c.pixels - 2], source[3 * c.pixels - 3]);
        EXPECT_EQ(desc.widened[4 * c.pixels - 1], 0xFF);
    }
}

TEST_F(DDSTextureTest, ImagesTooShortOrWithTooManyCubeLevelsAreRefused)
{
    struct Case
    {
        const char* what;
        std::vector<std::uint8_t> image;
        bool parsed;
    };
    std::vector<std::uint8_t> truncatedHeader = DdsImage({}, {});
    truncatedHeader.resize(127);
    const Case cases[] = {
        {"no header", {}, false},
        {"half a header", truncatedHeader, false},
        {"24-bit, a byte short", DdsImage({4, 4, 1, kDdsRGB, 0, 24, 0}, CountingBytes(47)), false},
        {"24-bit, exact", DdsImage({4, 4, 1, kDdsRGB, 0, 24, 0}, CountingBytes(48)), true},
        {"24-bit cube, last level short",
         DdsImage({4, 4, 3, kDdsRGB, 0, 24, kDdsCubeMap}, CountingBytes(3 * 126 - 1)), false},
        {"24-bit, claims 4 billion pixels", DdsImage({65536, 65536, 1, kDdsRGB, 0, 24, 0}, {}),
         false},
        {"24-bit cube, claims 2^32 x 2^32 pixels",
         DdsImage({0xFFFFFFFF, 0xFFFFFFFF, 21, kDdsRGB, 0, 24, kDdsCubeMap}, CountingBytes(96)),
         false},
        {"cube of 21 levels", DdsImage({1 << 20, 1 << 20, 21, kDdsFourCC, 113, 0, kDdsCubeMap}, {}),
         true},
        {"cube of 22 levels", DdsImage({1 << 21, 1 << 21, 22, kDdsFourCC, 113, 0, kDdsCubeMap}, {}),
         false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        g_log.clear();
        std::vector<std::uint8_t> exact(c.image); // exactly sized, so ASan sees any overread
        TextureDesc desc;
        EXPECT_EQ(ParseDDS(exact, desc), c.parsed);
        EXPECT_EQ(g_log.size(), c.parsed ? 0u : 1u);
    }
}

TEST_F(DDSTextureTest, LoadTextureHandsTheDisplayEveryFileByteAfterTheHeader)
{
    const auto pixels = CountingBytes(6 * 4 * 4 * 8 + 5); // six RGBA16F faces and a few spare bytes
    const std::string path =
        WriteFile("cube.dds", DdsImage({4, 4, 0, kDdsFourCC, 113, 0, kDdsCubeMap}, pixels));
    const TextureHandle handle = LoadTexture(path.c_str());
    EXPECT_EQ(handle.value, 1u);
    ASSERT_EQ(display.textures.size(), 1u);
    const CreatedTexture& t = display.textures[0];
    EXPECT_EQ(t.width, 4u);
    EXPECT_EQ(t.height, 4u);
    EXPECT_EQ(t.format, RGBA16F);
    EXPECT_EQ(t.levels, 1u); // a mip count of 0 is one level
    EXPECT_EQ(t.flags, std::uint32_t{CubeMap});
    EXPECT_EQ(t.data, pixels); // the size bounds what creation may read
    ASSERT_EQ(g_log.size(), 2u);
    EXPECT_EQ(g_log[0], Printed("LoadTexture: " + path + "\n"));
    EXPECT_EQ(g_log[1].text.rfind("data = ", 0), 0u);
    EXPECT_NE(g_log[1].text.find(", size = " + std::to_string(128 + pixels.size()) + "\n"),
              std::string::npos);
}

TEST_F(DDSTextureTest, LoadTextureWidensTwentyFourBitFiles)
{
    const std::string path =
        WriteFile("rgb.dds", DdsImage({2, 1, 1, kDdsRGB, 0, 24, 0}, {0x10, 0x20, 0x30, 1, 2, 3}));
    EXPECT_NE(LoadTexture(path.c_str()).value, 0u);
    ASSERT_EQ(display.textures.size(), 1u);
    EXPECT_EQ(display.textures[0].flags, 0u);
    EXPECT_EQ(display.textures[0].data,
              (std::vector<std::uint8_t>{0x30, 0x20, 0x10, 0xFF, 3, 2, 1, 0xFF}));
}

TEST_F(DDSTextureTest, AMissingFileLogsThreeLinesAndGivesHandleZero)
{
    char nullAddress[32];
    std::snprintf(nullAddress, sizeof nullAddress, "%p", static_cast<void*>(nullptr));
    for (const std::string& path : {dir.string() + "\\missing.dds", dir.string()})
    {
        SCOPED_TRACE(path);
        g_log.clear();
        EXPECT_EQ(LoadTexture(path.c_str()).value, 0u);
        EXPECT_EQ(g_log, (std::vector<LogLine>{
                             Printed("LoadTexture: " + path + "\n"),
                             Printed(std::string("data = ") + nullAddress + ", size = 0\n"),
                             Reported("Failed to load texture '" + path + "'\n"),
                         }));
    }
    EXPECT_TRUE(display.textures.empty());
}

TEST_F(DDSTextureTest, AnUnparsableFileCreatesNoTexture)
{
    const std::string path = WriteFile("short.dds", CountingBytes(100));
    EXPECT_EQ(LoadTexture(path.c_str()).value, 0u);
    EXPECT_TRUE(display.textures.empty());
    ASSERT_EQ(g_log.size(), 4u);
    EXPECT_EQ(g_log[2], Printed("ParseDDS: 100 bytes, shorter than a DDS header.\n"));
    EXPECT_EQ(g_log[3], Reported("Failed to load texture '" + path + "'\n"));
}
} // namespace
