// The generated scenes through the timeline's own cameras: each shot keeps its subject in frame
// and no camera runs into the geometry.
#include "Mesh.h"
#include "SceneDraw.h"
#include "TestFiles.h"
#include "Timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace
{

using assets::Vec3;

struct Shot
{
    Matrix4 viewProjection;
    Vec3 eye;
};

Shot ShotAt(SegmentKind kind, std::int32_t shot, float musicTime, float segmentTime, float bass)
{
    std::array<float, kSpectrumSize> spectrum{};
    spectrum[1] = bass;
    const CameraShot s =
        ComputeCameraShot(kind, shot, musicTime, segmentTime, SpectrumView(spectrum));
    SceneNode target;
    CameraNode camera;
    InitCamera(camera, target);
    camera.transform.position = s.position;
    target.transform.position = s.target;
    camera.roll = s.roll;
    return {Multiply(ComputeViewMatrix(camera), ComputeProjectionMatrix(camera)),
            {s.position.x, s.position.y, s.position.z}};
}

// Normalised device coordinates and depth, or nothing for a point behind the camera.
std::optional<std::array<float, 3>> Project(const Shot& shot, Vec3 p)
{
    const Matrix4& m = shot.viewProjection;
    const float c[3] = {p.x, p.y, p.z};
    float clip[4];
    for (int col = 0; col < 4; ++col)
        clip[col] = c[0] * m.m[0][col] + c[1] * m.m[1][col] + c[2] * m.m[2][col] + m.m[3][col];
    if (clip[3] <= 1.0f)
        return std::nullopt;
    return std::array<float, 3>{clip[0] / clip[3], clip[1] / clip[3], clip[3]};
}

bool InFrame(const Shot& shot, Vec3 p, float margin = 0.97f)
{
    const auto ndc = Project(shot, p);
    return ndc && std::fabs((*ndc)[0]) <= margin && std::fabs((*ndc)[1]) <= margin;
}

std::vector<Vec3> Positions(const LoadedScene& scene, std::uint32_t mesh, float scale = 1,
                            Vec3 offset = {0, 0, 0})
{
    std::vector<Vec3> points;
    for (const MeshVertex& v : scene.Vertices(mesh))
        points.push_back(Vec3{v.position[0], v.position[1], v.position[2]} * scale + offset);
    return points;
}

float Nearest(const std::vector<Vec3>& points, Vec3 eye)
{
    float nearest = 1e30f;
    for (const Vec3& p : points)
        nearest = std::min(nearest, assets::Length(p - eye));
    return nearest;
}

// The Greets targets are the centres of the five words; the sixth shot looks at the emblems.
constexpr int kWords = 5;
const Vec3 kWordCentres[kWords] = {
    {317, 0, -75}, {64, 0, -230}, {-240, 0, -115}, {-245, 0, 170}, {120, 0, 220}};

int NearestWord(Vec3 p)
{
    int nearest = 0;
    for (int w = 1; w < kWords; ++w)
        if (assets::Length(p - kWordCentres[w]) < assets::Length(p - kWordCentres[nearest]))
            nearest = w;
    return nearest;
}

struct Triangle
{
    Vec3 a, b, c;
};

void AddTriangles(std::vector<Triangle>& out, const std::vector<Vec3>& points,
                  const std::vector<std::uint16_t>& indices)
{
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
        out.push_back({points[indices[i]], points[indices[i + 1]], points[indices[i + 2]]});
}

// Whether the segment from `eye` to just short of `p` passes through the triangle.
bool Crosses(Vec3 eye, Vec3 p, const Triangle& t)
{
    const Vec3 d = (p - eye) * 0.999f;
    const Vec3 e1 = t.b - t.a, e2 = t.c - t.a;
    const Vec3 h = assets::Cross(d, e2);
    const float det = assets::Dot(e1, h);
    if (std::fabs(det) < 1e-9f)
        return false;
    const Vec3 s = eye - t.a;
    const float u = assets::Dot(s, h) / det;
    const Vec3 q = assets::Cross(s, e1);
    const float v = assets::Dot(d, q) / det;
    const float along = assets::Dot(e2, q) / det;
    return u >= 0 && v >= 0 && u + v <= 1 && along > 0 && along < 1;
}

TEST(ShotFraming, GreetsShotsShowTheirWordWholeAndUnhiddenAndTheCamerasClearTheHall)
{
    LoadedScene scene(ReadDataFile("greets.bin"));
    ASSERT_TRUE(scene.Loaded());
    // Everything drawn, as triangles: the hall, the boards, the pedestal at rest and at the
    // loudest pulse, the emblem at its three places, and the letters, each word apart.
    std::vector<Triangle> solid, letters[kWords];
    std::vector<Vec3> points;
    auto add = [&](std::uint32_t mesh, float scale, Vec3 offset)
    {
        const std::vector<Vec3> p = Positions(scene, mesh, scale, offset);
        AddTriangles(solid, p, scene.Indices(mesh));
        points.insert(points.end(), p.begin(), p.end());
    };
    for (std::uint32_t mesh : {0u, 4u})
        add(mesh, 1, {0, 0, 0});
    for (float scale : {0.965f, 1.315f})
        add(5, scale, {0, 0, 0});
    for (int k = 0; k < 3; ++k)
        add(3, 0.75f + 0.1f * k, {0, 100.0f * static_cast<float>(k) - 100, 0});
    std::vector<Vec3> words[kWords];
    for (std::uint32_t mesh : {1u, 2u})
    {
        std::vector<Triangle> triangles;
        AddTriangles(triangles, Positions(scene, mesh), scene.Indices(mesh));
        for (const Triangle& t : triangles)
        {
            const int w = NearestWord(t.a);
            letters[w].push_back(t);
            for (Vec3 p : {t.a, t.b, t.c})
                words[w].push_back(p);
            points.insert(points.end(), {t.a, t.b, t.c});
        }
    }
    for (std::int32_t shot = 0; shot <= LastShot(Greets); ++shot)
    {
        for (float L = 0; L <= 10; L += 0.5f)
        {
            SCOPED_TRACE(testing::Message() << "shot " << shot << " at L = " << L);
            const Shot view = ShotAt(Greets, shot, 100, L, 0);
            EXPECT_GT(Nearest(points, view.eye), 12.0f);
            if (shot >= kWords)
                continue;
            const std::vector<Vec3>& word = words[shot];
            EXPECT_TRUE(
                std::all_of(word.begin(), word.end(), [&](Vec3 p) { return InFrame(view, p); }));
            // Every corner of the letters in sight of the camera, every other second.
            if (std::fmod(L, 2) != 0)
                continue;
            std::vector<Triangle> others = solid;
            for (int w = 0; w < kWords; ++w)
                if (w != shot)
                    others.insert(others.end(), letters[w].begin(), letters[w].end());
            int hidden = 0;
            for (std::size_t i = 0; i < word.size(); i += 3)
                hidden +=
                    std::any_of(others.begin(), others.end(),
                                [&](const Triangle& t) { return Crosses(view.eye, word[i], t); });
            EXPECT_EQ(hidden, 0);
        }
    }
}

TEST(ShotFraming, GrinderShotsTakeInTheWheelsAndTheCloseShotStandsOffTheirFaces)
{
    LoadedScene scene(ReadDataFile("grinder.bin"));
    ASSERT_TRUE(scene.Loaded());
    // Each shaft carries a wheel at the back and a pinion nearer the cameras.
    struct Wheel
    {
        float front = 1e30f, tip = 0;
    } wheel, pinion;
    for (const Vec3& p : Positions(scene, 1))
    {
        Wheel& w = p.z > 100 ? wheel : pinion;
        w.front = std::min(w.front, p.z);
        w.tip = std::max(w.tip, std::hypot(p.x, p.y));
    }
    ASSERT_GT(pinion.tip, 0.0f);
    const Vec3 centres[3] = {{-140, -130, 0}, {140, -130, 0}, {0, 100, 0}};
    // The wheels turn, so their tip circles stand for them: the share of one in frame.
    auto inFrame = [&](const Shot& shot, Vec3 centre, const Wheel& w)
    {
        int in = 0;
        for (int i = 0; i < 32; ++i)
        {
            const float a = 2 * assets::kPi * static_cast<float>(i) / 32;
            in += InFrame(shot, centre + Vec3{w.tip * std::cos(a), w.tip * std::sin(a), w.front},
                          1.0f);
        }
        return static_cast<float>(in) / 32;
    };
    for (float L = 0; L <= 22; L += 1)
    {
        for (float bass : {0.0f, 0.5f})
        {
            SCOPED_TRACE(testing::Message() << "L = " << L << ", bass " << bass);
            const Shot wide = ShotAt(Grinder, 0, 105 + L, L, bass);
            for (const Vec3& c : centres)
                EXPECT_EQ(inFrame(wide, c, wheel), 1.0f);
            // The close shot (1) looks along the faces: from a few units it saw only the nearest
            // rim, and past the rims no wheel but their edges. Its line of sight passes 100 or
            // more from every shaft, so no wheel on them can be much more than half in it; the
            // other shots have most of one.
            EXPECT_GT(pinion.front - ShotAt(Grinder, 1, 105 + L, L, bass).eye.z, 60.0f);
            for (std::int32_t shot = 1; shot <= LastShot(Grinder); ++shot)
            {
                const Shot view = ShotAt(Grinder, shot, 105 + L, L, bass);
                float most = 0;
                for (const Vec3& c : centres)
                    most = std::max({most, inFrame(view, c, wheel), inFrame(view, c, pinion)});
                EXPECT_GT(most, shot == 1 ? 0.5f : 0.75f) << "shot " << shot;
            }
        }
    }
}

TEST(ShotFraming, RingsStandOutsideTheParticleColumnAndInsideTheOrbit)
{
    LoadedScene scene(ReadDataFile("rings.bin"));
    ASSERT_TRUE(scene.Loaded());
    float inner = 1e30f, outer = 0, half = 0;
    for (const Vec3& p : Positions(scene, 2))
    {
        inner = std::min(inner, std::hypot(p.x, p.z));
        outer = std::max(outer, std::hypot(p.x, p.z));
        half = std::max(half, std::fabs(p.y));
    }
    // Quiet, a ring stands 90 or more from the axis, round the dense core of the column.
    EXPECT_GT(inner * 0.57f, 90.0f);
    // Rings 1 to 19 follow treble bins; at a reading of 0.025 no camera touches one.
    const float scale = 0.57f + 10.95f * 0.025f;
    for (std::int32_t shot = 0; shot <= LastShot(Rings); ++shot)
        for (float t = 61; t <= 83; t += 0.1f)
        {
            const Vec3 eye = ShotAt(Rings, shot, t, t - 61, 0).eye;
            const float axis = std::hypot(eye.x, eye.z);
            for (int i = 1; i < 20; ++i)
            {
                const float level = 100.0f + 40.0f * static_cast<float>(i);
                const bool levelWith = std::fabs(eye.y - level) < half * scale + 2;
                EXPECT_FALSE(levelWith && axis < outer * scale + 2)
                    << "shot " << shot << " at " << t << " s meets ring " << i;
            }
        }
}

} // namespace

namespace
{

TEST(ShotFraming, Scene01FloorStaysBelowTheGyroscope)
{
    // The gyroscope rides at 50 +- 15 and reaches 12.5 from its centre; every shot looks down on
    // it, so anything taller on the floor stands between them.
    LoadedScene scene(ReadDataFile("scene01.bin"));
    ASSERT_TRUE(scene.Loaded());
    for (const Vec3& p : Positions(scene, 5))
        ASSERT_LT(p.y, 35 - 12.7f);
}

} // namespace
