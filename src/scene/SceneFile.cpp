// Reads scene files: a preamble, a header, a pre-order tree of node records, a mesh table.
#include "SceneFile.h"

#include "Logger.h"

#include <cstdio>

namespace
{
constexpr std::uint32_t kTriangles = 4;
constexpr std::uint32_t kPositions = 0x001;
constexpr std::uint32_t kNormals = 0x002;
constexpr std::uint32_t kTexCoords = 0x100;
constexpr std::uint32_t kMaxElements = 65536;

bool ReadNodeAt(ByteCursor& cursor, SceneFileNode& node, SceneFileNode* parent, int depth)
{
    node.meshRefs.clear();
    node.children.clear();
    node.parent = nullptr;

    std::uint32_t nameLength = 0;
    if (!cursor.Skip(8) || !cursor.Read(nameLength) || !cursor.Holds(nameLength))
    {
        cursor.Fail();
        return false;
    }
    node.name.resize(nameLength);
    cursor.ReadBytes(node.name.data(), nameLength);
    Logger::Print("Node: %s\n", node.name.c_str());

    std::uint32_t childCount = 0;
    std::uint32_t meshRefCount = 0;
    if (!cursor.ReadBytes(node.matrix, sizeof node.matrix) || !cursor.Read(childCount) ||
        !cursor.Read(meshRefCount))
        return false;
    node.parent = parent;

    if (meshRefCount > 0)
    {
        if (!cursor.Holds(std::uint64_t{4} * meshRefCount))
        {
            cursor.Fail();
            return false;
        }
        node.meshRefs.resize(meshRefCount);
        cursor.ReadBytes(node.meshRefs.data(), std::size_t{4} * meshRefCount);
    }

    if (childCount > 0 && depth + 1 >= kMaxNodeDepth)
    {
        Logger::Print("Scene nodes nest deeper than %d levels.\n", kMaxNodeDepth);
        return false;
    }
    // Children are appended as read, so a count larger than the file holds costs nothing.
    for (std::uint32_t i = 0; i < childCount; ++i)
    {
        node.children.push_back(std::make_unique<SceneFileNode>());
        if (!ReadNodeAt(cursor, *node.children.back(), &node, depth + 1))
            return false;
    }
    return true;
}

// Bytes the vertex blocks take, by the rule of which bits carry data.
std::uint64_t VertexBlockBytes(std::uint32_t vertexComp, std::uint32_t vertexCount)
{
    const std::uint64_t perVertexBlock = std::uint64_t{12} * vertexCount;
    std::uint64_t bytes = 0;
    if (vertexComp & kPositions)
        bytes += perVertexBlock;
    if (vertexComp & kNormals)
        bytes += perVertexBlock;
    if (vertexComp & kTexCoords)
        bytes += 4 + perVertexBlock;
    return bytes;
}

// The vertex blocks of the parts `vertexComp` names. They must lie inside the file before
// anything is allocated for them; a mesh over the vertex limit fails later whatever its blocks
// hold, so they are only stepped over.
bool ReadVertexBlocks(ByteCursor& cursor, SceneFileMesh& mesh, std::uint32_t vertexComp)
{
    const std::uint64_t blockBytes = VertexBlockBytes(vertexComp, mesh.vertexCount);
    if (!cursor.Holds(blockBytes))
    {
        cursor.Fail();
        return false;
    }
    mesh.vertices.clear();
    if (mesh.vertexCount <= kMaxElements)
    {
        mesh.vertices.assign(mesh.vertexCount, MeshVertex{});
        if (vertexComp & kPositions)
            for (MeshVertex& v : mesh.vertices)
                cursor.ReadBytes(v.position, 12);
        if (vertexComp & kNormals)
            for (MeshVertex& v : mesh.vertices)
                cursor.ReadBytes(v.normal, 12);
        if (vertexComp & kTexCoords)
        {
            cursor.Skip(4);
            for (MeshVertex& v : mesh.vertices)
            {
                cursor.ReadBytes(v.texcoord, 8);
                cursor.Skip(4);
            }
        }
    }
    else
    {
        cursor.Skip(static_cast<std::size_t>(blockBytes));
    }
    return true;
}

// Triangles, each index within the mesh's vertices.
bool ReadFaces(ByteCursor& cursor, SceneFileMesh& mesh)
{
    mesh.indices.assign(std::size_t{3} * mesh.faceCount, 0);
    for (std::uint32_t face = 0; face < mesh.faceCount; ++face)
    {
        std::uint16_t corners = 0;
        if (!cursor.Read(corners))
            return false;
        if (corners != 3)
        {
            Logger::Print("Mesh has invalid format.\n");
            return false;
        }
        std::uint16_t* corner = &mesh.indices[std::size_t{3} * face];
        if (!cursor.ReadBytes(corner, 6))
            return false;
        // Direct3D reads zeros past a vertex buffer; OpenGL and WebGPU promise nothing there.
        for (int i = 0; i < 3; ++i)
            if (corner[i] >= mesh.vertexCount)
            {
                Logger::Print("Mesh index %u is past its %u vertices.\n",
                              static_cast<unsigned>(corner[i]),
                              static_cast<unsigned>(mesh.vertexCount));
                return false;
            }
    }
    return true;
}
} // namespace

