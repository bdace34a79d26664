// The PBR programs on the GPU: the shaded pixel against the reference, and the vertex programs'
// world positions read back through a probe pixel program.
#include "Geometry.h"
#include "GpuPrograms.h"
#include "ProgramFixture.h"
#include "References.h"

#include "VaryingsProbePS.glsl.h"

#include <cmath>
#include <memory>

namespace
{
constexpr int kSize = 16;

// One colour per face: +X, -X, +Y, -Y, +Z, -Z; values above 1, as environment maps have.
const CubeFaces kIrradiance = {{{0.9f, 0.2f, 0.1f},
                                {0.1f, 0.8f, 0.2f},
                                {0.2f, 0.3f, 1.4f},
                                {0.5f, 0.5f, 0.1f},
                                {0.3f, 0.1f, 0.6f},
                                {1.2f, 0.7f, 0.4f}}};
const CubeFaces kPrefiltered = {{{3.0f, 0.5f, 0.2f},
                                 {0.2f, 2.0f, 0.4f},
                                 {0.6f, 0.6f, 0.6f},
                                 {0.1f, 0.9f, 2.5f},
                                 {4.0f, 3.5f, 0.5f},
                                 {1.5f, 2.5f, 3.5f}}};

std::vector<float> CubeImage(const CubeFaces& faces, int size)
{
    std::vector<float> rgba;
    for (const Vec3& face : faces)
        for (int texel = 0; texel < size * size; ++texel)
            rgba.insert(rgba.end(), {face.x, face.y, face.z, 1.0f});
    return rgba;
}

std::vector<float> Uniform(int size, float r, float g, float b)
{
    std::vector<float> rgba;
    for (int texel = 0; texel < size * size; ++texel)
        rgba.insert(rgba.end(), {r, g, b, 1.0f});
    return rgba;
}

// The clip-space position of the centre of a pixel of the kSize x kSize target.
float PixelX(int column)
{
    return (float(column) + 0.5f) / (kSize / 2) - 1.0f;
}
float PixelY(int row)
{
    return 1.0f - (float(row) + 0.5f) / (kSize / 2);
}
} // namespace

class PbrProgramTest : public ProgramTest
{
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        defaults.reset(CreateDefaultShaders());
        ASSERT_NE(defaults, nullptr);
        geometry.reset(CreateGeometry());
    }
    void TearDown() override
    {
        geometry.reset();
        defaults.reset();
        ProgramTest::TearDown();
    }

    std::unique_ptr<Shader> defaults;
    std::unique_ptr<Geometry> geometry;
};

