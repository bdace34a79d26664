// dxbc-check.exe: recomputes the container checksum of each embedded program and compares it
// with the one in its header. Windows verifies it before it accepts a program, so a
// compiler that writes a wrong one makes programs that run under Wine and fail on Windows.
// Exit code 0 when every one matches.
#include "GpuPrograms.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{

using Digest = std::array<std::uint32_t, 4>;

std::uint32_t Rotate(std::uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

// One 64-byte block of MD5 (RFC 1321) on `state`.
void Md5Block(Digest& state, const std::uint8_t* block)
{
    static const int kShift[4][4] = {
        {7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};
    static const std::uint32_t* const kSine = []
    {
        static std::uint32_t table[64];
        for (int i = 0; i < 64; ++i)
            table[i] = static_cast<std::uint32_t>(std::fabs(std::sin(i + 1.0)) * 4294967296.0);
        return table;
    }();
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = block[4 * i] | block[4 * i + 1] << 8 | block[4 * i + 2] << 16 |
               std::uint32_t(block[4 * i + 3]) << 24;
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i)
    {
        const int round = i / 16;
        std::uint32_t f;
        int g;
        switch (round)
        {
        case 0:
            f = (b & c) | (~b & d), g = i;
            break;
        case 1:
            f = (d & b) | (~d & c), g = (5 * i + 1) % 16;
            break;
        case 2:
            f = b ^ c ^ d, g = (3 * i + 5) % 16;
            break;
        default:
            f = c ^ (b | ~d), g = (7 * i) % 16;
            break;
        }
        const std::uint32_t next = b + Rotate(a + f + kSine[i] + m[g], kShift[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

constexpr Digest kMd5Start = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

void PutWord(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Plain MD5, to check the block function against the standard's test vectors.
Digest Md5(const std::uint8_t* data, std::size_t size)
{
    Digest state = kMd5Start;
    std::size_t done = 0;
    for (; size - done >= 64; done += 64)
        Md5Block(state, data + done);
    std::uint8_t tail[128] = {};
    const std::size_t left = size - done;
    std::memcpy(tail, data + done, left);
    tail[left] = 0x80;
    const std::size_t blocks = left < 56 ? 1 : 2;
    const std::uint64_t bits = std::uint64_t(size) * 8;
    PutWord(tail + blocks * 64 - 8, static_cast<std::uint32_t>(bits));
    PutWord(tail + blocks * 64 - 4, static_cast<std::uint32_t>(bits >> 32));
    for (std::size_t i = 0; i < blocks; ++i)
        Md5Block(state, tail + 64 * i);
    return state;
}

// The container's checksum: MD5 of everything after the checksum field with its own ending,
// the bit count first in the last block and (bytes * 2 | 1) in its last word.
Digest DxbcChecksum(const std::uint8_t* container, std::size_t size)
{
    const std::uint8_t* data = container + 20;
    const std::size_t bytes = size - 20;
    const auto bits = static_cast<std::uint32_t>(bytes * 8);
    const auto last = static_cast<std::uint32_t>(bytes * 2 | 1);
    Digest state = kMd5Start;
    std::size_t done = 0;
    for (; bytes - done >= 64; done += 64)
        Md5Block(state, data + done);
    const std::size_t left = bytes - done;
    std::uint8_t block[64] = {};
    if (left >= 56)
    {
        std::memcpy(block, data + done, left);
        block[left] = 0x80;
        Md5Block(state, block);
        std::memset(block, 0, sizeof block);
        PutWord(block, bits);
    }
    else
    {
        PutWord(block, bits);
        std::memcpy(block + 4, data + done, left);
        block[4 + left] = 0x80;
    }
    PutWord(block + 60, last);
    Md5Block(state, block);
    return state;
}

} // namespace

int main()
{
    // RFC 1321's vectors: "" and "abc".
    const auto* abcText = reinterpret_cast<const std::uint8_t*>("abc");
    const Digest empty = Md5(abcText, 0), abc = Md5(abcText, 3);
    if (empty[0] != 0xd98c1dd4 || empty[3] != 0x7e42f8ec || abc[0] != 0x98500190 ||
        abc[3] != 0x727fe128)
    {
        std::printf("dxbc-check: MD5 fails its test vectors\n");
        return 1;
    }
    int failed = 0;
    for (const GpuProgram& program : AllGpuPrograms())
    {
        const auto* bytes = static_cast<const std::uint8_t*>(program.code);
        if (program.size < 32 || std::memcmp(bytes, "DXBC", 4) != 0)
        {
            std::printf("%-20s not a DXBC container\n", program.name);
            ++failed;
            continue;
        }
        Digest stored;
        std::memcpy(stored.data(), bytes + 4, sizeof stored);
        const Digest computed = DxbcChecksum(bytes, program.size);
        const bool same = stored == computed;
        std::printf("%-20s %08x%08x%08x%08x %s\n", program.name, computed[0], computed[1],
                    computed[2], computed[3], same ? "matches" : "DIFFERS from the stored one");
        failed += !same;
    }
    std::printf("%zu programs, %d failed\n", AllGpuPrograms().size(), failed);
    return failed == 0 && !AllGpuPrograms().empty() ? 0 : 1;
}
