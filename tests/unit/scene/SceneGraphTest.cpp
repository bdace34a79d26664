// The scene graph: building from file records, node lists, matrices and the camera's view.
#include "SceneGraph.h"
#include "Doubles.h"
#include "SceneImages.h"
#include "SceneLoad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{
class SceneGraphTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        g_log.clear();
        g_geometries.clear();
        g_drawCalls.clear();
    }
    void TearDown() override
    {
        if (scene)
            FreeSceneRoot(scene);
    }

    // Loads an image into a scene root as start-up does with a file.
    SceneRoot& Load(const std::vector<std::uint8_t>& image)
    {
        scene = new SceneRoot;
        scene->root = LoadSceneFromImage(image);
        CollectNodes(*scene);
        return *scene;
    }

    SceneRoot* scene = nullptr;
};

template <typename Node> std::vector<std::string> Names(Node* const* nodes, std::uint32_t count)
{
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < count; ++i)
        names.push_back(nodes[i]->name);
    return names;
}

// What a geometry must receive for a mesh: y and z swapped, winding reversed.
void ExpectConverted(const GeometryRecord& geometry, const MeshShape& mesh)
{
    ASSERT_EQ(geometry.stride, 32u);
    ASSERT_EQ(geometry.vertexCount, mesh.vertices.size());
    ASSERT_EQ(geometry.vertexBytes.size(), 32 * mesh.vertices.size());
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i)
    {
        MeshVertex got;
        std::memcpy(&got, &geometry.vertexBytes[32 * i], 32);
        const MeshVertex& v = mesh.vertices[i];
        const MeshVertex want = {{v.position[0], v.position[2], v.position[1]},
                                 {v.normal[0], v.normal[2], v.normal[1]},
                                 {v.texcoord[0], v.texcoord[1]}};
        EXPECT_EQ(std::memcmp(&got, &want, 32), 0) << "vertex " << i;
    }
    std::vector<std::uint16_t> want;
    for (const FaceSpec& f : mesh.faces)
        want.insert(want.end(), {f.index[0], f.index[2], f.index[1]});
    EXPECT_EQ(geometry.indices, want);
    EXPECT_EQ(geometry.calls, (std::vector<std::string>{"Vertices", "Indices"}));
}

TEST_F(SceneGraphTest, ChildrenArePrependedAndCollectedInPreOrder)
{
    NodeSpec root{"root",
                  {},
                  {},
                  {NodeSpec{"first", {}, {}, {NodeSpec{"first.a"}, NodeSpec{"first.b"}}},
                   NodeSpec{"second"}, NodeSpec{"third", {}, {}, {NodeSpec{"third.a"}}}}};
    SceneRoot& s = Load(SceneImage(root));
    ASSERT_NE(s.root, nullptr);
    EXPECT_EQ(s.root->parent, nullptr);
    EXPECT_STREQ(s.root->firstChild->name, "third");
    EXPECT_STREQ(s.root->firstChild->nextSibling->name, "second");
    EXPECT_STREQ(s.root->firstChild->nextSibling->nextSibling->name, "first");
    EXPECT_EQ(s.root->firstChild->nextSibling->nextSibling->nextSibling, nullptr);
    EXPECT_EQ(s.root->firstChild->parent, s.root);
    EXPECT_EQ(Names(s.nodes, s.nodeCount),
              (std::vector<std::string>{"root", "third", "third.a", "second", "first", "first.b",
                                        "first.a"}));
    EXPECT_EQ(s.meshNodeCount, 0u);
}

TEST_F(SceneGraphTest, MeshNodesAreListedInTheSameWalk)
{
    struct Case
    {
        std::vector<std::uint32_t> rootRefs;
        std::vector<std::string> meshNodes;
    };
    const Case cases[] = {
        {{0}, {"root", "b", "a"}}, // a root with meshes is meshNodes[0]
        {{}, {"b", "a"}},          // one without is plain and not listed
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.rootRefs.size());
        NodeSpec root{
            "root",
            {},
            c.rootRefs,
            {NodeSpec{"a", {}, {1}, {}}, NodeSpec{"plain"}, NodeSpec{"b", {}, {0, 1}, {}}}};
        SceneRoot& s = Load(SceneImage(root, {DistinctMesh(3, 1), DistinctMesh(4, 2)}));
        EXPECT_EQ(s.root->type, c.rootRefs.empty() ? NodeType::Plain : NodeType::Mesh);
        EXPECT_EQ(Names(s.meshNodes, s.meshNodeCount), c.meshNodes);
        EXPECT_EQ(s.nodeCount, 4u);
        const MeshNode* b = s.meshNodes[c.rootRefs.size()];
        EXPECT_EQ(b->geometryCount, 2u);
        FreeSceneRoot(scene);
        scene = nullptr;
    }
}

