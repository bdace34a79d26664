// The frame on the display layer: passes, texture slots, shader sets, constants and meshes.
#include "DisplayFrameDevice.h"

#include "DisplayDoubles.h"
#include "ShaderInterface.h"
#include "TimelineTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

void DrawParticlesHook()
{
    g_deviceLog.push_back("particles");
}

void DrawQuadHook()
{
    g_deviceLog.push_back("quad");
}

// A scene root listing mesh nodes of one geometry each, named "<scene>.<index>".
class HandBuiltScene
{
  public:
    HandBuiltScene(const std::string& name, int meshCount)
    {
        for (int i = 0; i < meshCount; ++i)
        {
            geometries.push_back(
                std::make_unique<RecordingGeometry>(name + "." + std::to_string(i)));
            slots.push_back(geometries.back().get());
            nodes.push_back(std::make_unique<MeshNode>());
        }
        for (int i = 0; i < meshCount; ++i)
        {
            nodes[i]->geometries = &slots[i];
            nodes[i]->geometryCount = 1;
            list.push_back(nodes[i].get());
        }
        root.meshNodes = list.data();
        root.meshNodeCount = static_cast<std::uint32_t>(list.size());
    }

    SceneRoot root;

  private:
    std::vector<std::unique_ptr<RecordingGeometry>> geometries;
    std::vector<Geometry*> slots;
    std::vector<std::unique_ptr<MeshNode>> nodes;
    std::vector<MeshNode*> list;
};

class FrameDeviceTest : public ::testing::Test
{
  protected:
    FrameDeviceTest()
        : frameBlock("frame"), objectBlock("object"), materialBlock("material"),
          defaultSet("default"), pbrSet("pbr"), pbrNoiseSet("pbr-noise"), postSet("post"),
          logo("logo", 2)
    {
        g_frameConstants = &frameBlock;
        g_objectConstants = &objectBlock;
        g_materialConstants = &materialBlock;
        g_deviceLog.clear();

        resources.display = &display;
        resources.scenePass = {{201}, {202}};
        resources.postPass = {{203}, {202}};
        for (int i = 0; i < kTextureCount; ++i)
            resources.textures[i] = {static_cast<std::uint32_t>(101 + i)};
        resources.scenes[Logo] = &logo.root;
        resources.shaders = {&defaultSet, &pbrSet, &pbrNoiseSet, &postSet};
        resources.width = 320;
        resources.height = 180;
        resources.drawParticles = DrawParticlesHook;
        resources.drawFullscreenQuad = DrawQuadHook;

        StartPresentation(presentation, resources);
    }

    ~FrameDeviceTest() override
    {
        g_frameConstants = nullptr;
        g_objectConstants = nullptr;
        g_materialConstants = nullptr;
    }

    RecordingDisp display{&g_deviceLog};
    RecordingConstantBuffer frameBlock;
    RecordingConstantBuffer objectBlock;
    RecordingConstantBuffer materialBlock;
    RecordingShader defaultSet;
    RecordingShader pbrSet;
    RecordingShader pbrNoiseSet;
    RecordingShader postSet;
    HandBuiltScene logo;
    FrameResources resources;
    Presentation presentation;
};

TEST_F(FrameDeviceTest, StartBindsTheDefaultSetOnce)
{
    EXPECT_EQ(g_deviceLog, std::vector<std::string>{"shaders default"});
    EXPECT_EQ(presentation.camera.target, &presentation.cameraTarget);
}

TEST_F(FrameDeviceTest, LogoFrameReachesTheDevice)
{
    presentation.timeline.segmentIndex = 3; // Logo
    presentation.timeline.segmentStart = 50.0f;
    g_deviceLog.clear();
    SpectrumArray S = SilentSpectrum();
    S[1] = 0.125f;
    RenderFrame(presentation, resources, 53.0f, 0.02f, View(S));

    const std::vector<std::string> expected = {
        "target 201/202", "frame 0:0", "frame 1:0", "frame 2:0", "object 0:1", "shaders default",
        "texture 0=4294967295", "texture 0=101", "texture 1=102", "texture 2=107", "texture 3=108",
        // Logo: tinted mesh 0, then meshes 0 and 1 in metal. The default set reads an empty t0,
        // the PBR set its irradiance cube.
        "object 0:1", "shaders default", "texture 0=4294967295", "material 1:2", "draw logo.0",
        "object 0:1", "shaders pbr", "texture 0=101", "material 1:2", "draw logo.0", "draw logo.1",
        "particles", "target 203/202", "shaders post", "texture 0=201", "texture 1=103",
        "texture 2=105", "quad"};
    EXPECT_EQ(g_deviceLog, expected);

    const auto frame = frameBlock.As<CBufferFrameData>();
    EXPECT_EQ(frame.Time, 53.0f);
    EXPECT_EQ(frame.DeltaTime, 0.02f);
    EXPECT_EQ(frame.Fade, 1.0f);
    EXPECT_EQ(frame.FFT, 0.125f);
    EXPECT_EQ(frame.Resolution[0], 320.0f);
    EXPECT_NEAR(frame.CameraLocation[0], -7.0f, 1e-5f);
    EXPECT_EQ(frame.CameraClipFar, 1500.0f);

    const auto object = objectBlock.As<CBufferObjectData>();
    EXPECT_FLOAT_EQ(object.TransformMatrix[0][0], 1.05f);
    const auto material = materialBlock.As<CBufferMaterialData>();
    EXPECT_FLOAT_EQ(material.MaterialMetallic, 0.95f);
}

TEST_F(FrameDeviceTest, MissingScenesAndHooksDrawNothingButThePost)
{
    presentation.timeline.segmentIndex = 4; // Rings: no scene given
    presentation.timeline.segmentStart = 61.0f;
    resources.drawParticles = nullptr;
    resources.drawFullscreenQuad = nullptr;
    g_deviceLog.clear();
    const SpectrumArray S = RampSpectrum();
    RenderFrame(presentation, resources, 139.0f, 0.02f, View(S));

    for (const std::string& entry : g_deviceLog)
        EXPECT_NE(entry.rfind("draw", 0), 0u) << entry;
    ASSERT_GE(g_deviceLog.size(), 3u);
    const std::vector<std::string> tail(g_deviceLog.end() - 3, g_deviceLog.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"texture 0=201", "texture 1=104", "texture 2=106"}));
}

} // namespace
