// The run-time scene graph: nodes, meshes with their GPU geometry, cameras and scene roots.
#pragma once

#include "SceneMath.h"

#include <cstdint>

class Geometry;

struct Transform
{
    Float3 position = {0, 0, 0};
    Float4 rotation = {0, 0, 0, 1}; // quaternion x, y, z, w; used as stored, not normalised
    Float3 scale = {1, 1, 1};
};

// scale x rotation x translation.
Matrix4 ComposeMatrix(const Transform& transform);

enum class NodeType : std::uint32_t
{
    Plain = 0, // also cameras and scene roots
    Mesh = 1,
};

// Plain structs told apart by type; nodes own their name copy, never their links.
struct SceneNode
{
    SceneNode() = default;
    SceneNode(const SceneNode&) = delete;
    SceneNode& operator=(const SceneNode&) = delete;

    NodeType type = NodeType::Plain;
    char* name = nullptr; // null for nodes not made from a file
    Matrix4 localMatrix = MakeIdentity();
    Transform transform;
    SceneNode* parent = nullptr;
    SceneNode* firstChild = nullptr;
    SceneNode* nextSibling = nullptr;
};

struct MeshNode : SceneNode
{
    MeshNode() { type = NodeType::Mesh; }

    Geometry** geometries = nullptr; // owned, one per mesh reference, in reference order
    std::uint32_t geometryCount = 0;
};

struct CameraNode : SceneNode
{
    SceneNode* target = nullptr;    // must be set before use
    float fieldOfView = 1.0471667f; // vertical, radians (3.1415 / 3)
    float clipNear = 0.1f;
    float clipFar = 5000.0f;
    float roll = 0.0f; // radians about the viewing axis
};

struct SceneRoot : SceneNode
{
    SceneNode* root = nullptr;
    SceneNode** nodes = nullptr;    // owned with the nodes it lists
    MeshNode** meshNodes = nullptr; // owned array; the scripts select meshes by index here
    std::uint32_t nodeCount = 0;
    std::uint32_t meshNodeCount = 0;
};

// Deletes a tree that never reached a SceneRoot, geometry included.
void DeleteSceneTree(SceneNode* node);

// Fills nodes, meshNodes and their counts by a pre-order walk from root.
void CollectNodes(SceneRoot& scene);

// Look-at from the camera's position to its target's, then roll. Recomposes both localMatrix
// fields from their transforms first.
Matrix4 ComputeViewMatrix(CameraNode& camera);

void ReleaseMeshGeometry(SceneRoot& scene);
// Deletes every listed node (except scene itself) and both lists; the caller deletes scene.
void DeleteSceneRoot(SceneRoot& scene);
