// Serialises scenes: preamble, header, node tree, then planar vertex blocks and faces.
#include "SceneWriter.h"

#include <cstring>
#include <stdexcept>

namespace assets
{

namespace
{

constexpr std::uint32_t kMaxElements = 65536;
constexpr std::uint32_t kPositions = 0x001, kNormals = 0x002, kTexCoords = 0x100;

// Fills a buffer sized in advance, so the layout and the size computation must agree.
class ByteWriter
{
  public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : bytes(out) {}

    void U32(std::uint32_t v)
    {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16),
                                   static_cast<std::uint8_t>(v >> 24)};
        Raw(b, 4);
    }
    void U16(std::uint16_t v)
    {
        const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
        Raw(b, 2);
    }
    void F32(float f)
    {
        std::uint32_t v;
        std::memcpy(&v, &f, 4);
        U32(v);
    }
    void Zeros(std::size_t n)
    {
        Check(n);
        cursor += n; // the buffer starts zeroed
    }
    void Text(const std::string& s) { Raw(s.data(), s.size()); }
    std::size_t Position() const { return cursor; }

  private:
    void Check(std::size_t n) const
    {
        if (n > bytes.size() - cursor)
            throw std::logic_error("scene layout larger than its computed size");
    }
    void Raw(const void* data, std::size_t n)
    {
        Check(n);
        std::memcpy(bytes.data() + cursor, data, n);
        cursor += n;
    }
    std::vector<std::uint8_t>& bytes;
    std::size_t cursor = 0;
};

void WriteNode(ByteWriter& w, const std::string& name, std::uint32_t childCount,
               const std::vector<std::uint32_t>& meshRefs)
{
    w.Zeros(8);
    w.U32(static_cast<std::uint32_t>(name.size()));
    w.Text(name);
    for (int i = 0; i < 16; ++i)
        w.F32(i % 5 == 0 ? 1.0f : 0.0f); // identity; the scripts place every mesh themselves
    w.U32(childCount);
    w.U32(static_cast<std::uint32_t>(meshRefs.size()));
    for (std::uint32_t ref : meshRefs)
        w.U32(ref);
}

void WriteMesh(ByteWriter& w, const SceneMesh& sceneMesh, std::uint32_t matID)
{
    const Mesh& mesh = sceneMesh.mesh;
    const auto vertexCount = static_cast<std::uint32_t>(mesh.vertices.size());
    const auto faceCount = static_cast<std::uint32_t>(mesh.FaceCount());
    if (vertexCount == 0 || faceCount == 0)
        throw std::runtime_error("mesh '" + sceneMesh.name + "' is empty");
    if (vertexCount > kMaxElements || faceCount > kMaxElements)
        throw std::runtime_error("mesh '" + sceneMesh.name + "' has " +
                                 std::to_string(vertexCount) + " vertices and " +
                                 std::to_string(faceCount) + " faces (at most 65536 each)");
    w.Zeros(8);
    w.U32(4); // triangles
    w.U32(vertexCount);
    w.U32(faceCount);
    w.U32(0); // bones
    w.U32(matID);
    w.U32(kPositions | kNormals | kTexCoords);
    // The file is Z-up: y and z trade places, which the loader swaps back.
    for (const Vertex& v : mesh.vertices)
    {
        w.F32(v.position.x);
        w.F32(v.position.z);
        w.F32(v.position.y);
    }
    for (const Vertex& v : mesh.vertices)
    {
        w.F32(v.normal.x);
        w.F32(v.normal.z);
        w.F32(v.normal.y);
    }
    w.Zeros(4);
    for (const Vertex& v : mesh.vertices)
    {
        w.F32(v.u);
        w.F32(v.v);
        w.Zeros(4);
    }
    // Second and third corners swapped: the loader swaps them back with the axes.
    for (std::size_t f = 0; f < faceCount; ++f)
    {
        w.U16(3);
        w.U16(static_cast<std::uint16_t>(mesh.indices[3 * f]));
        w.U16(static_cast<std::uint16_t>(mesh.indices[3 * f + 2]));
        w.U16(static_cast<std::uint16_t>(mesh.indices[3 * f + 1]));
    }
}

} // namespace

std::vector<std::uint8_t> WriteScene(const Scene& scene)
{
    std::size_t size = 548 + 84 + scene.name.size();
    for (const SceneMesh& m : scene.meshes)
        size += 88 + m.name.size() + 36 + m.mesh.vertices.size() * 36 + m.mesh.FaceCount() * 8;
    std::vector<std::uint8_t> bytes(size, 0);
    ByteWriter w(bytes);
    const auto meshCount = static_cast<std::uint32_t>(scene.meshes.size());
    w.Zeros(512 + 8);
    w.U32(0);
    w.U32(meshCount);
    w.Zeros(20);
    WriteNode(w, scene.name, meshCount, {});
    for (std::uint32_t k = meshCount; k-- > 0;)
        WriteNode(w, scene.meshes[k].name, 0, {k});
    for (std::uint32_t k = 0; k < meshCount; ++k)
        WriteMesh(w, scene.meshes[k], k);
    if (w.Position() != bytes.size())
        throw std::logic_error("scene layout smaller than its computed size");
    return bytes;
}

} // namespace assets
