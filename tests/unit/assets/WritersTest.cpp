// The scene and DDS writers, read back through the project's own readers.
#include "DDSTexture.h"
#include "Dds.h"
#include "Mesh.h"
#include "SceneWriter.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

using namespace assets;

Scene ThreeMeshScene()
{
    Scene scene{"test", {}};
    scene.meshes.push_back({"box", Box({1, 2, 3}, {1, 2, 3})});
    scene.meshes.push_back({"sphere", Sphere(5, 12, 6)});
    scene.meshes.push_back({"quad", DoubleQuad({0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1})});
    return scene;
}

TEST(SceneWriter, MeshNodesComeOutInSceneOrderWithTheAuthoredGeometry)
{
    const Scene scene = ThreeMeshScene();
    const std::vector<std::uint8_t> bytes = WriteScene(scene);
    LoadedScene loaded(bytes);
    ASSERT_TRUE(loaded.Loaded());
    EXPECT_FALSE(HasErrorLine());
    ASSERT_EQ(loaded.MeshNodeCount(), scene.meshes.size());
    for (std::uint32_t k = 0; k < scene.meshes.size(); ++k)
    {
        SCOPED_TRACE(scene.meshes[k].name);
        EXPECT_STREQ(loaded.Mesh(k).name, scene.meshes[k].name.c_str());
        const Mesh& authored = scene.meshes[k].mesh;
        const std::vector<MeshVertex> vertices = loaded.Vertices(k);
        ASSERT_EQ(vertices.size(), authored.vertices.size());
        for (std::size_t i = 0; i < vertices.size(); ++i)
        {
            const Vertex& a = authored.vertices[i];
            EXPECT_EQ(vertices[i].position[0], a.position.x);
            EXPECT_EQ(vertices[i].position[1], a.position.y);
            EXPECT_EQ(vertices[i].position[2], a.position.z);
            EXPECT_EQ(vertices[i].normal[0], a.normal.x);
            EXPECT_EQ(vertices[i].normal[1], a.normal.y);
            EXPECT_EQ(vertices[i].normal[2], a.normal.z);
            EXPECT_EQ(vertices[i].texcoord[0], a.u);
            EXPECT_EQ(vertices[i].texcoord[1], a.v);
        }
        const std::vector<std::uint16_t> indices = loaded.Indices(k);
        ASSERT_EQ(indices.size(), authored.indices.size());
        for (std::size_t i = 0; i < indices.size(); ++i)
            EXPECT_EQ(indices[i], authored.indices[i]);
    }
}

TEST(SceneWriter, FacesAreWoundOutwardAfterTheLoadersSwap)
{
    // A closed box: every face's (b - a) x (c - a) must point away from the centre.
    Scene scene{"box", {{"box", Box({0, 0, 0}, {1, 1, 1})}}};
    LoadedScene loaded(WriteScene(scene));
    ASSERT_TRUE(loaded.Loaded());
    const std::vector<MeshVertex> v = loaded.Vertices(0);
    const std::vector<std::uint16_t> idx = loaded.Indices(0);
    ASSERT_EQ(idx.size(), 36u);
    for (std::size_t f = 0; f < idx.size(); f += 3)
    {
        auto p = [&](int c)
        {
            const float* q = v[idx[f + c]].position;
            return Vec3{q[0], q[1], q[2]};
        };
        const Vec3 n = Cross(p(1) - p(0), p(2) - p(0));
        EXPECT_GT(Dot(n, (p(0) + p(1) + p(2)) * (1.0f / 3)), 0) << "face " << f / 3;
    }
}

TEST(SceneWriter, MeshSizeLimits)
{
    // 65536 vertices and faces are the most a 16-bit index mesh may have.
    auto strip = [](std::size_t vertexCount, std::size_t faceCount)
    {
        Mesh mesh;
        for (std::size_t i = 0; i < vertexCount; ++i)
            mesh.vertices.push_back({{static_cast<float>(i), 0, 0}, {0, 1, 0}, 0, 0});
        for (std::size_t f = 0; f < faceCount; ++f)
            mesh.indices.insert(mesh.indices.end(), {0, 1, 2});
        return Scene{"limits", {{"strip", mesh}}};
    };
    EXPECT_NO_THROW(WriteScene(strip(65536, 65536)));
    EXPECT_THROW(WriteScene(strip(65537, 10)), std::runtime_error);
    EXPECT_THROW(WriteScene(strip(10, 65537)), std::runtime_error);
    EXPECT_THROW(WriteScene(strip(0, 0)), std::runtime_error);
}

