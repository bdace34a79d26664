// PNG: signature, IHDR, one IDAT of "up"-filtered rows through zlib, IEND; CRCs from zlib.
// Where the build has no zlib (the Windows tools), the stream is stored: bigger files, same pixels.
#include "PngFile.h"

#if OMBREL_PNG_ZLIB
#include <zlib.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace
{
#if OMBREL_PNG_ZLIB
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    return std::uint32_t(crc32(0, data, uInt(size)));
}

bool Pack(const std::vector<std::uint8_t>& raw, std::vector<std::uint8_t>& packed)
{
    uLongf packedSize = compressBound(uLong(raw.size()));
    packed.resize(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK)
        return false;
    packed.resize(packedSize);
    return true;
}
#else
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    static std::uint32_t table[256];
    if (table[1] == 0)
        for (std::uint32_t n = 0; n < 256; ++n)
        {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// A zlib stream of stored deflate blocks and its Adler-32.
bool Pack(const std::vector<std::uint8_t>& raw, std::vector<std::uint8_t>& packed)
{
    packed = {0x78, 0x01};
    std::size_t offset = 0;
    do
    {
        const std::size_t length = std::min<std::size_t>(raw.size() - offset, 65535);
        const bool last = offset + length == raw.size();
        packed.insert(packed.end(),
                      {std::uint8_t(last), std::uint8_t(length), std::uint8_t(length >> 8),
                       std::uint8_t(~length), std::uint8_t(~length >> 8)});
        packed.insert(packed.end(), raw.begin() + std::ptrdiff_t(offset),
                      raw.begin() + std::ptrdiff_t(offset + length));
        offset += length;
    } while (offset < raw.size());
    std::uint32_t a = 1, b = 0;
    for (const std::uint8_t byte : raw)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    const std::uint32_t adler = (b << 16) | a;
    for (int shift = 24; shift >= 0; shift -= 8)
        packed.push_back(std::uint8_t(adler >> shift));
    return true;
}
#endif

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
    Put32(out, Crc32(out.data() + start, out.size() - start));
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

    std::vector<std::uint8_t> packed;
    if (!Pack(raw, packed))
        return {};

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    Put32(header, std::uint32_t(width));
    Put32(header, std::uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, deflate, adaptive, no interlace
    PutChunk(png, "IHDR", header.data(), header.size());
    PutChunk(png, "IDAT", packed.data(), packed.size());
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
    if (std::fclose(file) == 0 && written)
        return true;
    // No truncated picture left behind (a full disk, say); errno stays the write's.
    const int error = errno;
    std::remove(path.c_str());
    errno = error;
    return false;
}

#if OMBREL_PNG_ZLIB
namespace
{
// Undoes each row's filter (None, Sub, Up, Average, Paeth) from `raw` into `pixels`; false on a
// filter PNG does not have.
bool Unfilter(const std::vector<std::uint8_t>& raw, std::size_t rowBytes, int height, int channels,
              std::vector<std::uint8_t>& pixels)
{
    for (int y = 0; y < height; ++y)
    {
        const std::uint8_t filter = raw[std::size_t(y) * (rowBytes + 1)];
        const std::uint8_t* in = raw.data() + std::size_t(y) * (rowBytes + 1) + 1;
        std::uint8_t* row = pixels.data() + std::size_t(y) * rowBytes;
        const std::uint8_t* up = y > 0 ? row - rowBytes : nullptr;
        for (std::size_t i = 0; i < rowBytes; ++i)
        {
            const int a = i >= std::size_t(channels) ? row[i - std::size_t(channels)] : 0;
            const int b = up ? up[i] : 0;
            const int c = up && i >= std::size_t(channels) ? up[i - std::size_t(channels)] : 0;
            int predicted = 0;
            switch (filter)
            {
            case 0:
                break;
            case 1:
                predicted = a;
                break;
            case 2:
                predicted = b;
                break;
            case 3:
                predicted = (a + b) / 2;
                break;
            case 4:
            {
                const int p = a + b - c;
                const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                break;
            }
            default:
                return false;
            }
            row[i] = std::uint8_t(in[i] + predicted);
        }
    }
    return true;
}
} // namespace

bool ReadPngFile(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgb)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::vector<std::uint8_t> png;
    std::uint8_t buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        png.insert(png.end(), buffer, buffer + got);
    std::fclose(file);
    auto get32 = [&](std::size_t at)
    {
        return std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 |
               std::uint32_t(png[at + 2]) << 8 | png[at + 3];
    };
    width = height = 0;
    int channels = 0;
    std::vector<std::uint8_t> packed;
    for (std::size_t at = 8; at + 12 <= png.size();)
    {
        const std::uint32_t size = get32(at);
        if (size > png.size() - at - 12)
            return false;
        const std::string type(png.begin() + long(at) + 4, png.begin() + long(at) + 8);
        if (type == "IHDR")
        {
            if (size != 13 || png[at + 16] != 8 || png[at + 20] != 0)
                return false;
            width = int(get32(at + 8));
            height = int(get32(at + 12));
            channels = png[at + 17] == 2 ? 3 : png[at + 17] == 6 ? 4 : 0; // RGB or RGBA
        }
        if (type == "IDAT")
            packed.insert(packed.end(), png.begin() + long(at) + 8,
                          png.begin() + long(at) + 8 + size);
        at += 12 + size;
    }
    if (channels == 0 || width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return false;
    const std::size_t rowBytes = std::size_t(width) * std::size_t(channels);
    std::vector<std::uint8_t> raw((rowBytes + 1) * std::size_t(height));
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())) != Z_OK ||
        rawSize != raw.size())
        return false;
    // Undoes each row's filter, then drops alpha.
    std::vector<std::uint8_t> pixels(rowBytes * std::size_t(height), 0);
    if (!Unfilter(raw, rowBytes, height, channels, pixels))
        return false;
    rgb.resize(std::size_t(width) * std::size_t(height) * 3);
    for (std::size_t p = 0, n = std::size_t(width) * std::size_t(height); p < n; ++p)
        for (int k = 0; k < 3; ++k)
            rgb[p * 3 + std::size_t(k)] = pixels[p * std::size_t(channels) + std::size_t(k)];
    return true;
}
#endif
