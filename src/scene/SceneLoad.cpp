// Builds scene graphs from scene files.
#include "SceneLoad.h"

#include "FileImage.h"
#include "Geometry.h"
#include "Logger.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace
{
// The file's axes are Z-up with the other winding: swap y and z, reverse every face.
void ConvertToRendererAxes(SceneFileMesh& mesh)
{
    for (MeshVertex& v : mesh.vertices)
    {
        std::swap(v.position[1], v.position[2]);
        std::swap(v.normal[1], v.normal[2]);
    }
    for (std::size_t i = 0; i + 2 < mesh.indices.size(); i += 3)
        std::swap(mesh.indices[i + 1], mesh.indices[i + 2]);
    mesh.converted = true;
}

std::uint64_t NodeGeometryBytes(const SceneData& data, const SceneFileNode& node)
{
    std::uint64_t bytes = 0;
    for (std::uint32_t ref : node.meshRefs)
        if (ref < data.meshes.size())
            bytes += data.meshes[ref]->vertices.size() * sizeof(MeshVertex) +
                     data.meshes[ref]->indices.size() * sizeof(std::uint16_t);
    for (const auto& child : node.children)
        bytes += NodeGeometryBytes(data, *child);
    return bytes;
}

char* CopyName(const std::string& name)
{
    char* copy = new char[name.size() + 1];
    std::memcpy(copy, name.c_str(), name.size() + 1);
    return copy;
}
} // namespace

bool BuildNode(SceneNode** holder, SceneNode* parent, SceneData& data,
               const SceneFileNode& fileNode)
{
    for (std::uint32_t ref : fileNode.meshRefs)
        if (ref >= data.meshes.size())
        {
            Logger::Print("BuildNode: node '%s' refers to mesh %u of %u.\n", fileNode.name.c_str(),
                          ref, static_cast<unsigned>(data.meshes.size()));
            return false;
        }

    SceneNode* node = nullptr;
    if (!fileNode.meshRefs.empty())
    {
        MeshNode* meshNode = new MeshNode;
        meshNode->geometryCount = static_cast<std::uint32_t>(fileNode.meshRefs.size());
        meshNode->geometries = new Geometry*[meshNode->geometryCount];
        for (std::uint32_t i = 0; i < meshNode->geometryCount; ++i)
        {
            Geometry* geometry = CreateGeometry();
            SceneFileMesh& mesh = *data.meshes[fileNode.meshRefs[i]];
            if (!mesh.converted)
                ConvertToRendererAxes(mesh);
            // Creation failures are logged by the back end; the geometry keeps what it has.
            if (geometry)
            {
                geometry->CreateVertexBuffer(mesh.vertices.data(), sizeof(MeshVertex),
                                             static_cast<std::uint32_t>(mesh.vertices.size()));
                geometry->CreateIndexBuffer(mesh.indices.data(),
                                            static_cast<std::uint32_t>(mesh.indices.size()));
            }
            meshNode->geometries[i] = geometry;
        }
        node = meshNode;
    }
    else
    {
        node = new SceneNode;
    }
    node->name = CopyName(fileNode.name);
    Matrix4 stored;
    std::memcpy(stored.m, fileNode.matrix, sizeof stored.m);
    node->localMatrix = Transpose(stored);

    if (!parent)
    {
        *holder = node;
    }
    else
    {
        node->parent = parent;
        node->nextSibling = parent->firstChild;
        parent->firstChild = node;
    }
    for (const auto& child : fileNode.children)
        if (!BuildNode(holder, node, data, *child))
            return false;
    return true;
}

std::uint64_t SceneGeometryBytes(const SceneData& data)
{
    return data.root ? NodeGeometryBytes(data, *data.root) : 0;
}

SceneNode* LoadSceneFromImage(std::span<const std::uint8_t> image)
{
    ByteCursor cursor(image);
    cursor.Skip(512); // the preamble; a shorter file fails at the first read below
    SceneData data;
    if (!ReadSceneData(cursor, data))
        return nullptr;
    if (const std::uint64_t bytes = SceneGeometryBytes(data); bytes > kMaxSceneGeometryBytes)
    {
        Logger::Print("LoadScene: the scene asks for %llu MB of geometry; at most %llu MB.\n",
                      static_cast<unsigned long long>(bytes >> 20),
                      static_cast<unsigned long long>(kMaxSceneGeometryBytes >> 20));
        return nullptr;
    }
    SceneNode* root = nullptr;
    if (!BuildNode(&root, nullptr, data, *data.root))
    {
        DeleteSceneTree(root);
        return nullptr;
    }
    return root;
}

SceneNode* LoadScene(const char* path)
{
    std::vector<std::uint8_t> image;
    switch (ReadFileImage(path, image))
    {
    case FileImageResult::CannotOpen:
        Logger::Print("LoadScene: cannot open '%s'\n", path);
        return nullptr;
    case FileImageResult::CannotRead:
        Logger::Print("LoadScene: cannot read '%s'\n", path);
        return nullptr;
    case FileImageResult::Read:
        break;
    }
    return LoadSceneFromImage(image);
}

SceneRoot* LoadSceneRoot(const char* path)
{
    SceneRoot* scene = new SceneRoot;
    scene->root = LoadScene(path);
    CollectNodes(*scene);
    return scene;
}

void FreeSceneRoot(SceneRoot* scene)
{
    if (!scene)
        return;
    ReleaseMeshGeometry(*scene);
    DeleteSceneRoot(*scene);
    delete scene;
}