TEST_F(SceneGraphTest, SharedMeshesAreConvertedOnceAndUnreferencedOnesNever)
{
    const MeshShape unused = DistinctMesh(3, 1);
    const MeshShape shared = DistinctMesh(4, 2);
    NodeSpec root{"root", {}, {1}, {NodeSpec{"again", {}, {1}, {}}}};
    SceneData data;
    const auto image = SceneImage(root, {unused, shared});
    ByteCursor cursor(image);
    cursor.Skip(512);
    ASSERT_TRUE(ReadSceneData(cursor, data));

    SceneNode* tree = nullptr;
    ASSERT_TRUE(BuildNode(&tree, nullptr, data, *data.root));
    ASSERT_EQ(g_geometries.size(), 2u); // one geometry per reference, none for the unused mesh
    ExpectConverted(*g_geometries[0], shared);
    ExpectConverted(*g_geometries[1], shared);
    EXPECT_FALSE(data.meshes[0]->converted);
    EXPECT_EQ(std::memcmp(data.meshes[0]->vertices.data(), unused.vertices.data(), 3 * 32), 0);
    DeleteSceneTree(tree);
    EXPECT_TRUE(g_geometries[0]->destroyed && g_geometries[1]->destroyed);
}

TEST_F(SceneGraphTest, NodesTakeTheTransposedFileMatrixAndDefaultTransform)
{
    NodeSpec root{"root"};
    for (int i = 0; i < 16; ++i)
        root.matrix[i] = static_cast<float>(i);
    SceneRoot& s = Load(SceneImage(root));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(s.root->localMatrix.m[r][c], static_cast<float>(4 * c + r));
    EXPECT_EQ(s.root->transform.scale.y, 1.0f);
    EXPECT_EQ(s.root->transform.rotation.w, 1.0f);
}

TEST_F(SceneGraphTest, AMeshReferenceOutsideTheTableRefusesTheScene)
{
    NodeSpec root{"root", {}, {0}, {NodeSpec{"ok", {}, {1}, {}}, NodeSpec{"bad", {}, {0, 2}, {}}}};
    EXPECT_EQ(LoadSceneFromImage(SceneImage(root, {DistinctMesh(3, 1), DistinctMesh(3, 1)})),
              nullptr);
    EXPECT_EQ(g_log.back(), Printed("BuildNode: node 'bad' refers to mesh 2 of 2.\n"));
    ASSERT_EQ(g_geometries.size(), 2u); // root and "ok" were built before "bad"
    EXPECT_TRUE(g_geometries[0]->destroyed);
    EXPECT_TRUE(g_geometries[1]->destroyed);
}

TEST_F(SceneGraphTest, AFileAskingForMoreGeometryThanTheBudgetIsRefusedBeforeAnyUpload)
{
    // One mesh of 2.4 MB referenced 110 times: 262 MB of buffers from a file of 2.4 MB.
    NodeSpec root{"root", {}, std::vector<std::uint32_t>(110, 0), {}};
    EXPECT_EQ(LoadSceneFromImage(SceneImage(root, {DistinctMesh(65536, 65536)})), nullptr);
    EXPECT_EQ(g_log.back(),
              Printed("LoadScene: the scene asks for 261 MB of geometry; at most 256 MB.\n"));
    EXPECT_TRUE(g_geometries.empty());
}

TEST_F(SceneGraphTest, AnEmptyRootCollectsNothingAndDeletesCleanly)
{
    scene = new SceneRoot;
    CollectNodes(*scene);
    EXPECT_EQ(scene->nodeCount, 0u);
    EXPECT_EQ(scene->meshNodeCount, 0u);
    FreeSceneRoot(scene);
    scene = nullptr;
    EXPECT_EQ(g_log, std::vector<LogLine>{Printed("Deleting scenegraph root...\n")});
}

