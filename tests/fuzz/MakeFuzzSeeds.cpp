// Writes the fuzzers' starting corpora: small valid scene files, DDS files of each format rule and
// MP3 frame layouts.
#include "SceneImages.h"

#include <cstdio>
#include <string>

namespace
{
bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
// Silent 128 kbps MPEG-1 Layer III frames, optionally after an ID3v2 tag and an Info frame
// with a LAME extension (3 frames declared, delay 576, padding 1000).
std::vector<std::uint8_t> Mp3Seed(bool tag, bool info, bool mono)
{
    std::vector<std::uint8_t> bytes;
    if (tag)
        bytes = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 20};
    bytes.resize(bytes.size() + 20, 0);
    const auto addFrame = [&]
    {
        const std::size_t at = bytes.size();
        bytes.resize(at + 417, 0);
        bytes[at] = 0xff;
        bytes[at + 1] = 0xfb;
        bytes[at + 2] = 0x90;
        bytes[at + 3] = mono ? 0xc4 : 0x64;
        return at;
    };
    if (info)
    {
        std::size_t at = addFrame() + 4 + (mono ? 17 : 32);
        const std::uint8_t head[] = {'I', 'n', 'f', 'o', 0, 0, 0, 0x0f, 0, 0, 0, 3};
        for (const std::uint8_t byte : head)
            bytes[at++] = byte;
        at += 4 + 100 + 4 + 21;
        bytes[at] = 576 >> 4;
        bytes[at + 1] = static_cast<std::uint8_t>(((576 & 15) << 4) | (1000 >> 8));
        bytes[at + 2] = 1000 & 0xff;
    }
    for (int i = 0; i < 3; ++i)
        addFrame();
    return bytes;
}
} // namespace

int main(int argc, char** argv)
{
    const std::string kind = argc == 3 ? argv[1] : "";
    if (kind != "scene" && kind != "dds" && kind != "mp3")
    {
        std::fprintf(stderr, "usage: make_fuzz_seeds scene|dds|mp3 <directory>\n");
        return 2;
    }
    const std::string dir = argv[2];
    std::vector<std::vector<std::uint8_t>> seeds;
    if (kind == "mp3")
    {
        seeds.push_back(Mp3Seed(false, true, false));
        seeds.push_back(Mp3Seed(true, true, true));
        seeds.push_back(Mp3Seed(false, false, false));
    }
    else if (kind == "scene")
    {
        MeshShape planar = DistinctMesh(4, 2);
        MeshShape texOnly = DistinctMesh(3, 1);
        texOnly.vertexComp = 0x100;
        MeshShape bare = DistinctMesh(3, 2);
        bare.vertexComp = 0;
        NodeSpec tree{"root",
                      {},
                      {0},
                      {NodeSpec{"a", {}, {1, 2}, {NodeSpec{"a.a"}}}, NodeSpec{"b", {}, {0}, {}}}};
        seeds.push_back(SceneImage(tree, {planar, texOnly, bare}));
        seeds.push_back(SceneImage(NodeSpec{"lonely"}));
        seeds.push_back(SceneImage(NodeSpec{"", {}, {0}, {}}, {DistinctMesh(5, 3)}));
        MeshShape pastTheVertices = DistinctMesh(4, 2);
        pastTheVertices.faces[1].index[1] = 4;
        seeds.push_back(SceneImage(NodeSpec{"", {}, {0}, {}}, {pastTheVertices}));
    }
    else
    {
        seeds.push_back(DdsImage({4, 4, 1, kDdsRGB, 0, 24, 0}, CountingBytes(48)));
        seeds.push_back(DdsImage({4, 4, 3, kDdsRGB, 0, 24, kDdsCubeMap}, CountingBytes(3 * 126)));
        seeds.push_back(DdsImage({4, 4, 1, kDdsRGB, 0, 32, 0}, CountingBytes(64)));
        seeds.push_back(DdsImage({4, 4, 1, kDdsFourCC, 0x31545844, 0, 0}, CountingBytes(8)));
        seeds.push_back(DdsImage({2, 2, 2, kDdsFourCC, 113, 0, kDdsCubeMap}, CountingBytes(240)));
        seeds.push_back(DdsImage({4, 4, 1, kDdsLuminance, 0, 8, 0}, CountingBytes(16)));
    }
    for (std::size_t i = 0; i < seeds.size(); ++i)
        if (!Write(dir + "/seed" + std::to_string(i), seeds[i]))
        {
            std::fprintf(stderr, "make_fuzz_seeds: cannot write into %s\n", dir.c_str());
            return 1;
        }
    return 0;
}
