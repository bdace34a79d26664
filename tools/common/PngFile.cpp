// PNG: signature, IHDR, one IDAT of "up"-filtered rows through zlib, IEND; CRCs from zlib.
#include "PngFile.h"

#include <zlib.h>

#include <cstdio>

namespace
{
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data,
              std::size_t size)
{
    Put32(out, std::uint32_t(size));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    Put32(out, std::uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}
} // namespace

std::vector<std::uint8_t> EncodePng(const std::uint8_t* rgba, int width, int height)
{
    // Filter "up" (2) on every row: rendered frames repeat a lot from row to row.
    const std::size_t rowBytes = std::size_t(width) * 3;
    std::vector<std::uint8_t> raw((rowBytes + 1) * std::size_t(height));
    std::vector<std::uint8_t> previous(rowBytes, 0);
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < height; ++y)
    {
        const std::uint8_t* source = rgba + std::size_t(y) * width * 4;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                row[std::size_t(x) * 3 + c] = source[std::size_t(x) * 4 + c];
        std::uint8_t* target = raw.data() + std::size_t(y) * (rowBytes + 1);
        target[0] = 2;
        for (std::size_t i = 0; i < rowBytes; ++i)
            target[1 + i] = std::uint8_t(row[i] - previous[i]);
        previous.swap(row);
    }

    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK)
        return {};

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    Put32(header, std::uint32_t(width));
    Put32(header, std::uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, deflate, adaptive, no interlace
    PutChunk(png, "IHDR", header.data(), header.size());
    PutChunk(png, "IDAT", packed.data(), packedSize);
    PutChunk(png, "IEND", nullptr, 0);
    return png;
}

bool WritePngFile(const std::string& path, const std::uint8_t* rgba, int width, int height)
{
    const std::vector<std::uint8_t> png = EncodePng(rgba, width, height);
    if (png.empty())
        return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}
