// Builds, walks and tears down scene graphs; composes node and camera matrices.
#include "SceneGraph.h"

#include "Geometry.h"
#include "Logger.h"

#include <cmath>
#include <cstring>
#include <utility>

Matrix4 ComposeMatrix(const Transform& t)
{
    const float x = t.rotation.x, y = t.rotation.y, z = t.rotation.z, w = t.rotation.w;
    const float sx = t.scale.x, sy = t.scale.y, sz = t.scale.z;
    return {{
        {sx * (1 - 2 * (y * y + z * z)), sx * (2 * (x * y + w * z)), sx * (2 * (x * z - w * y)), 0},
        {sy * (2 * (x * y - w * z)), sy * (1 - 2 * (x * x + z * z)), sy * (2 * (y * z + w * x)), 0},
        {sz * (2 * (x * z + w * y)), sz * (2 * (y * z - w * x)), sz * (1 - 2 * (x * x + y * y)), 0},
        {t.position.x, t.position.y, t.position.z, 1},
    }};
}

namespace
{
void DeleteNode(SceneNode* node)
{
    delete[] node->name;
    if (node->type == NodeType::Mesh)
    {
        MeshNode* mesh = static_cast<MeshNode*>(node);
        for (std::uint32_t i = 0; i < mesh->geometryCount; ++i)
            delete mesh->geometries[i];
        delete[] mesh->geometries;
        delete mesh;
    }
    else
    {
        delete node;
    }
}

void CountNodes(const SceneNode* node, std::uint32_t& nodeCount, std::uint32_t& meshNodeCount)
{
    for (; node; node = node->nextSibling)
    {
        ++nodeCount;
        if (node->type == NodeType::Mesh)
            ++meshNodeCount;
        CountNodes(node->firstChild, nodeCount, meshNodeCount);
    }
}

void ListNodes(SceneNode* node, SceneRoot& scene, std::uint32_t& nodeIndex,
               std::uint32_t& meshIndex)
{
    for (; node; node = node->nextSibling)
    {
        scene.nodes[nodeIndex++] = node;
        if (node->type == NodeType::Mesh)
            scene.meshNodes[meshIndex++] = static_cast<MeshNode*>(node);
        ListNodes(node->firstChild, scene, nodeIndex, meshIndex);
    }
}

Float3 Position(const Matrix4& m)
{
    return {m.m[3][0], m.m[3][1], m.m[3][2]};
}

float Dot(Float3 a, Float3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
} // namespace

void DeleteSceneTree(SceneNode* node)
{
    while (node)
    {
        SceneNode* next = node->nextSibling;
        DeleteSceneTree(node->firstChild);
        DeleteNode(node);
        node = next;
    }
}

void CollectNodes(SceneRoot& scene)
{
    CountNodes(scene.root, scene.nodeCount, scene.meshNodeCount);
    scene.nodes = new SceneNode*[scene.nodeCount];
    scene.meshNodes = new MeshNode*[scene.meshNodeCount];
    std::uint32_t nodeIndex = 0;
    std::uint32_t meshIndex = 0;
    ListNodes(scene.root, scene, nodeIndex, meshIndex);
}

Matrix4 ComputeViewMatrix(CameraNode& camera)
{
    camera.localMatrix = ComposeMatrix(camera.transform);
    camera.target->localMatrix = ComposeMatrix(camera.target->transform);
    const Float3 eye = Position(camera.localMatrix);
    const Float3 at = Position(camera.target->localMatrix);

    Float3 f = {at.x - eye.x, at.y - eye.y, at.z - eye.z};
    const float length = static_cast<float>(std::sqrt(static_cast<double>(Dot(f, f))));
    if (length > 0.00001f)
    {
        const float inverse = 1 / length;
        f = {f.x * inverse, f.y * inverse, f.z * inverse};
    }
    // up x f and f x r, left unnormalised: both are shorter than 1 unless f is horizontal.
    const Float3 r = {f.z, 0, -f.x};
    const Float3 u = {f.y * r.z - f.z * r.y, f.z * r.x - f.x * r.z, f.x * r.y - f.y * r.x};
    const Matrix4 lookAt = {{
        {r.x, u.x, f.x, 0},
        {r.y, u.y, f.y, 0},
        {r.z, u.z, f.z, 0},
        {-Dot(r, eye), -Dot(u, eye), -Dot(f, eye), 1},
    }};

    const double halfRoll = camera.roll * 0.5f;
    Transform roll;
    roll.rotation = {0, 0, static_cast<float>(std::sin(halfRoll)),
                     static_cast<float>(std::cos(halfRoll))};
    return Multiply(lookAt, ComposeMatrix(roll));
}

void ReleaseMeshGeometry(SceneRoot& scene)
{
    for (std::uint32_t i = 0; i < scene.meshNodeCount; ++i)
    {
        MeshNode* mesh = scene.meshNodes[i];
        for (std::uint32_t g = 0; g < mesh->geometryCount; ++g)
        {
            delete mesh->geometries[g];
            mesh->geometries[g] = nullptr;
        }
    }
}

void DeleteSceneRoot(SceneRoot& scene)
{
    Logger::Print("Deleting scenegraph root...\n");
    for (std::uint32_t i = 0; i < scene.nodeCount; ++i)
    {
        SceneNode* node = scene.nodes[i];
        if (node == &scene)
            continue;
        Logger::Print("Deleteing node '%s'..\n", node->name ? node->name : "");
        DeleteNode(node);
    }
    delete[] scene.nodes;
    delete[] scene.meshNodes;
    scene.nodes = nullptr;
    scene.meshNodes = nullptr;
    scene.nodeCount = 0;
    scene.meshNodeCount = 0;
    scene.root = nullptr;
}
