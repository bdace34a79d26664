// ombrel-compare-frames: the same moments drawn by two back ends, compared pair by pair.
// Usage: ombrel-compare-frames [--coarse-after SECONDS] [--pixel-limits DB PERCENT] FIRST_DIR
//        SECOND_DIR [SHEET.png NAME...]
// Every at-*.png of FIRST_DIR is compared with its namesake in SECOND_DIR: a table of PSNR and
// the share of pixels differing by more than 24 in some channel; exit 1 when a pair is missing or
// below 35 dB or above 0.5 % (--pixel-limits sets others). With --coarse-after, frames of later
// moments are first averaged over blocks of 16x16 pixels and only a PSNR under 40 dB fails: what
// a viewer sees of the particle cloud (where it is, how bright, what colour) and not each
// particle, whose path two GPUs' last-bit differences make diverge over the frames. Earlier
// moments, before the paths part, stay pixel by pixel: there a particle out of place is a fault.
// The sheet stacks the named pairs as FIRST | SECOND | difference x8.
#include "PngFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

bool Read(const fs::path& path, Image& image)
{
    return ReadPngFile(path.string(), image.width, image.height, image.rgb);
}

constexpr int kBigDifference = 24;
constexpr int kCoarseBlock = 16;
constexpr double kLeastCoarsePsnr = 40.0;

// The image averaged over blocks of `block` pixels (those at the edges smaller), one pixel each.
Image Coarse(const Image& image, int block)
{
    Image out;
    out.width = (image.width + block - 1) / block;
    out.height = (image.height + block - 1) / block;
    out.rgb.resize(std::size_t(out.width) * out.height * 3);
    for (int by = 0; by < out.height; ++by)
        for (int bx = 0; bx < out.width; ++bx)
            for (int c = 0; c < 3; ++c)
            {
                double sum = 0;
                int count = 0;
                for (int y = by * block; y < std::min(image.height, (by + 1) * block); ++y)
                    for (int x = bx * block; x < std::min(image.width, (bx + 1) * block);
                         ++x, ++count)
                        sum += image.rgb[(std::size_t(y) * image.width + x) * 3 + c];
                out.rgb[(std::size_t(by) * out.width + bx) * 3 + c] =
                    std::uint8_t(std::lround(sum / count));
            }
    return out;
}

// A whole argument read as a number; false for anything else.
bool ReadNumber(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

// The moment an at-SSS.SSS.png frame shows, in seconds.
double MomentOf(const std::string& name)
{
    return std::strtod(name.c_str() + 3, nullptr);
}
} // namespace

int main(int argc, char** argv)
{
    double coarseAfter = INFINITY;
    double leastPsnr = 35.0;
    double mostShare = 0.5; // percent of pixels
    bool usage = false;
    for (;;)
    {
        const std::string option = argc > 1 ? argv[1] : "";
        if (option == "--coarse-after" && argc > 2)
            usage = usage || !ReadNumber(argv[2], coarseAfter);
        else if (option == "--pixel-limits" && argc > 3)
            usage = usage || !ReadNumber(argv[2], leastPsnr) || !ReadNumber(argv[3], mostShare);
        else
            break;
        const int used = option == "--pixel-limits" ? 3 : 2;
        argc -= used;
        argv += used;
    }
    if (usage || argc < 3 || !fs::is_directory(argv[1]) || !fs::is_directory(argv[2]))
    {
        std::fprintf(stderr, "usage: ombrel-compare-frames [--coarse-after SECONDS] "
                             "[--pixel-limits DB PERCENT] FIRST_DIR SECOND_DIR "
                             "[SHEET.png NAME...]\n");
        return 2;
    }
    const fs::path first = argv[1];
    const fs::path second = argv[2];
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(first))
    {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("at-") && name.ends_with(".png"))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    if (names.empty())
    {
        std::fprintf(stderr, "ombrel-compare-frames: no at-*.png in %s\n", argv[1]);
        return 1;
    }

    bool pass = true;
    std::printf("%-18s %10s %12s  %s\n", "frame", "PSNR dB", "> 24 (%)", "compared");
    for (const std::string& name : names)
    {
        Image a;
        Image b;
        if (!Read(first / name, a) || !Read(second / name, b) || a.width != b.width ||
            a.height != b.height)
        {
            std::printf("%-18s missing, unreadable or of another size in %s\n", name.c_str(),
                        argv[2]);
            pass = false;
            continue;
        }
        const bool coarse = MomentOf(name) > coarseAfter;
        if (coarse)
        {
            a = Coarse(a, kCoarseBlock);
            b = Coarse(b, kCoarseBlock);
        }
        double squares = 0;
        std::size_t big = 0;
        const std::size_t pixels = std::size_t(a.width) * a.height;
        for (std::size_t p = 0; p < pixels; ++p)
        {
            int most = 0;
            for (int c = 0; c < 3; ++c)
            {
                const int d = std::abs(int(a.rgb[p * 3 + c]) - int(b.rgb[p * 3 + c]));
                squares += double(d) * d;
                most = std::max(most, d);
            }
            big += most > kBigDifference;
        }
        const double mse = squares / double(pixels * 3);
        const double psnr = mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
        const double share = 100.0 * double(big) / double(pixels);
        const bool ok = coarse ? psnr >= kLeastCoarsePsnr : psnr >= leastPsnr && share <= mostShare;
        std::printf("%-18s %10.2f %12.3f  %s%s\n", name.c_str(), psnr, share,
                    coarse ? "16x16 blocks" : "pixels", ok ? "" : "  FAIL");
        pass = pass && ok;
    }

    if (argc > 4)
    {
        std::vector<Image> rows[3];
        for (int i = 4; i < argc; ++i)
        {
            Image a;
            Image b;
            if (!Read(first / argv[i], a) || !Read(second / argv[i], b) || a.width != b.width ||
                a.height != b.height)
            {
                std::fprintf(stderr, "ombrel-compare-frames: no pair %s for the sheet\n", argv[i]);
                return 1;
            }
            Image d = a;
            for (std::size_t k = 0; k < d.rgb.size(); ++k)
                d.rgb[k] = std::uint8_t(std::min(255, 8 * std::abs(int(a.rgb[k]) - int(b.rgb[k]))));
            rows[0].push_back(a);
            rows[1].push_back(b);
            rows[2].push_back(d);
        }
        const int w = rows[0][0].width;
        const int h = rows[0][0].height;
        const int gap = 4;
        const int sheetWidth = 3 * w + 2 * gap;
        const int sheetHeight = int(rows[0].size()) * (h + gap) - gap;
        std::vector<std::uint8_t> sheet(std::size_t(sheetWidth) * sheetHeight * 4, 255);
        for (std::size_t r = 0; r < rows[0].size(); ++r)
            for (int column = 0; column < 3; ++column)
            {
                const Image& image = rows[column][r];
                for (int y = 0; y < std::min(h, image.height); ++y)
                    for (int x = 0; x < std::min(w, image.width); ++x)
                    {
                        std::uint8_t* out =
                            sheet.data() + (std::size_t(int(r) * (h + gap) + y) * sheetWidth +
                                            column * (w + gap) + x) *
                                               4;
                        const std::uint8_t* in =
                            image.rgb.data() + (std::size_t(y) * image.width + x) * 3;
                        out[0] = in[0];
                        out[1] = in[1];
                        out[2] = in[2];
                    }
            }
        if (!WritePngFile(argv[3], sheet.data(), sheetWidth, sheetHeight))
        {
            std::fprintf(stderr, "ombrel-compare-frames: cannot write %s\n", argv[3]);
            return 1;
        }
    }
    return pass ? 0 : 1;
}
