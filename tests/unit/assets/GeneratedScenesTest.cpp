// The eight generated scene files: they load cleanly and fit the cameras of their segments.
#include "Mesh.h"
#include "SceneLoad.h"
#include "Scenes.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{

using assets::Cross;
using assets::Dot;
using assets::Vec3;

struct SceneCase
{
    const char* file;
    std::uint32_t requiredMeshes; // the highest mesh index its script draws, plus one
};

const SceneCase kScenes[] = {{"rings.bin", 5}, {"scene01.bin", 6}, {"tunnel.bin", 4},
                             {"logo.bin", 2},  {"greets.bin", 6},  {"grinder.bin", 3},
                             {"tarv.bin", 3},  {"sphere.bin", 2}};

Vec3 Position(const MeshVertex& v)
{
    return {v.position[0], v.position[1], v.position[2]};
}
Vec3 Normal(const MeshVertex& v)
{
    return {v.normal[0], v.normal[1], v.normal[2]};
}

void PrintTo(const SceneCase& c, std::ostream* os)
{
    *os << c.file;
}

class GeneratedScene : public ::testing::TestWithParam<SceneCase>
{
};

TEST_P(GeneratedScene, LoadsWithoutErrorsAndHasItsMeshes)
{
    const std::vector<std::uint8_t> bytes = ReadDataFile(GetParam().file);
    ASSERT_FALSE(bytes.empty()) << "missing " << GetParam().file;
    LoadedScene scene(bytes);
    ASSERT_TRUE(scene.Loaded());
    EXPECT_FALSE(HasErrorLine());
    EXPECT_GE(scene.MeshNodeCount(), GetParam().requiredMeshes);
    // The file on disk holds the builder's meshes in its order: mesh node k is mesh k.
    const std::string stem =
        std::string(GetParam().file).substr(0, std::string(GetParam().file).find('.'));
    const assets::Scene built = assets::BuildScene(stem);
    ASSERT_EQ(scene.MeshNodeCount(), built.meshes.size());
    for (std::uint32_t k = 0; k < scene.MeshNodeCount(); ++k)
    {
        EXPECT_STREQ(scene.Mesh(k).name, built.meshes[k].name.c_str()) << k;
        EXPECT_EQ(scene.Vertices(k).size(), built.meshes[k].mesh.vertices.size()) << k;
    }
    // Far inside what a scene file may ask of the GPU.
    ByteCursor cursor(bytes);
    cursor.Skip(512);
    SceneData data;
    ASSERT_TRUE(ReadSceneData(cursor, data));
    EXPECT_LT(SceneGeometryBytes(data), kMaxSceneGeometryBytes / 10);
}

TEST_P(GeneratedScene, MeshesHaveUnitNormalsClampedTexcoordsAndOutwardFaces)
{
    LoadedScene scene(ReadDataFile(GetParam().file));
    ASSERT_TRUE(scene.Loaded());
    for (std::uint32_t k = 0; k < scene.MeshNodeCount(); ++k)
    {
        SCOPED_TRACE(scene.Mesh(k).name);
        const std::vector<MeshVertex> v = scene.Vertices(k);
        const std::vector<std::uint16_t> idx = scene.Indices(k);
        ASSERT_FALSE(v.empty());
        ASSERT_FALSE(idx.empty());
        for (const MeshVertex& vertex : v)
        {
            ASSERT_NEAR(std::sqrt(Dot(Normal(vertex), Normal(vertex))), 1.0f, 1e-3f);
            ASSERT_GE(vertex.texcoord[0], 0.0f);
            ASSERT_LE(vertex.texcoord[0], 1.0f);
            ASSERT_GE(vertex.texcoord[1], 0.0f);
            ASSERT_LE(vertex.texcoord[1], 1.0f);
        }
        // Clockwise seen from where the normals point, so back-face culling keeps them.
        std::size_t agreeing = 0;
        for (std::size_t f = 0; f < idx.size(); f += 3)
        {
            ASSERT_LT(std::max({idx[f], idx[f + 1], idx[f + 2]}), v.size());
            const Vec3 a = Position(v[idx[f]]), b = Position(v[idx[f + 1]]),
                       c = Position(v[idx[f + 2]]);
            const Vec3 n = Normal(v[idx[f]]) + Normal(v[idx[f + 1]]) + Normal(v[idx[f + 2]]);
            agreeing += Dot(Cross(b - a, c - a), n) > 0 ? 1 : 0;
        }
        EXPECT_EQ(agreeing, idx.size() / 3);
    }
}

