// The frame sequence and its choices: particles, lens dirt and overlay per frame.
#include "RandomUnit.h"
#include "Frame.h"

#include "TimelineTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

TEST(FrameChoices, ParticlesShowInFiveKinds)
{
    const struct
    {
        SegmentKind kind;
        bool particles;
    } cases[] = {
        {Rings, true},   {Scene01, true}, {Tunnel, true}, {Logo, true},
        {Greets, false}, {Grinder, true}, {Tarv, false},  {Sphere, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DrawsParticles(c.kind), c.particles) << "kind " << c.kind;
}

TEST(FrameChoices, DirtAndOverlayFollowTimeAndKind)
{
    const struct
    {
        float t;
        SegmentKind kind;
        SceneTexture dirt;
        SceneTexture overlay;
    } cases[] = {
        {0.0f, Tarv, DirtMask, Intro},
        {20.0f, Scene01, DirtScratches, Intro},
        {40.0f, Sphere, DirtScratches, Intro},
        {55.0f, Logo, DirtMask, Intro},
        {70.0f, Rings, DirtMask, Intro},
        {90.0f, Tunnel, DirtMask, Intro},
        {100.0f, Greets, DirtMask, Intro},
        {110.0f, Grinder, DirtMask, Intro},
        {137.0f, Tarv, DirtMask, Intro},
        {137.01f, Tarv, DirtScratches, Credits},
        {137.01f, Scene01, DirtScratches, Credits},
        {149.0f, Tarv, DirtScratches, Credits},
    };
    for (const auto& c : cases)
    {
        const PostTextures textures = ChoosePostTextures(c.t, c.kind);
        EXPECT_EQ(textures.dirt, c.dirt) << "t = " << c.t << ", kind " << c.kind;
        EXPECT_EQ(textures.overlay, c.overlay) << "t = " << c.t << ", kind " << c.kind;
    }
}

// Writes each device call of a frame as a line of text.
class RecordingFrameDevice : public FrameDevice
{
  public:
    void BindShaderSet(ShaderSet set) override
    {
        events.push_back("set " + std::to_string(static_cast<int>(set)));
    }
    void SetMaterial(const Material&) override { events.push_back("material"); }
    void SetWorld(const Matrix4& world) override
    {
        events.push_back(world.m[3][1] == 0 && world.m[0][0] == 1 && world.m[1][1] == 1
                             ? "world identity"
                             : "world");
    }
    void DrawMesh(std::uint32_t mesh) override
    {
        EXPECT_LT(mesh, meshCount);
        events.push_back("draw " + std::to_string(mesh));
    }
    void BeginScenePass() override { events.push_back("scene pass"); }
    void WriteFrameConstants(CameraNode& camera, float, float deltaTime, float fade,
                             float spectrumLevel) override
    {
        events.push_back("frame constants");
        cameraPosition = camera.transform.position;
        targetPosition = camera.target->transform.position;
        writtenFade = fade;
        writtenDelta = deltaTime;
        writtenLevel = spectrumLevel;
    }
    void BindSceneTextures() override { events.push_back("scene textures"); }
    std::uint32_t MeshCount(SegmentKind kind) override
    {
        kinds.push_back(kind);
        return meshCount;
    }
    void DrawParticles() override
    {
        events.push_back("particles");
        ++particleFrames;
    }
    void BeginPostPass() override { events.push_back("post pass"); }
    void BindPostTextures(PostTextures textures) override
    {
        events.push_back("post textures");
        post.push_back(textures);
    }
    void DrawPostQuad() override { events.push_back("quad"); }

    std::uint32_t meshCount = 8;
    std::vector<std::string> events;
    std::vector<SegmentKind> kinds;
    std::vector<PostTextures> post;
    int particleFrames = 0;
    Float3 cameraPosition = {0, 0, 0};
    Float3 targetPosition = {0, 0, 0};
    float writtenFade = -1;
    float writtenDelta = -1;
    float writtenLevel = -1;
};

struct PresentationRig
{
    PresentationRig() { InitPresentation(presentation, RandomUnit); }
    Presentation presentation;
};

TEST(Frame, RunsItsStepsInOrder)
{
    PresentationRig rig;
    rig.presentation.timeline.segmentIndex = 3; // Logo, two meshes
    rig.presentation.timeline.segmentStart = 50.0f;
    RecordingFrameDevice device;
    SpectrumArray S = SilentSpectrum();
    S[1] = 0.25f;
    RunFrame(rig.presentation, device, 53.0f, 0.016f, View(S), RandomUnit);

    const std::vector<std::string> expected = {
        "scene pass", "frame constants", "world identity", "set 0", "scene textures",
        // Logo: tinted mesh 0, then meshes 0 and 1 in metal at scale 1.05.
        "world identity", "set 0", "material", "draw 0", "world", "set 1", "material", "draw 0",
        "draw 1", "particles", "post pass", "post textures", "quad"};
    EXPECT_EQ(device.events, expected);
    EXPECT_EQ(device.kinds, std::vector<SegmentKind>{Logo});

    // The constants see this frame's camera shot, fade, delta and level.
    EXPECT_NEAR(device.cameraPosition.x, 3.0f - 10.0f, 1e-5f);
    EXPECT_EQ(device.cameraPosition.z, -22.0f);
    EXPECT_EQ(device.writtenFade, 1.0f);
    EXPECT_EQ(device.writtenDelta, 0.016f);
    EXPECT_EQ(device.writtenLevel, 0.25f);
    ASSERT_EQ(device.post.size(), 1u);
    EXPECT_EQ(device.post[0].dirt, DirtMask);
    EXPECT_EQ(device.post[0].overlay, Intro);
}

TEST(Frame, TheFrameEndingASegmentStillShowsTheOldKind)
{
    PresentationRig rig;
    RecordingFrameDevice device;
    const SpectrumArray S = SilentSpectrum();
    for (const float t : {16.5f, 16.51f, 16.52f})
        RunFrame(rig.presentation, device, t, 0.01f, View(S), RandomUnit);
    EXPECT_EQ(device.kinds, (std::vector<SegmentKind>{Tarv, Tarv, Scene01}));
    EXPECT_EQ(device.particleFrames, 1); // Tarv shows none, Scene01 does
    ASSERT_EQ(device.post.size(), 3u);
    EXPECT_EQ(device.post[1].dirt, DirtMask);
    EXPECT_EQ(device.post[2].dirt, DirtScratches);
}

TEST(Frame, WholePresentationOnOneMeshScenesDrawsOnlyThatMesh)
{
    PresentationRig rig;
    RecordingFrameDevice device;
    device.meshCount = 1;
    const SpectrumArray S = RampSpectrum();
    std::vector<SegmentKind> order;
    for (int n = 0; n <= 150 * 60; ++n)
    {
        const float t = static_cast<float>(n) / 60.0f;
        RunFrame(rig.presentation, device, t, 1.0f / 60.0f, View(S), RandomUnit);
        const SegmentKind kind = device.kinds.back();
        if (order.empty() || order.back() != kind)
            order.push_back(kind);
        const PostTextures expected = ChoosePostTextures(t, kind);
        ASSERT_EQ(device.post.back().dirt, expected.dirt) << "t = " << t;
        ASSERT_EQ(device.post.back().overlay, expected.overlay) << "t = " << t;
        device.events.clear();
    }
    // The nine segments in order, then the first again after the wrap.
    EXPECT_EQ(order, (std::vector<SegmentKind>{Tarv, Scene01, Sphere, Logo, Rings, Tunnel, Greets,
                                               Grinder, Tarv}));
    EXPECT_EQ(rig.presentation.timeline.segmentIndex, 0);
}

} // namespace