TEST_F(PbrProgramTest, ShadedPixelsMatchTheReference)
{
    const Vec3 base{0.8f, 0.6f, 0.3f};
    const TextureHandle irradiance = MakeTexture(8, 8, CubeImage(kIrradiance, 8), CubeMap);
    const TextureHandle prefiltered = MakeTexture(8, 8, CubeImage(kPrefiltered, 8), CubeMap);
    const TextureHandle baseTexture = MakeTexture(4, 4, Uniform(4, base.x, base.y, base.z));
    const TextureHandle metalTexture = MakeTexture(4, 4, Uniform(4, 1.0f, 0.0f, 0.0f));
    const TextureHandle halfMetalTexture = MakeTexture(4, 4, Uniform(4, 0.5f, 0.0f, 0.0f));
    std::unique_ptr<Shader> pbr(CreatePbrShaders());
    ASSERT_NE(pbr, nullptr);

    struct Case
    {
        const char* what;
        Vec3 normal; // not normalised: the program normalises
        float roughness;
        float metallic;
        float metallicTexel;
    };
    const Case cases[] = {
        {"dielectric, r 0, facing", {0.0f, 0.0f, -3.0f}, 0.0f, 0.0f, 0.5f},
        {"dielectric, r 1, facing", {0.0f, 0.0f, -3.0f}, 1.0f, 0.0f, 0.5f},
        {"dielectric, r 0, grazing", {2.0f, 0.0f, 0.0f}, 0.0f, 0.0f, 0.5f},
        {"dielectric, r 1, grazing", {0.0f, 0.5f, 0.0f}, 1.0f, 0.0f, 0.5f},
        {"metal", {0.0f, 0.0f, -1.0f}, 0.3f, 1.0f, 1.0f},
        {"half metal, tilted", {0.5f, 0.0f, -1.0f}, 0.5f, 0.8f, 0.5f},
    };
    const Vec3 camera{0.0f, 0.0f, -10000.0f};
    const CubeFaces* irradianceFaces = &kIrradiance;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        // A screen-filling quad at depth 0.5; the identity matrices make clip space the world.
        MeshVertex vertices[4];
        const float corners[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
        for (int v = 0; v < 4; ++v)
            vertices[v] = {{corners[v][0], corners[v][1], 0.5f},
                           {c.normal.x, c.normal.y, c.normal.z},
                           {0.5f * corners[v][0] + 0.5f, 0.5f - 0.5f * corners[v][1]}};
        const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
        geometry.reset(CreateGeometry());
        ASSERT_TRUE(geometry->CreateVertexBuffer(vertices, sizeof(MeshVertex), 4));
        ASSERT_TRUE(geometry->CreateIndexBuffer(indices, 6));

        CBufferFrameData frame = IdentityFrame();
        frame.CameraLocation[0] = camera.x;
        frame.CameraLocation[1] = camera.y;
        frame.CameraLocation[2] = camera.z;
        SetFrame(frame);
        CBufferObjectData object = {};
        for (int i = 0; i < 4; ++i)
            object.TransformMatrix[i][i] = object.TransformMatrixIT[i][i] = 1.0f;
        SetObject(object);
        SetMaterial({{1.0f, 0.9f, 0.7f, 1.0f}, 0.5f, c.metallic, c.roughness, 0.0f});

        if (!target.color.value)
            BindFloatTarget(kSize, kSize);
        display->SetRenderTarget(target);
        // The PBR set has no layout of its own: it draws with the default set's mesh layout.
        defaults->Bind();
        pbr->Bind();
        display->BindTexture(0, irradiance);
        display->BindTexture(1, prefiltered);
        display->BindTexture(2, baseTexture);
        display->BindTexture(3, c.metallicTexel == 1.0f ? metalTexture : halfMetalTexture);
        geometry->BindVertexBuffer();
        geometry->BindIndexBuffer();
        geometry->Draw();
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

        const std::vector<float> pixels = ReadTarget();
        for (int row = 0; row < kSize; ++row)
            for (int column = 0; column < kSize; ++column)
            {
                const PbrInputs in{{PixelX(column), PixelY(row), 0.5f},
                                   c.normal,
                                   camera,
                                   base,
                                   {1.0f, 0.9f, 0.7f},
                                   c.metallicTexel,
                                   c.metallic,
                                   c.roughness};
                const Vec3 expected = PbrPixelReference(in, *irradianceFaces, kPrefiltered);
                const float* gpu = &pixels[(std::size_t(row) * kSize + std::size_t(column)) * 4];
                const float tolerance = 1e-4f;
                ASSERT_NEAR(gpu[0], expected.x, tolerance) << column << ", " << row;
                ASSERT_NEAR(gpu[1], expected.y, tolerance) << column << ", " << row;
                ASSERT_NEAR(gpu[2], expected.z, tolerance) << column << ", " << row;
                ASSERT_EQ(gpu[3], 1.0f);
            }
    }
}