TEST_F(SceneGraphTest, ShutdownReleasesGeometryThenDeletesNodesInListOrder)
{
    NodeSpec root{"root", {}, {}, {NodeSpec{"m1", {}, {0}, {}}, NodeSpec{"m2", {}, {0}, {}}}};
    SceneRoot& s = Load(SceneImage(root, {DistinctMesh(3, 1)}));
    ReleaseMeshGeometry(s);
    EXPECT_EQ(s.meshNodes[0]->geometries[0], nullptr);
    EXPECT_TRUE(g_geometries[0]->destroyed && g_geometries[1]->destroyed);
    g_log.clear();
    FreeSceneRoot(scene);
    scene = nullptr;
    EXPECT_EQ(g_log, (std::vector<LogLine>{
                         Printed("Deleting scenegraph root...\n"),
                         Printed("Deleteing node 'root'..\n"),
                         Printed("Deleteing node 'm2'..\n"),
                         Printed("Deleteing node 'm1'..\n"),
                     }));
}

void ExpectMatrixNear(const Matrix4& got, const Matrix4& want, float tolerance)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(got.m[r][c], want.m[r][c], tolerance) << "[" << r << "][" << c << "]";
}

TEST_F(SceneGraphTest, ComposeMatrixIsScaleThenRotationThenTranslation)
{
    const Matrix4 identity = ComposeMatrix(Transform{});
    const Matrix4 want = MakeIdentity();
    EXPECT_EQ(std::memcmp(&identity, &want, sizeof identity), 0);

    // 90 degrees about +Y takes +X to -Z in the row-vector convention.
    Transform t;
    const float h = static_cast<float>(std::sqrt(0.5));
    t.rotation = {0, h, 0, h};
    t.scale = {2, 3, 4};
    t.position = {5, 6, 7};
    ExpectMatrixNear(ComposeMatrix(t), {{{0, 0, -2, 0}, {0, 3, 0, 0}, {4, 0, 0, 0}, {5, 6, 7, 1}}},
                     1e-6f);
}

struct ViewRig
{
    SceneNode target;
    CameraNode camera;

    ViewRig(Float3 eye, Float3 at)
    {
        camera.transform.position = eye;
        target.transform.position = at;
        camera.target = &target;
    }
};

TEST_F(SceneGraphTest, ViewMatrixDegeneratesWhenTheDirectionHasNoHorizontalPart)
{
    struct Case
    {
        const char* what;
        Float3 eye, at;
        Float3 f;
    };
    const Case cases[] = {
        {"same position", {1, 2, 3}, {1, 2, 3}, {0, 0, 0}},
        {"straight above", {0, 10, 0}, {0, 0, 0}, {0, -1, 0}},
        {"straight below", {0, -4, 0}, {0, 0, 0}, {0, 1, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ViewRig rig(c.eye, c.at);
        const Matrix4 view = ComputeViewMatrix(rig.camera);
        for (int row = 0; row < 3; ++row)
        {
            EXPECT_EQ(view.m[row][0], 0.0f); // r
            EXPECT_EQ(view.m[row][1], 0.0f); // u
        }
        EXPECT_EQ(view.m[0][2], c.f.x);
        EXPECT_EQ(view.m[1][2], c.f.y);
        EXPECT_EQ(view.m[2][2], c.f.z);
        EXPECT_EQ(view.m[3][3], 1.0f);
    }
}

TEST_F(SceneGraphTest, ViewMatrixIsOrthonormalOnTheTargetsPlane)
{
    ViewRig rig({3, 1, -4}, {0, 1, 0});
    const Matrix4 view = ComputeViewMatrix(rig.camera);
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
        {
            const float dot = view.m[0][a] * view.m[0][b] + view.m[1][a] * view.m[1][b] +
                              view.m[2][a] * view.m[2][b];
            EXPECT_NEAR(dot, a == b ? 1.0f : 0.0f, 1e-6f);
        }
    // The target lies 5 units straight ahead; the camera sits at the view origin.
    const float target[4] = {0, 1, 0, 1};
    float viewed[4] = {};
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < 4; ++k)
            viewed[c] += target[k] * view.m[k][c];
    EXPECT_NEAR(viewed[0], 0, 1e-5f);
    EXPECT_NEAR(viewed[1], 0, 1e-5f);
    EXPECT_NEAR(viewed[2], 5, 1e-5f);
    // The camera's and the target's matrices were recomposed from their transforms.
    EXPECT_EQ(rig.camera.localMatrix.m[3][0], 3.0f);
    EXPECT_EQ(rig.target.localMatrix.m[3][1], 1.0f);
}

TEST_F(SceneGraphTest, RollOfAQuarterTurnMapsViewXToY)
{
    ViewRig rig({0, 0, 0}, {0, 0, 1}); // looking down +Z: the look-at part is the identity
    rig.camera.roll = 3.14159265f / 2;
    ExpectMatrixNear(ComputeViewMatrix(rig.camera),
                     {{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}, 1e-6f);
}

} // namespace
