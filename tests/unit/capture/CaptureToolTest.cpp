// The capture tool's options, PNG encoding and progress text.
#include "CaptureOptions.h"
#include "PngFile.h"
#include "Progress.h"
#include "VideoPipe.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <stdexcept>

namespace
{
std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < line.size())
    {
        std::size_t space = line.find(' ', start);
        if (space == std::string::npos)
            space = line.size();
        words.push_back(line.substr(start, space - start));
        start = space + 1;
    }
    return words;
}

TEST(CaptureOptions, DefaultsAndValues)
{
    const CaptureOptions defaults = ParseCaptureOptions(Split("--out a.mp4"));
    EXPECT_EQ(defaults.fps, 60);
    EXPECT_EQ(defaults.width, 1920);
    EXPECT_EQ(defaults.height, 1080);
    EXPECT_EQ(defaults.from, 0.0);
    EXPECT_EQ(defaults.to, 150.0);
    EXPECT_FALSE(defaults.bench);
    EXPECT_EQ(defaults.videoKbps, 0); // the video sites' figure, below
    EXPECT_EQ(defaults.audioKbps, 384);
    EXPECT_EQ(RecommendedVideoKbps(1920, 1080, 60), 12000);
    EXPECT_EQ(RecommendedVideoKbps(2560, 1440, 60), 24000);
    EXPECT_EQ(RecommendedVideoKbps(1280, 720, 30), 5000);
    EXPECT_EQ(RecommendedVideoKbps(160, 90, 10), 1000);
    EXPECT_EQ(RecommendedVideoKbps(7680, 4320, 120), 136000);
    const CaptureOptions rates =
        ParseCaptureOptions(Split("--out a.mp4 --video-bitrate 8000 --audio-bitrate 192"));
    EXPECT_EQ(rates.videoKbps, 8000);
    EXPECT_EQ(rates.audioKbps, 192);

    const CaptureOptions o = ParseCaptureOptions(
        Split("--png-dir shots --fps 24 --size 640x360 --from 12.5 --to 20 --bench"));
    EXPECT_EQ(o.pngDir, "shots");
    EXPECT_EQ(o.fps, 24);
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 360);
    EXPECT_EQ(o.from, 12.5);
    EXPECT_EQ(o.to, 20.0);
    EXPECT_TRUE(o.bench);

    const CaptureOptions at = ParseCaptureOptions(Split("--png-dir d --at 150,0,72.25"));
    EXPECT_EQ(at.at, (std::vector<double>{150.0, 0.0, 72.25}));
    EXPECT_EQ(ParseCaptureOptions(Split("--png-dir d --at 1,2 --shot 3,0")).shots,
              (std::vector<int>{3, 0}));
    EXPECT_EQ(ParseCaptureOptions(Split("--out a.mp4 --shot 5")).shots, std::vector<int>{5});
    EXPECT_TRUE(ParseCaptureOptions(Split("--help")).help);
    EXPECT_TRUE(ParseCaptureOptions(Split("--bench")).bench);
}

TEST(CaptureOptions, RefusesBadOrConflictingOptions)
{
    const char* const bad[] = {
        "",                              // nothing to write
        "--out a.avi",                   // not an MP4 name
        "--out a.mp4 --png-dir d",       // both outputs
        "--out a.mp4 --fps 0",           // rate too low
        "--out a.mp4 --fps 241",         // rate too high
        "--out a.mp4 --fps 2.5",         // not whole
        "--out a.mp4 --size 640",        // no height
        "--out a.mp4 --size 641x360",    // odd width for yuv420p
        "--out a.mp4 --size 8x8",        // too small
        "--out a.mp4 --from -1",         // before the start
        "--out a.mp4 --to 150.5",        // after the end
        "--out a.mp4 --from 20 --to 10", // reversed
        "--out a.mp4 --from ten",        // not a number
        "--out a.mp4 --at 10",           // --at writes PNGs
        "--png-dir d --at 10 --from 5",  // --at with a range
        "--png-dir d --at 10,,20",       // empty moment
        "--png-dir d --at 10,151",       // past the end
        "--png-dir d --at 1 --shot 1,2", // a shot for a moment that is not there
        "--out a.mp4 --shot 10",         // no segment has that many shots
        "--png-dir d --frobnicate",      // unknown
        "--png-dir",                     // value missing
        "--out a.mp4 --video-bitrate 0", // no picture
        "--out a.mp4 --audio-bitrate 1000",
    };
    for (const char* line : bad)
        EXPECT_THROW(ParseCaptureOptions(Split(line)), std::invalid_argument) << line;
    // Odd sizes are fine for PNG files.
    EXPECT_NO_THROW(ParseCaptureOptions(Split("--png-dir d --size 641x361")));
}

