// Constant-block contents and the calls that upload them; drawing a mesh node's geometry.
#include "SceneDraw.h"
#include "Doubles.h"
#include "SceneImages.h"
#include "SceneLoad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
template <typename Block> Block Decode(const FakeConstantBuffer& buffer)
{
    Block block;
    std::memcpy(&block, buffer.bytes.data(), sizeof block);
    return block;
}

class SceneDrawTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        g_log.clear();
        g_geometries.clear();
        g_drawCalls.clear();
        g_frameConstants = &frame;
        g_objectConstants = &object;
        g_materialConstants = &material;
        camera.target = &target;
        camera.transform.position = {1, 2, 3};
        target.transform.position = {4, 2, 7};
    }
    void TearDown() override
    {
        g_frameConstants = g_objectConstants = g_materialConstants = nullptr;
    }

    FakeConstantBuffer frame{128}, object{128}, material{32};
    SceneNode target;
    CameraNode camera;
};

TEST_F(SceneDrawTest, ProjectionNumbers)
{
    const Matrix4 p = ComputeProjectionMatrix(camera);
    EXPECT_EQ(p.m[1][1], 1.7321125f);
    EXPECT_EQ(p.m[0][0], 0.9743133f);

    camera.clipNear = 1;
    camera.clipFar = 1500;
    const Matrix4 q = ComputeProjectionMatrix(camera);
    EXPECT_EQ(q.m[2][2], 1.0006671f);
    EXPECT_EQ(q.m[3][2], -1.0006671f);
    EXPECT_EQ(q.m[2][3], 1.0f);
    EXPECT_EQ(q.m[3][3], 0.0f);
}

TEST_F(SceneDrawTest, FrameBlockIsFilledClearedAndBoundToThreeStages)
{
    CameraNode expectedCamera;
    expectedCamera.transform = camera.transform;
    expectedCamera.target = &target;
    const Matrix4 viewProjection =
        Multiply(ComputeViewMatrix(expectedCamera), ComputeProjectionMatrix(expectedCamera));

    UpdateFrameConstants(camera, 1920, 1080, 12.5f, 0.016f, 0.75f, 0.25f);
    EXPECT_EQ(frame.calls,
              (std::vector<std::string>{"Map", "Unmap", "Bind 0 0", "Bind 1 0", "Bind 2 0"}));
    const auto block = Decode<CBufferFrameData>(frame);
    EXPECT_EQ(std::memcmp(block.ViewProjectionMatrix, viewProjection.m, 64), 0);
    EXPECT_EQ(block.CameraLocation[0], 1.0f);
    EXPECT_EQ(block.CameraLocation[1], 2.0f);
    EXPECT_EQ(block.CameraLocation[2], 3.0f);
    EXPECT_EQ(block.Time, 12.5f);
    EXPECT_EQ(block.CameraClipNear, 0.1f);
    EXPECT_EQ(block.CameraClipFar, 5000.0f);
    EXPECT_EQ(block.DeltaTime, 0.016f);
    EXPECT_EQ(block.FFT, 0.25f);
    EXPECT_EQ(block.Resolution[0], 1920.0f);
    EXPECT_EQ(block.Resolution[1], 1080.0f);
    EXPECT_EQ(block.Resolution[2], 0.00052083336f);
    EXPECT_EQ(block.Resolution[3], 0.0009259259f);
    EXPECT_EQ(block.Fade, 0.75f);
    for (std::size_t i = 116; i < 128; ++i)
        EXPECT_EQ(frame.bytes[i], 0) << "byte " << i;
}

TEST_F(SceneDrawTest, TheAspectRatioIsFixedWhateverTheOutputSize)
{
    const CBufferFrameData small = MakeFrameConstants(camera, 1920, 1080, 0, 0, 1, 0);
    const CBufferFrameData large = MakeFrameConstants(camera, 2560, 1440, 0, 0, 1, 0);
    EXPECT_EQ(std::memcmp(small.ViewProjectionMatrix, large.ViewProjectionMatrix, 64), 0);
    EXPECT_EQ(large.Resolution[2], 1.0f / 2560);
}