bool ReadNode(ByteCursor& cursor, SceneFileNode& node, SceneFileNode* parent)
{
    return ReadNodeAt(cursor, node, parent, 0);
}

bool ReadMesh(ByteCursor& cursor, SceneFileMesh& mesh)
{
    std::uint32_t kind = 0;
    if (!cursor.Skip(8) || !cursor.Read(kind))
        return false;
    if (kind != kTriangles)
    {
        Logger::Print("Not a triangle mesh.\n");
        return false;
    }

    std::uint32_t vertexComp = 0;
    if (!cursor.Read(mesh.vertexCount) || !cursor.Read(mesh.faceCount) ||
        !cursor.Read(mesh.boneCount) || !cursor.Read(mesh.matID) || !cursor.Read(vertexComp))
        return false;
    char line[256];
    std::snprintf(line, sizeof line, "Mesh: %d verts %d faces %d bones (matID=%d vertex_comp=%d)\n",
                  static_cast<int>(mesh.vertexCount), static_cast<int>(mesh.faceCount),
                  static_cast<int>(mesh.boneCount), static_cast<int>(mesh.matID),
                  static_cast<int>(vertexComp));
    Logger::Print("%s", line);

    if (!ReadVertexBlocks(cursor, mesh, vertexComp))
        return false;

    if (mesh.faceCount > kMaxElements)
    {
        Logger::Error("Mesh has more than 65536 faces!\n");
        return false;
    }
    if (mesh.vertexCount > kMaxElements)
    {
        Logger::Error("Mesh has more than 65536 vertices!\n");
        return false;
    }

    if (!ReadFaces(cursor, mesh))
        return false;

    if (mesh.boneCount != 0)
    {
        Logger::Print("Bones not supported.\n");
        return false;
    }
    return true;
}

bool ReadSceneData(ByteCursor& cursor, SceneData& data)
{
    bool read = cursor.Skip(8) && cursor.Read(data.headerWord0) && cursor.Read(data.meshCount) &&
                cursor.ReadBytes(data.headerWords, sizeof data.headerWords);
    if (read)
    {
        data.root = std::make_unique<SceneFileNode>();
        read = ReadNode(cursor, *data.root, nullptr);
    }
    // The table grows as records are read, so a mesh count larger than the file holds costs
    // nothing before the file runs out.
    for (std::uint32_t i = 0; read && i < data.meshCount; ++i)
    {
        data.meshes.push_back(std::make_unique<SceneFileMesh>());
        read = ReadMesh(cursor, *data.meshes.back());
    }
    if (!read)
    {
        // Checks that failed have reported already; running out of bytes has not.
        if (cursor.Failed())
            Logger::Print("ReadSceneData: the file ends at byte %u, before its data does.\n",
                          static_cast<unsigned>(cursor.Offset()));
        return false;
    }
    Logger::Print("ReadSceneData() done.\n");
    return true;
}