// Decodes the encoder's own output: chunk CRCs, zlib stream, "up" filter.
std::vector<std::uint8_t> DecodeRgb(const std::vector<std::uint8_t>& png, int& width, int& height)
{
    auto get32 = [&](std::size_t at)
    {
        return std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 |
               std::uint32_t(png[at + 2]) << 8 | png[at + 3];
    };
    std::vector<std::uint8_t> packed;
    std::size_t at = 8;
    while (at + 12 <= png.size())
    {
        const std::uint32_t size = get32(at);
        const std::string type(png.begin() + long(at) + 4, png.begin() + long(at) + 8);
        EXPECT_EQ(get32(at + 8 + size), crc32(0, png.data() + at + 4, size + 4)) << type;
        if (type == "IHDR")
        {
            width = int(get32(at + 8));
            height = int(get32(at + 12));
        }
        if (type == "IDAT")
            packed.insert(packed.end(), png.begin() + long(at) + 8,
                          png.begin() + long(at) + 8 + size);
        at += 12 + size;
    }
    const std::size_t rowBytes = std::size_t(width) * 3;
    std::vector<std::uint8_t> raw((rowBytes + 1) * std::size_t(height));
    uLongf rawSize = uLongf(raw.size());
    EXPECT_EQ(uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())), Z_OK);
    std::vector<std::uint8_t> rgb(rowBytes * std::size_t(height));
    for (int y = 0; y < height; ++y)
    {
        EXPECT_EQ(raw[std::size_t(y) * (rowBytes + 1)], 2);
        for (std::size_t i = 0; i < rowBytes; ++i)
        {
            const std::uint8_t above = y > 0 ? rgb[std::size_t(y - 1) * rowBytes + i] : 0;
            rgb[std::size_t(y) * rowBytes + i] =
                std::uint8_t(raw[std::size_t(y) * (rowBytes + 1) + 1 + i] + above);
        }
    }
    return rgb;
}

TEST(PngFile, KeepsEveryPixelTopRowFirstAndDropsAlpha)
{
    const int width = 7;
    const int height = 5;
    std::vector<std::uint8_t> rgba(std::size_t(width) * height * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = std::uint8_t(i * 37 + (i >> 3));
    const std::vector<std::uint8_t> png = EncodePng(rgba.data(), width, height);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    int w = 0;
    int h = 0;
    const std::vector<std::uint8_t> rgb = DecodeRgb(png, w, h);
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    for (std::size_t p = 0; p < std::size_t(width) * height; ++p)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(rgb[p * 3 + c], rgba[p * 4 + c]) << "pixel " << p;
}

TEST(Progress, Text)
{
    EXPECT_EQ(FormatDuration(0), "0:00");
    EXPECT_EQ(FormatDuration(61.4), "1:01");
    EXPECT_EQ(FormatDuration(3725), "1:02:05");
    EXPECT_EQ(ProgressBar(0.5, 10), "[#####.....]");
    EXPECT_EQ(ProgressBar(1.5, 4), "[####]");
    EXPECT_EQ(DescribeProgress("frame", 0, 100, 0), "frame 0/100 (0.0%)");
    EXPECT_EQ(DescribeProgress("frame", 25, 100, 10),
              "frame 25/100 (25.0%), 2.50 frames/s, 0:30 left");
}
} // namespace
