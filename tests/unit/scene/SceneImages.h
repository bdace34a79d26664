// Writes scene-file and DDS byte images for the tests, field by field as the formats lay them out.
#pragma once

#include "ShaderInterface.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

struct ByteWriter
{
    std::vector<std::uint8_t> bytes;

    void Raw(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
    void U32(std::uint32_t v) { Raw(&v, 4); }
    void U16(std::uint16_t v) { Raw(&v, 2); }
    void F32(float v) { Raw(&v, 4); }
    void Zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }
    // Bytes the readers must ignore: never zero, so a reader that uses them shows it.
    void Filler(std::size_t n) { bytes.insert(bytes.end(), n, 0xA5); }
};

struct NodeSpec
{
    std::string name;
    std::array<float, 16> matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::vector<std::uint32_t> meshRefs;
    std::vector<NodeSpec> children;
};

struct FaceSpec
{
    std::uint16_t corners = 3;
    std::uint16_t index[3] = {0, 0, 0};
};

struct MeshShape
{
    std::uint32_t kind = 4;
    std::uint32_t boneCount = 0;
    std::uint32_t matID = 0;
    std::uint32_t vertexComp = 0x103;
    std::vector<MeshVertex> vertices;
    std::vector<FaceSpec> faces;
    // Counts written in place of the real ones (the data written stays that of the vectors).
    std::optional<std::uint32_t> vertexCount;
    std::optional<std::uint32_t> faceCount;
};

inline void WriteNode(ByteWriter& w, const NodeSpec& node)
{
    w.Filler(8);
    w.U32(static_cast<std::uint32_t>(node.name.size()));
    w.Raw(node.name.data(), node.name.size());
    for (float f : node.matrix)
        w.F32(f);
    w.U32(static_cast<std::uint32_t>(node.children.size()));
    w.U32(static_cast<std::uint32_t>(node.meshRefs.size()));
    for (std::uint32_t ref : node.meshRefs)
        w.U32(ref);
    for (const NodeSpec& child : node.children)
        WriteNode(w, child);
}

inline void WriteMesh(ByteWriter& w, const MeshShape& mesh)
{
    w.Filler(8);
    w.U32(mesh.kind);
    w.U32(mesh.vertexCount.value_or(static_cast<std::uint32_t>(mesh.vertices.size())));
    w.U32(mesh.faceCount.value_or(static_cast<std::uint32_t>(mesh.faces.size())));
    w.U32(mesh.boneCount);
    w.U32(mesh.matID);
    w.U32(mesh.vertexComp);
    if (mesh.vertexComp & 0x001)
        for (const MeshVertex& v : mesh.vertices)
            w.Raw(v.position, 12);
    if (mesh.vertexComp & 0x002)
        for (const MeshVertex& v : mesh.vertices)
            w.Raw(v.normal, 12);
    if (mesh.vertexComp & 0x100)
    {
        w.Filler(4);
        for (const MeshVertex& v : mesh.vertices)
        {
            w.Raw(v.texcoord, 8);
            w.Filler(4);
        }
    }
    for (const FaceSpec& face : mesh.faces)
    {
        w.U16(face.corners);
        for (std::uint16_t i : face.index)
            w.U16(i);
    }
}

// A whole scene file: preamble, header, node tree, mesh table.
inline std::vector<std::uint8_t> SceneImage(const NodeSpec& root,
                                            const std::vector<MeshShape>& meshes = {},
                                            std::optional<std::uint32_t> meshCount = {})
{
    ByteWriter w;
    w.Filler(512);
    w.Filler(8);
    w.U32(0x11111111); // header word 0
    w.U32(meshCount.value_or(static_cast<std::uint32_t>(meshes.size())));
    for (std::uint32_t i = 2; i <= 6; ++i)
        w.U32(0x22222220 + i);
    WriteNode(w, root);
    for (const MeshShape& mesh : meshes)
        WriteMesh(w, mesh);
    return w.bytes;
}

// A small mesh whose every vertex field and face is distinct, so swaps and copies show.
inline MeshShape DistinctMesh(std::uint32_t vertexCount, std::uint32_t faceCount)
{
    MeshShape mesh;
    for (std::uint32_t i = 0; i < vertexCount; ++i)
    {
        const float b = 10.0f * static_cast<float>(i + 1);
        mesh.vertices.push_back({{b + 1, b + 2, b + 3}, {b + 4, b + 5, b + 6}, {b + 7, b + 8}});
    }
    for (std::uint32_t f = 0; f < faceCount; ++f)
        mesh.faces.push_back({3,
                              {static_cast<std::uint16_t>(f % vertexCount),
                               static_cast<std::uint16_t>((f + 1) % vertexCount),
                               static_cast<std::uint16_t>((f + 2) % vertexCount)}});
    return mesh;
}

struct DdsShape
{
    std::uint32_t width = 4;
    std::uint32_t height = 4;
    std::uint32_t mipMapCount = 1;
    std::uint32_t formatFlags = 0x40; // DDPF_RGB
    std::uint32_t fourCC = 0;
    std::uint32_t bitCount = 32;
    std::uint32_t caps2 = 0;
};

constexpr std::uint32_t kDdsFourCC = 0x4;
constexpr std::uint32_t kDdsRGB = 0x40;
constexpr std::uint32_t kDdsLuminance = 0x20000;
constexpr std::uint32_t kDdsCubeMap = 0xFE00; // DDSCAPS2_CUBEMAP with all six face bits

// A 128-byte header (magic included) followed by the pixel bytes as given.
inline std::vector<std::uint8_t> DdsImage(const DdsShape& shape,
                                          const std::vector<std::uint8_t>& pixels)
{
    ByteWriter w;
    w.Raw("DDS ", 4);
    w.U32(124);        // header size
    w.U32(0x0002100F); // header flags
    w.U32(shape.height);
    w.U32(shape.width);
    w.U32(shape.width * 4); // pitch, not read
    w.U32(0);              // depth
    w.U32(shape.mipMapCount);
    w.Zeros(44);
    w.U32(32); // pixel format size
    w.U32(shape.formatFlags);
    w.U32(shape.fourCC);
    w.U32(shape.bitCount);
    w.U32(0x00FF0000); // channel masks, not read
    w.U32(0x0000FF00);
    w.U32(0x000000FF);
    w.U32(0xFF000000);
    w.U32(0x1000); // caps
    w.U32(shape.caps2);
    w.Zeros(12);
    w.Raw(pixels.data(), pixels.size());
    return w.bytes;
}

inline std::vector<std::uint8_t> CountingBytes(std::size_t n)
{
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return bytes;
}
