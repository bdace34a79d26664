// Writes the fuzzers' starting corpora: small valid scene files and DDS files of each format rule.
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
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::string(argv[1]) != "scene" && std::string(argv[1]) != "dds"))
    {
        std::fprintf(stderr, "usage: make_fuzz_seeds scene|dds <directory>\n");
        return 2;
    }
    const std::string dir = argv[2];
    std::vector<std::vector<std::uint8_t>> seeds;
    if (std::string(argv[1]) == "scene")
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