TEST_F(SceneDrawTest, ObjectBlockCarriesTheMatrixAndItsNormalMatrix)
{
    struct Case
    {
        const char* what;
        Transform transform;
        float normalScale; // the 3x3 of TransformMatrixIT is the world 3x3 times this
    };
    const float h = 0.6f, w = 0.8f; // a rotation about X
    const Case cases[] = {
        {"identity", Transform{}, 1.0f},
        {"uniform scale", Transform{{10, -20, 30}, {h, 0, 0, w}, {2, 2, 2}}, 0.25f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        object.calls.clear();
        const Matrix4 world = ComposeMatrix(c.transform);
        UpdateObjectConstants(world);
        EXPECT_EQ(object.calls, (std::vector<std::string>{"Map", "Unmap", "Bind 0 1"}));
        const auto block = Decode<CBufferObjectData>(object);
        EXPECT_EQ(std::memcmp(block.TransformMatrix, world.m, 64), 0);
        for (int r = 0; r < 3; ++r)
        {
            for (int col = 0; col < 3; ++col)
                EXPECT_NEAR(block.TransformMatrixIT[r][col], world.m[r][col] * c.normalScale,
                            1e-6f);
            EXPECT_EQ(block.TransformMatrixIT[r][3], 0.0f);
        }
        // Rotation over the scale: the normal keeps its direction, shrinks by the scale.
        const float rowLength =
            std::sqrt(block.TransformMatrixIT[1][0] * block.TransformMatrixIT[1][0] +
                      block.TransformMatrixIT[1][1] * block.TransformMatrixIT[1][1] +
                      block.TransformMatrixIT[1][2] * block.TransformMatrixIT[1][2]);
        EXPECT_NEAR(rowLength, c.normalScale == 1 ? 1.0f : 0.5f, 1e-6f);
        EXPECT_EQ(block.TransformMatrixIT[3][0], 0.0f);
        EXPECT_EQ(block.TransformMatrixIT[3][1], 0.0f);
        EXPECT_EQ(block.TransformMatrixIT[3][2], 0.0f);
        EXPECT_EQ(block.TransformMatrixIT[3][3], 1.0f);
    }
}

TEST_F(SceneDrawTest, MaterialBlockLeavesItsPaddingAlone)
{
    Material m;
    m.reserved = 0xFFFFFFFF;
    m.baseColor[0] = 0.1f;
    m.baseColor[1] = 0.2f;
    m.baseColor[2] = 0.3f;
    m.baseColor[3] = 0.4f;
    m.specular = 0.5f;
    m.metallic = 0.6f;
    m.roughness = 0.7f;
    UpdateMaterialConstants(m);
    EXPECT_EQ(material.calls, (std::vector<std::string>{"Map", "Unmap", "Bind 1 2"}));
    const auto block = Decode<CBufferMaterialData>(material);
    const float want[7] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f};
    EXPECT_EQ(std::memcmp(&block, want, 28), 0);
    for (std::size_t i = 28; i < 32; ++i)
        EXPECT_EQ(material.bytes[i], 0xCD);
}

TEST_F(SceneDrawTest, AFailedMapWritesAndBindsNothing)
{
    for (FakeConstantBuffer* buffer : {&frame, &object, &material})
        buffer->mapFails = true;
    UpdateFrameConstants(camera, 1920, 1080, 1, 1, 1, 0);
    UpdateObjectConstants(MakeIdentity());
    UpdateMaterialConstants(Material{});
    for (FakeConstantBuffer* buffer : {&frame, &object, &material})
    {
        EXPECT_EQ(buffer->calls, std::vector<std::string>{"Map"});
        EXPECT_EQ(buffer->bytes, std::vector<std::uint8_t>(buffer->bytes.size(), 0xCD));
    }
}

TEST_F(SceneDrawTest, DrawMeshNodeDrawsEachGeometryInOrder)
{
    NodeSpec root{"root", {}, {1, 0}, {NodeSpec{"empty"}}};
    SceneRoot* scene = new SceneRoot;
    scene->root = LoadSceneFromImage(SceneImage(root, {DistinctMesh(3, 1), DistinctMesh(3, 1)}));
    CollectNodes(*scene);
    ASSERT_EQ(scene->meshNodeCount, 1u);

    DrawMeshNode(*scene->meshNodes[0]);
    EXPECT_EQ(g_drawCalls, (std::vector<std::string>{"0:BindVertex", "0:BindIndex", "0:Draw",
                                                     "1:BindVertex", "1:BindIndex", "1:Draw"}));

    g_drawCalls.clear();
    DrawMeshNode(MeshNode{}); // no geometry: nothing drawn
    ReleaseMeshGeometry(*scene);
    DrawMeshNode(*scene->meshNodes[0]); // released geometry is not touched
    EXPECT_TRUE(g_drawCalls.empty());
    FreeSceneRoot(scene);
}
} // namespace
