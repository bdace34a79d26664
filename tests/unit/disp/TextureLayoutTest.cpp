// Format tables and the initial-data layout of textures.
#include "TextureLayout.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(PixelFormatTest, MapsEveryCodeToItsDxgiFormatAndPixelPitch)
{
    struct Case
    {
        std::uint32_t code;
        std::uint32_t dxgi;
        std::uint32_t pitch;
    };
    const Case cases[] = {
        {0, 28, 4},  {1, 24, 4},  {2, 11, 8},  {3, 61, 1}, {4, 10, 8},  {5, 34, 4},
        {6, 2, 16},  {7, 6, 12},  {8, 16, 8},  {9, 41, 4}, {10, 71, 2}, {11, 77, 4},
        {12, 83, 4}, {13, 45, 0}, {14, 40, 0}, {15, 0, 0}, {255, 0, 0}, {0xFFFFFFFFu, 0, 0},
    };
    for (const Case& c : cases)
    {
        const PixelFormat format = static_cast<PixelFormat>(c.code);
        EXPECT_EQ(ToDxgiFormat(format), c.dxgi) << "code " << c.code;
        EXPECT_EQ(PixelPitch(format), c.pitch) << "code " << c.code;
    }
}

TEST(TextureLevelCountTest, FollowsTheFlags)
{
    EXPECT_EQ(TextureLevelCount(10, 0), 1u);
    EXPECT_EQ(TextureLevelCount(10, GenerateMips), 0u);
    EXPECT_EQ(TextureLevelCount(8, CubeMap), 8u);
    EXPECT_EQ(TextureLevelCount(8, CubeMap | GenerateMips), 8u);
    EXPECT_EQ(FullMipCount(128, 128), 8u);
    EXPECT_EQ(FullMipCount(128, 32), 8u);
    EXPECT_EQ(FullMipCount(1, 1), 1u);
}

TEST(SubresourceLayoutTest, CubeOf128Rgba16fWith8LevelsLaysOutFaceByFace)
{
    SubresourceLayout layout;
    const std::size_t faceSize = 174760;
    ASSERT_TRUE(LayoutSubresources(128, 128, RGBA16F, 8, CubeMap, 6 * faceSize, layout));
    EXPECT_EQ(layout.count, 48u);
    EXPECT_EQ(layout.faces, 6u);
    EXPECT_EQ(layout.totalSize, 6 * faceSize);
    const std::size_t offsets[8] = {0, 131072, 163840, 172032, 174080, 174592, 174720, 174752};
    const std::uint32_t pitches[8] = {1024, 512, 256, 128, 64, 32, 16, 8};
    for (std::uint32_t face = 0; face < 6; ++face)
        for (std::uint32_t level = 0; level < 8; ++level)
        {
            const SubresourceEntry& entry = layout.entries[face * 8 + level];
            EXPECT_EQ(entry.offset, face * faceSize + offsets[level]) << face << "/" << level;
            EXPECT_EQ(entry.rowPitch, pitches[level]) << face << "/" << level;
            EXPECT_EQ(entry.width, 128u >> level);
        }
    EXPECT_EQ(layout.entries[8].offset, 174760u);
}

TEST(SubresourceLayoutTest, PlainTextureUsesOnlyItsTopLevel)
{
    SubresourceLayout layout;
    // Exactly one level's bytes suffice although ten levels are asked for.
    ASSERT_TRUE(LayoutSubresources(64, 32, RGBA8, 10, 0, 64 * 32 * 4, layout));
    EXPECT_EQ(layout.count, 1u);
    EXPECT_EQ(layout.entries[0].rowPitch, 256u);
    EXPECT_EQ(layout.totalSize, 64u * 32 * 4);
    ASSERT_TRUE(LayoutSubresources(64, 32, RGBA8, 0, GenerateMips, 64 * 32 * 4, layout));
    EXPECT_EQ(layout.count, 1u);
}

TEST(SubresourceLayoutTest, BlockCompressedLevelsTakeWholeBlocks)
{
    struct Case
    {
        PixelFormat format;
        std::uint32_t blockBytes;
    };
    for (const Case c : {Case{BC1, 8}, Case{BC3, 16}, Case{BC5, 16}})
    {
        SubresourceLayout layout;
        // 8×8 with four levels: 2×2 blocks, then one block for 4×4, 2×2 and 1×1.
        const std::size_t face = (4 + 1 + 1 + 1) * c.blockBytes;
        ASSERT_TRUE(LayoutSubresources(8, 8, c.format, 4, CubeMap, 6 * face, layout));
        EXPECT_EQ(layout.entries[0].rowPitch, 2 * c.blockBytes);
        EXPECT_EQ(layout.entries[0].size, 4 * c.blockBytes);
        for (int level = 1; level < 4; ++level)
        {
            EXPECT_EQ(layout.entries[level].rowPitch, c.blockBytes);
            EXPECT_EQ(layout.entries[level].size, c.blockBytes);
        }
        EXPECT_EQ(layout.entries[4].offset, face);
        EXPECT_FALSE(LayoutSubresources(8, 8, c.format, 4, CubeMap, 6 * face - 1, layout));
    }
}

