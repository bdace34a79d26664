// Reading the generated data/ and loading scene images through the project's reader.
#pragma once

#include "Doubles.h"
#include "SceneGraph.h"
#include "SceneLoad.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

inline std::vector<std::uint8_t> ReadDataFile(const std::string& name)
{
    std::ifstream file(std::string(OMBREL_DATA_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline bool HasErrorLine()
{
    for (const LogLine& line : g_log)
        if (line.error)
            return true;
    return false;
}

// A scene loaded from an image with its node lists collected, released at the end of the scope.
class LoadedScene
{
  public:
    explicit LoadedScene(std::span<const std::uint8_t> image)
    {
        g_log.clear();
        g_geometries.clear();
        root.root = LoadSceneFromImage(image);
        if (root.root)
            CollectNodes(root);
    }
    ~LoadedScene()
    {
        ReleaseMeshGeometry(root);
        DeleteSceneRoot(root);
    }
    LoadedScene(const LoadedScene&) = delete;
    LoadedScene& operator=(const LoadedScene&) = delete;

    bool Loaded() const { return root.root != nullptr; }
    std::uint32_t MeshNodeCount() const { return root.meshNodeCount; }
    const MeshNode& Mesh(std::uint32_t k) const { return *root.meshNodes[k]; }
    // The vertices that mesh node k's first geometry received (renderer axes).
    std::vector<MeshVertex> Vertices(std::uint32_t k) const;
    std::vector<std::uint16_t> Indices(std::uint32_t k) const;

  private:
    const GeometryRecord* Record(std::uint32_t k) const;
    SceneRoot root;
};

inline const GeometryRecord* LoadedScene::Record(std::uint32_t k) const
{
    // The doubles tag each bind with the geometry's creation index, which finds its record.
    const MeshNode& node = Mesh(k);
    if (node.geometryCount == 0)
        return nullptr;
    g_drawCalls.clear();
    node.geometries[0]->BindVertexBuffer();
    const std::string& call = g_drawCalls.at(0);
    return g_geometries.at(std::stoul(call.substr(0, call.find(':')))).get();
}

inline std::vector<MeshVertex> LoadedScene::Vertices(std::uint32_t k) const
{
    const GeometryRecord* record = Record(k);
    std::vector<MeshVertex> vertices(record ? record->vertexCount : 0);
    if (record)
        std::memcpy(vertices.data(), record->vertexBytes.data(),
                    vertices.size() * sizeof(MeshVertex));
    return vertices;
}

inline std::vector<std::uint16_t> LoadedScene::Indices(std::uint32_t k) const
{
    const GeometryRecord* record = Record(k);
    return record ? record->indices : std::vector<std::uint16_t>{};
}