TEST_F(PbrProgramTest, VertexProgramsPlaceAndDisplaceByTheRowVectorConvention)
{
    const GpuProgram probe = {"VaryingsProbePS", kVaryingsProbePS, sizeof kVaryingsProbePS - 1};
    // One point per pixel of a 16 x 16 target; the object matrix scales by 40 and moves by
    // (5, -3, 0), the view-projection undoes it, and normals point along +z with length 0.01.
    std::vector<MeshVertex> points;
    for (int row = 0; row < kSize; ++row)
        for (int column = 0; column < kSize; ++column)
            points.push_back({{PixelX(column), PixelY(row), 0.5f}, {0.0f, 0.0f, 0.01f}, {}});
    ASSERT_TRUE(geometry->CreateVertexBuffer(points.data(), sizeof(MeshVertex),
                                             std::uint32_t(points.size())));
    CBufferObjectData object = {};
    object.TransformMatrix[0][0] = object.TransformMatrix[1][1] = 40.0f;
    object.TransformMatrix[2][2] = object.TransformMatrix[3][3] = 1.0f;
    object.TransformMatrix[3][0] = 5.0f;
    object.TransformMatrix[3][1] = -3.0f;
    object.TransformMatrixIT[0][0] = object.TransformMatrixIT[1][1] = 1.0f / 40.0f;
    object.TransformMatrixIT[2][2] = object.TransformMatrixIT[3][3] = 1.0f;
    SetObject(object);
    BindFloatTarget(kSize, kSize);

    struct Case
    {
        const char* vertex;
        float time;
        Vec3 offset; // the noise offset the program must use; none for PbrVS
        bool displaced;
    };
    const Case cases[] = {
        {"PbrVS", 0.0f, {}, false},
        {"PbrNoiseVS", 0.0f, {0.0f, 1.0f, 1.0f}, true},
        {"PbrNoiseVS",
         2.5f,
         {float(std::sin(2.5)), float(std::cos(2.5)), float(std::cos(std::sin(2.5f)))},
         true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.vertex << " at time " << c.time);
        std::unique_ptr<Shader> set(
            CreateShaderSet({FindGpuProgram(c.vertex), &probe, &kMeshLayout}));
        ASSERT_NE(set, nullptr);
        CBufferFrameData frame = IdentityFrame();
        frame.ViewProjectionMatrix[0][0] = frame.ViewProjectionMatrix[1][1] = 1.0f / 40.0f;
        frame.ViewProjectionMatrix[3][0] = -5.0f / 40.0f;
        frame.ViewProjectionMatrix[3][1] = 3.0f / 40.0f;
        frame.Time = c.time;
        SetFrame(frame);
        display->SetRenderTarget(target);
        set->Bind();
        geometry->BindVertexBuffer();
        display->SetPrimitiveTopology(GL_POINTS);
        display->Draw(std::uint32_t(points.size()), 0);
        display->SetPrimitiveTopology(GL_TRIANGLES);
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

        const std::vector<float> pixels = ReadTarget();
        float largestShift = 0.0f;
        for (int row = 0; row < kSize; ++row)
            for (int column = 0; column < kSize; ++column)
            {
                const Vec3 world{40.0f * PixelX(column) + 5.0f, 40.0f * PixelY(row) - 3.0f, 0.5f};
                float z = world.z;
                if (c.displaced)
                {
                    const Vec3 q{0.075000003f * world.x + c.offset.x,
                                 0.075000003f * world.y + c.offset.y,
                                 0.075000003f * world.z + c.offset.z};
                    z += 0.01f * (12.0f * SimplexNoise3DReference(q));
                }
                const float* gpu = &pixels[(std::size_t(row) * kSize + std::size_t(column)) * 4];
                ASSERT_NEAR(gpu[0], world.x, 1e-4f) << column << ", " << row;
                ASSERT_NEAR(gpu[1], world.y, 1e-4f) << column << ", " << row;
                ASSERT_NEAR(gpu[2], z, 1e-5f) << column << ", " << row;
                largestShift = std::max(largestShift, std::fabs(z - 0.5f));
            }
        if (c.displaced)
        {
            EXPECT_GT(largestShift, 0.03f); // the noise really moves the points
        }
    }
}

TEST_F(PbrProgramTest, DefaultMaterialIgnoresTheObjectMatrixAndWritesNoWorldPosition)
{
    const GpuProgram probe = {"VaryingsProbePS", kVaryingsProbePS, sizeof kVaryingsProbePS - 1};
    std::vector<MeshVertex> points;
    for (int row = 0; row < kSize; ++row)
        for (int column = 0; column < kSize; ++column)
            points.push_back({{PixelX(column), PixelY(row), 0.5f}, {0.0f, 0.0f, 1.0f}, {}});
    ASSERT_TRUE(geometry->CreateVertexBuffer(points.data(), sizeof(MeshVertex),
                                             std::uint32_t(points.size())));
    // An object matrix that would push every point off the target if it were applied.
    CBufferObjectData object = {};
    for (int i = 0; i < 4; ++i)
        object.TransformMatrix[i][i] = object.TransformMatrixIT[i][i] = 1.0f;
    object.TransformMatrix[3][0] = 7.0f;
    SetObject(object);
    SetFrame(IdentityFrame());
    BindFloatTarget(kSize, kSize);
    std::unique_ptr<Shader> set(
        CreateShaderSet({FindGpuProgram("MaterialDefaultVS"), &probe, &kMeshLayout}));
    ASSERT_NE(set, nullptr);
    set->Bind();
    geometry->BindVertexBuffer();
    display->SetPrimitiveTopology(GL_POINTS);
    display->Draw(std::uint32_t(points.size()), 0);
    display->SetPrimitiveTopology(GL_TRIANGLES);

    const std::vector<float> pixels = ReadTarget();
    for (std::size_t p = 0; p < pixels.size(); p += 4)
    {
        ASSERT_EQ(pixels[p], 0.0f) << p / 4;
        ASSERT_EQ(pixels[p + 1], 0.0f) << p / 4;
        ASSERT_EQ(pixels[p + 2], 0.0f) << p / 4;
    }
}