TEST(SubresourceLayoutTest, LevelsNeverShrinkBelowOnePixel)
{
    SubresourceLayout layout;
    ASSERT_TRUE(LayoutSubresources(2, 2, R8, 3, CubeMap, 6 * (4 + 1 + 1), layout));
    EXPECT_EQ(layout.entries[2].width, 1u);
    EXPECT_EQ(layout.entries[2].size, 1u);
    EXPECT_EQ(layout.entries[3].offset, 6u);
}

TEST(SubresourceLayoutTest, CubeWithoutLevelCountTakesTheFullChain)
{
    SubresourceLayout layout;
    ASSERT_TRUE(LayoutSubresources(4, 4, RGBA8, 0, CubeMap, 6 * (64 + 16 + 4), layout));
    EXPECT_EQ(layout.levelsPerFace, 3u);
    EXPECT_EQ(layout.count, 18u);
}

TEST(SubresourceLayoutTest, RefusesWhatCannotBeLaidOutWithinTheData)
{
    struct Case
    {
        const char* what;
        std::uint32_t width, height;
        PixelFormat format;
        std::uint32_t levels, flags;
        std::size_t dataSize;
    };
    const Case cases[] = {
        {"one byte short", 16, 16, RGBA8, 1, 0, 16 * 16 * 4 - 1},
        {"cube one byte short", 4, 4, RGBA8, 1, CubeMap, 6 * 64 - 1},
        {"no data", 4, 4, RGBA8, 1, 0, 0},
        {"depth format", 4, 4, D24S8, 1, 0, 1 << 20},
        {"unknown format", 4, 4, static_cast<PixelFormat>(15), 1, 0, 1 << 20},
        {"zero width", 0, 4, RGBA8, 1, 0, 1 << 20},
        {"zero height", 4, 0, RGBA8, 1, 0, 1 << 20},
        {"too wide", kMaxTextureSize + 1, 1, R8, 1, 0, std::size_t(1) << 40},
        {"more than 128 entries", 4, 4, R8, 22, CubeMap, std::size_t(1) << 20},
    };
    for (const Case& c : cases)
    {
        SubresourceLayout layout;
        EXPECT_FALSE(
            LayoutSubresources(c.width, c.height, c.format, c.levels, c.flags, c.dataSize, layout))
            << c.what;
        EXPECT_EQ(layout.count, 0u) << c.what;
    }
    SubresourceLayout layout;
    EXPECT_TRUE(LayoutSubresources(4, 4, R8, 21, CubeMap, std::size_t(1) << 20, layout));
    EXPECT_EQ(layout.count, 126u);
}

TEST(TextureLayout, TheCombinationsDirect3DRefusesAreRefused)
{
    struct Case
    {
        const char* what;
        bool render, depth;
        std::uint32_t width, height;
        PixelFormat format;
        std::uint32_t flags;
    };
    const Case refused[] = {
        {"unknown format", false, false, 4, 4, static_cast<PixelFormat>(D32F + 1), 0},
        {"zero side", false, false, 0, 4, RGBA8, 0},
        {"too tall", false, false, 4, kMaxTextureSize + 1, RGBA8, 0},
        {"depth format for colour", false, false, 4, 4, D32F, 0},
        {"colour format for depth", false, true, 4, 4, RGBA16F, 0},
        {"compressed render target", true, false, 4, 4, BC1, 0},
        {"depth cube", false, true, 4, 4, D24S8, CubeMap},
        {"cube not square", false, false, 8, 4, RGBA8, CubeMap},
    };
    for (const Case& c : refused)
        EXPECT_FALSE(IsCreatableTexture(c.render, c.depth, c.width, c.height, c.format, c.flags))
            << c.what;
    EXPECT_TRUE(IsCreatableTexture(true, false, kMaxTextureSize, 1, RGBA16F, 0));
    EXPECT_TRUE(IsCreatableTexture(false, true, 1920, 1080, D24S8, 0));
    EXPECT_TRUE(IsCreatableTexture(false, false, 256, 256, BC5, CubeMap | GenerateMips));
}
