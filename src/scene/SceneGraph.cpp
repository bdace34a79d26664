// Builds, walks and tears down scene graphs; composes node and camera matrices.
#include "SceneGraph.h"

#include "Geometry.h"
#include "Logger.h"
#include "SceneFile.h"

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

char* CopyName(const std::string& name)
{
    char* copy = new char[name.size() + 1];
    std::memcpy(copy, name.c_str(), name.size() + 1);
    return copy;
}

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