TEST(TextMesh, RefusesLettersItCannotDraw)
{
    float width = 0;
    EXPECT_NO_THROW(TextMesh("OMBREL GREETINGS", 6, 1, 1, &width));
    EXPECT_GT(width, 0);
    EXPECT_THROW(TextMesh("OMBREL!", 6, 1, 1, &width), std::runtime_error);
}

struct DdsCase
{
    const char* name;
    std::uint32_t width, height, levels;
    bool cube;
    DdsFormat format;
    PixelFormat expected;
    std::size_t createdBytesPerPixel; // after widening
};

void PrintTo(const DdsCase& c, std::ostream* os)
{
    *os << c.name;
}

class DdsWriter : public ::testing::TestWithParam<DdsCase>
{
};

TEST_P(DdsWriter, ParsesToTheIntendedTexture)
{
    const DdsCase& c = GetParam();
    const std::size_t size = DdsPixelBytes(c.width, c.height, c.levels, c.cube, c.format);
    std::vector<std::uint8_t> pixels(size);
    for (std::size_t i = 0; i < size; ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 7);
    const std::vector<std::uint8_t> file =
        WriteDds(c.width, c.height, c.levels, c.cube, c.format, pixels);
    EXPECT_EQ(file.size(), 128 + size);
    TextureDesc desc;
    ASSERT_TRUE(ParseDDS(file, desc));
    EXPECT_EQ(desc.width, c.width);
    EXPECT_EQ(desc.height, c.height);
    EXPECT_EQ(desc.levels, c.levels);
    EXPECT_EQ(desc.cubeMap, c.cube ? 1u : 0u);
    EXPECT_EQ(desc.format, c.expected);
    if (c.format == DdsFormat::Rgb24)
    {
        ASSERT_GE(desc.pixelBytes, std::size_t{4} * c.width * c.height);
        // Stored blue, green, red: the widened pixel is red, green, blue, 255.
        EXPECT_EQ(desc.pixels[0], pixels[2]);
        EXPECT_EQ(desc.pixels[2], pixels[0]);
        EXPECT_EQ(desc.pixels[3], 255);
    }
    else
    {
        EXPECT_EQ(desc.pixelBytes, size);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DdsWriter,
    ::testing::Values(DdsCase{"HalfCubeWithMips", 16, 16, 5, true, DdsFormat::Rgba16F, RGBA16F, 8},
                      DdsCase{"HalfCubeOneLevel", 8, 8, 1, true, DdsFormat::Rgba16F, RGBA16F, 8},
                      DdsCase{"Rgb24", 6, 4, 1, false, DdsFormat::Rgb24, RGBA8, 4},
                      DdsCase{"Grey", 5, 3, 1, false, DdsFormat::Luminance8, R8, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DdsWriterSizes, RefusesDataThatDoesNotMatch)
{
    EXPECT_THROW(WriteDds(4, 4, 1, false, DdsFormat::Rgb24, std::vector<std::uint8_t>(47)),
                 std::invalid_argument);
    EXPECT_THROW(WriteDds(4, 4, 4, false, DdsFormat::Luminance8, std::vector<std::uint8_t>(22)),
                 std::invalid_argument); // a 4×4 image has three levels, not four
    EXPECT_EQ(DdsPixelBytes(128, 128, 8, true, DdsFormat::Rgba16F), 6u * 174760u);
}

TEST(FloatToHalf, RoundsToNearestAndSaturatesToInfinity)
{
    struct Case
    {
        float in;
        std::uint16_t out;
    };
    const Case cases[] = {
        {0.0f, 0x0000},
        {-0.0f, 0x8000},
        {1.0f, 0x3C00},
        {-2.0f, 0xC000},
        {0.5f, 0x3800},
        {65504.0f, 0x7BFF},
        {65520.0f, 0x7C00},
        {1e6f, 0x7C00},
        {0.1f, 0x2E66},
        {6.1035156e-5f, 0x0400},
        {5.9604645e-8f, 0x0001},
        {1e-9f, 0x0000},
        {1.0009765625f, 0x3C01},
        {1.00048828125f, 0x3C00}, // a tie rounds to even
        {std::numeric_limits<float>::infinity(), 0x7C00},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToHalf(c.in), c.out) << c.in;
    EXPECT_EQ(FloatToHalf(std::nanf("")) & 0x7C00, 0x7C00);
    EXPECT_NE(FloatToHalf(std::nanf("")) & 0x03FF, 0);
}

} // namespace
