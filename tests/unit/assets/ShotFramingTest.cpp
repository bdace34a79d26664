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
    float roll;
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
            {s.position.x, s.position.y, s.position.z},
            s.roll};
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

TEST(ShotFraming, GreetsShotsShowTheirWordWholeAndTheCamerasClearTheHall)
{
    LoadedScene scene(ReadDataFile("greets.bin"));
    ASSERT_TRUE(scene.Loaded());
    // Word meshes 1 and 2 hold the letters; each vertex belongs to the nearest word centre.
    std::vector<Vec3> words[kWords];
    for (std::uint32_t mesh : {1u, 2u})
        for (const Vec3& p : Positions(scene, mesh))
        {
            int nearest = 0;
            for (int w = 1; w < kWords; ++w)
                if (assets::Length(p - kWordCentres[w]) < assets::Length(p - kWordCentres[nearest]))
                    nearest = w;
            words[nearest].push_back(p);
        }
    // Everything drawn: the hall, boards, the pedestal at rest and at the loudest pulse, and the
    // emblem at its three places.
    std::vector<Vec3> solid;
    for (std::uint32_t mesh : {0u, 1u, 2u, 4u})
        for (const Vec3& p : Positions(scene, mesh))
            solid.push_back(p);
    for (float scale : {0.965f, 1.315f})
        for (const Vec3& p : Positions(scene, 5, scale))
            solid.push_back(p);
    std::vector<Vec3> emblems;
    for (int k = 0; k < 3; ++k)
        for (const Vec3& p :
             Positions(scene, 3, 0.75f + 0.1f * k, {0, 100.0f * static_cast<float>(k) - 100, 0}))
            emblems.push_back(p);
    solid.insert(solid.end(), emblems.begin(), emblems.end());
    // Nothing of the emblems in front of the word within the rectangle its letters cover, on the
    // picture turned back by the roll (of the two turns, the one that lays the word flat).
    auto hidesWord =
        [](const Shot& view, const std::vector<Vec3>& word, const std::vector<Vec3>& other)
    {
        bool hidden[2] = {false, false};
        float height[2] = {0, 0};
        for (int turn = 0; turn < 2; ++turn)
        {
            const float c = std::cos(view.roll), s = (turn ? -1 : 1) * std::sin(view.roll);
            auto flat = [&](const std::array<float, 3>& q)
            {
                const float x = q[0] * 1.7777778f;
                return std::array<float, 3>{c * x - s * q[1], s * x + c * q[1], q[2]};
            };
            float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f}, nearest = 1e30f;
            for (const Vec3& p : word)
                if (const auto q = Project(view, p))
                {
                    const auto f = flat(*q);
                    for (int i = 0; i < 2; ++i)
                    {
                        lo[i] = std::min(lo[i], f[i]);
                        hi[i] = std::max(hi[i], f[i]);
                    }
                    nearest = std::min(nearest, f[2]);
                }
            height[turn] = hi[1] - lo[1];
            hidden[turn] = std::any_of(other.begin(), other.end(),
                                       [&](Vec3 p)
                                       {
                                           const auto q = Project(view, p);
                                           if (!q)
                                               return false;
                                           const auto f = flat(*q);
                                           return f[2] < nearest && f[0] > lo[0] && f[0] < hi[0] &&
                                                  f[1] > lo[1] && f[1] < hi[1];
                                       });
        }
        return height[0] < height[1] ? hidden[0] : hidden[1];
    };
    for (std::int32_t shot = 0; shot <= LastShot(Greets); ++shot)
    {
        for (float L = 0; L <= 10; L += 0.5f)
        {
            SCOPED_TRACE(testing::Message() << "shot " << shot << " at L = " << L);
            const Shot view = ShotAt(Greets, shot, 100, L, 0);
            if (shot < kWords)
            {
                const std::vector<Vec3>& word = words[shot];
                EXPECT_TRUE(std::all_of(word.begin(), word.end(),
                                        [&](Vec3 p) { return InFrame(view, p); }));
                EXPECT_FALSE(hidesWord(view, word, emblems));
            }
            EXPECT_GT(Nearest(solid, view.eye), 12.0f);
        }
    }
}

TEST(ShotFraming, GrinderWideShotTakesInTheWheelsAndTheCloseShotStandsOffTheirFaces)
{
    LoadedScene scene(ReadDataFile("grinder.bin"));
    ASSERT_TRUE(scene.Loaded());
    const std::vector<Vec3> wheel = Positions(scene, 1);
    float front = 1e30f, tip = 0;
    for (const Vec3& p : wheel)
    {
        front = std::min(front, p.z);
        tip = std::max(tip, std::hypot(p.x, p.y));
    }
    const Vec3 centres[3] = {{-140, -130, 0}, {140, -130, 0}, {0, 100, 0}};
    // The wheels turn, so their tip circles stand for them.
    for (float L = 0; L <= 22; L += 1)
    {
        for (float bass : {0.0f, 0.5f})
        {
            const Shot wide = ShotAt(Grinder, 0, 105 + L, L, bass);
            for (const Vec3& c : centres)
                for (int i = 0; i < 32; ++i)
                {
                    const float a = 2 * assets::kPi * static_cast<float>(i) / 32;
                    EXPECT_TRUE(
                        InFrame(wide, c + Vec3{tip * std::cos(a), tip * std::sin(a), front}, 1.0f))
                        << "L = " << L << ", bass " << bass;
                }
            // The close shot looks along the faces: from a few units it saw only the nearest rim.
            EXPECT_GT(front - ShotAt(Grinder, 1, 105 + L, L, bass).eye.z, 60.0f);
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
