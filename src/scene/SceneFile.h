// The binary scene file: its in-memory records, the reader and the loader that builds a graph.
#pragma once

#include "ByteCursor.h"
#include "ShaderInterface.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct SceneNode;
struct SceneRoot;

struct SceneFileNode
{
    std::string name;
    float matrix[16] = {}; // as stored: the transpose of the graph's row-vector matrix
    std::vector<std::uint32_t> meshRefs; // copied as stored; may exceed the mesh table
    std::vector<std::unique_ptr<SceneFileNode>> children; // file order
    SceneFileNode* parent = nullptr;
};

struct SceneFileMesh
{
    std::uint32_t vertexCount = 0;
    std::uint32_t faceCount = 0;
    std::uint32_t boneCount = 0;
    std::uint32_t matID = 0;
    std::vector<MeshVertex> vertices;   // zero where the file has no block for an attribute
    std::vector<std::uint16_t> indices; // three per face
    bool converted = false; // turned to the renderer's axes (done once, before the first upload)
};

struct SceneData
{
    std::uint32_t headerWord0 = 0;
    std::uint32_t meshCount = 0;
    std::uint32_t headerWords[5] = {}; // header words 2 to 6
    std::unique_ptr<SceneFileNode> root;
    std::vector<std::unique_ptr<SceneFileMesh>> meshes; // file order
};

// Node records nest no deeper than this; a deeper file is refused rather than overflow the stack.
constexpr int kMaxNodeDepth = 1024;

// Reads from file offset 512 to the end of the mesh table. False after one log line when the
// file is malformed or ends early; data may then hold part of the file.
bool ReadSceneData(ByteCursor& cursor, SceneData& data);
// Reads one node record and its children. False when the file is malformed or ends early.
bool ReadNode(ByteCursor& cursor, SceneFileNode& node, SceneFileNode* parent);
// Reads one mesh record. False after its report when a check fails, or when the file ends early.
bool ReadMesh(ByteCursor& cursor, SceneFileMesh& mesh);