INSTANTIATE_TEST_SUITE_P(AllScenes, GeneratedScene, ::testing::ValuesIn(kScenes),
                         [](const auto& info)
                         {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

struct Extent
{
    float minRadialY = 1e30f, maxRadialY = 0; // distance from the Y axis
    float minRadius = 1e30f, maxRadius = 0;   // distance from the origin
    float maxRadialZ = 0;                     // distance from the Z axis
    Vec3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
};

Extent MeasureMesh(const LoadedScene& scene, std::uint32_t k)
{
    Extent e;
    for (const MeshVertex& v : scene.Vertices(k))
    {
        const Vec3 p = Position(v);
        const float radialY = std::hypot(p.x, p.z), radius = std::sqrt(Dot(p, p));
        e.minRadialY = std::min(e.minRadialY, radialY);
        e.maxRadialY = std::max(e.maxRadialY, radialY);
        e.minRadius = std::min(e.minRadius, radius);
        e.maxRadius = std::max(e.maxRadius, radius);
        e.maxRadialZ = std::max(e.maxRadialZ, std::hypot(p.x, p.y));
        e.lo = {std::min(e.lo.x, p.x), std::min(e.lo.y, p.y), std::min(e.lo.z, p.z)};
        e.hi = {std::max(e.hi.x, p.x), std::max(e.hi.y, p.y), std::max(e.hi.z, p.z)};
    }
    return e;
}

TEST(GeneratedScenesFit, TunnelLeavesRoomForTheCameraAndStacksEvery210Units)
{
    // The camera runs about 70.7 units off the axis; the sections repeat every 210 units.
    LoadedScene scene(ReadDataFile("tunnel.bin"));
    ASSERT_TRUE(scene.Loaded());
    for (std::uint32_t k = 1; k <= 3; ++k)
    {
        const Extent e = MeasureMesh(scene, k);
        EXPECT_GT(e.minRadialY, 80.0f) << k;
        EXPECT_GE(e.lo.y, 0.0f) << k;
        EXPECT_LE(e.hi.y, 210.0f) << k;
    }
    EXPECT_GT(MeasureMesh(scene, 0).minRadialY, MeasureMesh(scene, 1).maxRadialY);
}

TEST(GeneratedScenesFit, GrinderWheelsMeshWithoutCrossingAxles)
{
    // Wheel centres (-140, -130), (140, -130), (0, 100): closest pair 269.3 apart. Tips reach
    // past the neighbour's root circle but not its hub, and the hub stays out of the camera
    // at z = -19.
    LoadedScene scene(ReadDataFile("grinder.bin"));
    ASSERT_TRUE(scene.Loaded());
    const float closest = std::hypot(140.0f, 230.0f);
    const Extent wheel = MeasureMesh(scene, 1), hub = MeasureMesh(scene, 2);
    EXPECT_GT(2 * wheel.maxRadialZ, closest - 10);
    EXPECT_LT(wheel.maxRadialZ, closest / 2);
    EXPECT_GT(wheel.lo.z, -19.0f);
    EXPECT_GT(hub.lo.z, -19.0f);
    EXPECT_LT(MeasureMesh(scene, 0).maxRadius, 20.0f); // the flying pieces stay small
}

TEST(GeneratedScenesFit, CloseCamerasStayOutsideTheirObjects)
{
    struct Case
    {
        const char* file;
        std::uint32_t mesh;
        float grown;          // the largest scale or displacement the script applies
        float cameraDistance; // the nearest the segment's cameras come to the object's centre
    };
    // Sphere: noise displacement up to 12; nearest shot-1 camera about 47 from the origin.
    // Scene01: objects scaled by up to 1 + S[k] (about 1.45 at the loudest); the shot-3 camera
    // sits d√2 from them with d = 10 - 2 S[1] ≥ 9, so at least 12.7 away.
    // Logo: the camera is 19 to 24 units in front of the title.
    const Case cases[] = {{"sphere.bin", 1, 12, 47},        {"sphere.bin", 0, 0, 47},
                          {"scene01.bin", 4, 1.45f, 12.7f}, {"scene01.bin", 3, 1.45f, 12.7f},
                          {"scene01.bin", 2, 1.45f, 12.7f}, {"scene01.bin", 1, 1.45f, 12.7f}};
    for (const Case& c : cases)
    {
        LoadedScene scene(ReadDataFile(c.file));
        ASSERT_TRUE(scene.Loaded());
        const Extent e = MeasureMesh(scene, c.mesh);
        const float reach = c.file == std::string("sphere.bin") && c.mesh == 1
                                ? e.maxRadius + c.grown
                                : e.maxRadius * c.grown;
        EXPECT_LT(reach, c.cameraDistance) << c.file << " mesh " << c.mesh;
    }
    LoadedScene logo(ReadDataFile("logo.bin"));
    ASSERT_TRUE(logo.Loaded());
    const Extent title = MeasureMesh(logo, 0);
    EXPECT_LT(title.lo.z, title.hi.z);
    EXPECT_GT(title.lo.z, -5.0f); // well in front of the camera at z = -19
    // Drawn again at scale 1.05, it still fits the view width 19 units away (60° high, 16:9).
    const float viewWidth = 2 * 19 * std::tan(1.0471667f / 2) * 1.7777778f;
    EXPECT_LT(1.05f * (title.hi.x - title.lo.x), 0.95f * viewWidth);
}

} // namespace

namespace
{

TEST(GeneratedScenesFit, NormalsPointOutOfTheDisplacedSphereAndTheWheelRims)
{
    // The noise displacement moves vertices along their normals: inward normals would dent the
    // sphere where it should bulge. The wheel's teeth are lit by their outward wall normals.
    LoadedScene sphere(ReadDataFile("sphere.bin"));
    ASSERT_TRUE(sphere.Loaded());
    for (const MeshVertex& v : sphere.Vertices(1))
        ASSERT_GT(Dot(Normal(v), Position(v)), 0.99f * std::sqrt(Dot(Position(v), Position(v))));

    LoadedScene grinder(ReadDataFile("grinder.bin"));
    ASSERT_TRUE(grinder.Loaded());
    std::size_t rimVertices = 0;
    for (const MeshVertex& v : grinder.Vertices(1))
    {
        const Vec3 p = Position(v), n = Normal(v);
        if (std::hypot(p.x, p.y) > 117 && std::fabs(n.z) < 0.5f)
        {
            ++rimVertices;
            EXPECT_GT(n.x * p.x + n.y * p.y, 0) << p.x << ", " << p.y;
        }
    }
    EXPECT_GT(rimVertices, 100u);
}

} // namespace
