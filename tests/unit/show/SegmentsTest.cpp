// The segment scripts: rotations, object updates and each kind's drawing list.
#include "Segments.h"

#include "TimelineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

struct Quaternion
{
    double x, y, z, w;
};

Quaternion Hamilton(const Quaternion& a, const Quaternion& b)
{
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
            a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

TEST(EulerQuaternion, IsTheProductOfTheThreeAxisRotations)
{
    const struct
    {
        float yaw, pitch, roll;
    } cases[] = {
        {0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f},  {0.0f, 0.0f, -2.5f},
        {0.3f, 0.7f, 1.1f}, {-4.0f, 0.2f, 3.0f}, {39.0f, 0.0f, 0.0f},
    };
    for (const auto& c : cases)
    {
        const Quaternion qy = {0, std::sin(c.yaw / 2.0), 0, std::cos(c.yaw / 2.0)};
        const Quaternion qx = {std::sin(c.pitch / 2.0), 0, 0, std::cos(c.pitch / 2.0)};
        const Quaternion qz = {0, 0, std::sin(c.roll / 2.0), std::cos(c.roll / 2.0)};
        const Quaternion expected = Hamilton(Hamilton(qy, qx), qz);
        const Float4 q = EulerQuaternion(c.yaw, c.pitch, c.roll);
        EXPECT_NEAR(q.x, expected.x, 1e-6) << c.yaw << " " << c.pitch << " " << c.roll;
        EXPECT_NEAR(q.y, expected.y, 1e-6);
        EXPECT_NEAR(q.z, expected.z, 1e-6);
        EXPECT_NEAR(q.w, expected.w, 1e-6);

        // As a matrix: roll about Z first, then pitch about X, then yaw about Y.
        const Matrix4 composed = ComposeMatrix(InitTransform({0, 0, 0}, q, {1, 1, 1}));
        const Matrix4 reference =
            Multiply(Multiply(RotationZ(c.roll), RotationX(c.pitch)), RotationY(c.yaw));
        EXPECT_TRUE(MatrixNear(composed, reference, 1e-5f));
    }
}

// Replays a fixed list of values, so tests know what each instance drew.
class ScriptedRandom
{
  public:
    static float Next()
    {
        const float value = values[position % values.size()];
        ++position;
        return value;
    }
    static void Play(std::vector<float> list)
    {
        values = std::move(list);
        position = 0;
    }
    static std::size_t Drawn() { return position; }

  private:
    static inline std::vector<float> values = {0.5f};
    static inline std::size_t position = 0;
};

SegmentObjects MakeObjects()
{
    SegmentObjects objects;
    ScriptedRandom::Play({0.25f, 0.5f, 0.75f});
    InitSegmentObjects(objects, {0.6f, 0.4f, 0.04f, 1.0f}, ScriptedRandom::Next);
    return objects;
}

TEST(SegmentObjects, InstancesStartFromThreeValuesEachAndTurnByTheirIndex)
{
    SegmentObjects objects;
    ScriptedRandom::Play({0.25f, 0.5f, 0.75f});
    InitSegmentObjects(objects, {0.6f, 0.4f, 0.04f, 1.0f}, ScriptedRandom::Next);
    EXPECT_EQ(ScriptedRandom::Drawn(), 120u);
    for (int j = 0; j < kInstanceCount; ++j)
    {
        // r1 = 0.25 drives z, r2 = 0.5 drives y, r3 = 0.75 drives x.
        EXPECT_TRUE(MatrixNear(objects.InstanceMatrices[j],
                               ExpectedWorld({5.0f, -120.0f, -250.0f}, 0.0, j, 1.0f)))
            << "instance " << j;
    }
}

struct ExpectedDraw
{
    ShaderSet set;
    std::string material;
    Matrix4 world;
    std::uint32_t mesh;
};

std::string SetName(ShaderSet set)
{
    switch (set)
    {
    case ShaderSet::Default:
        return "default";
    case ShaderSet::Pbr:
        return "PBR";
    case ShaderSet::PbrNoise:
        return "PBR noise";
    }
    return "?";
}

void ExpectDraws(const SegmentObjects& objects, const std::vector<DrawRecord>& actual,
                 const std::vector<ExpectedDraw>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
    {
        EXPECT_EQ(actual[i].mesh, expected[i].mesh) << "draw " << i;
        EXPECT_EQ(SetName(actual[i].set), SetName(expected[i].set)) << "draw " << i;
        EXPECT_EQ(MaterialName(objects, actual[i].material), expected[i].material) << "draw " << i;
        EXPECT_TRUE(MatrixNear(actual[i].world, expected[i].world)) << "draw " << i;
    }
}

std::vector<DrawRecord> Draw(SegmentKind kind, const SegmentObjects& objects,
                             std::uint32_t meshCount, float t, float L,
                             const SpectrumArray& spectrum)
{
    RecordingDrawer drawer;
    BeginSceneDrawing(drawer, objects);
    DrawSegment(drawer, kind, objects, meshCount, t, L, View(spectrum));
    return drawer.draws;
}

const Matrix4 I = MakeIdentity();

// The expected lists, written out from the scripts; the worlds are built from angles directly.
std::vector<ExpectedDraw> RingsList(float L, const SpectrumArray& S)
{
    const auto piece = [&](float frequency, float phase, float height, int bin)
    {
        return ExpectedWorld({0, 15.0f * std::sin(frequency * L + phase) + height, 0}, -L, 0,
                             0.5f * S[bin] + 1.0f);
    };
    std::vector<ExpectedDraw> list = {
        {ShaderSet::Default, "Tint", I, 0},
        {ShaderSet::Pbr, "TealMetal", piece(1.7f, 2.0f, 500.0f, 2), 3},
        {ShaderSet::Pbr, "TealMetal", piece(1.75f, 3.0f, 300.0f, 3), 3},
        {ShaderSet::Pbr, "TealMetal", piece(1.8f, 2.5f, 400.0f, 4), 4},
        {ShaderSet::Pbr, "TealMetal", piece(1.85f, 3.5f, 200.0f, 5), 4},
        {ShaderSet::Pbr, "TealMetal",
         ExpectedWorld({0, 50.0f * std::sin(L) + 350.0f, 0}, 0, 0, S[1] + 1.5f), 1},
    };
    for (int i = 0; i < 20; ++i)
    {
        // Rings 11 to 19 continue the step of 100 bins around the spectrum's end.
        const float v = S[(1 + 100 * i) % 1024];
        list.push_back(
            {ShaderSet::Pbr, "TealMetal",
             ExpectedWorld({0, 100.0f + 40.0f * i, 0}, 0.51f * i - 2.0f * L, 0, 10.95f * v + 0.57f),
             2});
    }
    return list;
}

std::vector<ExpectedDraw> Scene01List(float t, const SpectrumArray& S)
{
    const Float3 P = {100.0f - 300.0f * static_cast<float>(std::sin(0.1 * t)),
                      50.0f + 15.0f * static_cast<float>(std::sin(t)), 0};
    const Matrix4 X = ExpectedWorld(P, -0.5 * t, t, {1 + S[1], 1 + S[2], 1 + S[3]});
    const Matrix4 Y = ExpectedWorld(P, 1.25 - 0.65 * t, 1.1 * t, {1 + S[4], 1 + S[5], 1 + S[6]});
    const Matrix4 Z = ExpectedWorld(P, 2.5 - 0.75 * t, 1.2 * t, {1 + S[7], 1 + S[8], 1 + S[9]});
    return {
        {ShaderSet::Pbr, "DeepBlue", I, 5}, {ShaderSet::Pbr, "Brass", X, 4},
        {ShaderSet::Pbr, "Bronze", X, 3},   {ShaderSet::Pbr, "Bronze", Y, 2},
        {ShaderSet::Pbr, "Bronze", Z, 1},
    };
}

std::vector<ExpectedDraw> TunnelList(float t)
{
    std::vector<ExpectedDraw> list;
    for (int i = 0; i < 5; ++i)
    {
        const double sign = i % 2 == 1 ? 1.0 : -1.0;
        const float h = 210.0f * i - 300.0f;
        list.push_back({ShaderSet::Default, "Tint", I, 0});
        list.push_back({ShaderSet::Pbr, "Ink",
                        ExpectedWorld({0, h, 0}, (0.55 * i + 0.65) * sign * t, 0, 1.0f), 1});
        list.push_back({ShaderSet::Pbr, "Ink",
                        ExpectedWorld({0, h, 0}, (0.35 * i + 0.45) * sign * t, 0, 1.0f), 2});
        list.push_back({ShaderSet::Pbr, "Ink",
                        ExpectedWorld({0, h, 0}, (0.5 * i + 0.25) * sign * t, 0, 1.0f), 3});
    }
    return list;
}

std::vector<ExpectedDraw> LogoList()
{
    const Matrix4 grown = ExpectedWorld({0, 0, 0}, 0, 0, 1.05f);
    return {
        {ShaderSet::Default, "Tint", I, 0},
        {ShaderSet::Pbr, "TealMetal", grown, 0},
        {ShaderSet::Pbr, "TealMetal", grown, 1},
    };
}

std::vector<ExpectedDraw> GreetsList(const SpectrumArray& S)
{
    const Matrix4 pulse = ExpectedWorld({0, 0, 0}, 0, 0, 0.35f * S[35] + 0.965f);
    return {
        {ShaderSet::Default, "Tint", I, 5},
        {ShaderSet::Pbr, "DeepBlue", I, 0},
        {ShaderSet::Pbr, "TealMetal", I, 1},
        {ShaderSet::Pbr, "TealMetal", I, 2},
        {ShaderSet::Pbr, "DeepBlue", I, 4},
        {ShaderSet::Pbr, "DeepBlue", pulse, 5},
        {ShaderSet::Pbr, "TealMetal", ExpectedWorld({0, -100, 0}, 0, 0, 0.75f), 3},
        {ShaderSet::Pbr, "TealMetal", ExpectedWorld({0, 0, 0}, 0, 0, 0.85f), 3},
        {ShaderSet::Pbr, "TealMetal", ExpectedWorld({0, 100, 0}, 0, 0, 0.95f), 3},
    };
}

std::vector<ExpectedDraw> GrinderList(float L, const SegmentObjects& objects)
{
    std::vector<ExpectedDraw> list;
    for (const Float3 position : {Float3{-140, -130, 0}, Float3{140, -130, 0}, Float3{0, 100, 0}})
    {
        list.push_back({ShaderSet::Pbr, "TealMetal", ExpectedWorld(position, 0, L, 1.0f), 1});
        list.push_back({ShaderSet::Pbr, "TealMetal", ExpectedWorld(position, 0, L, 1.0f), 2});
    }
    for (const Matrix4& instance : objects.InstanceMatrices)
        list.push_back({ShaderSet::Pbr, "TealMetal", instance, 0});
    return list;
}

std::vector<ExpectedDraw> TarvList()
{
    return {
        {ShaderSet::Default, "Tint", I, 0},
        {ShaderSet::Default, "Tint", I, 1},
        {ShaderSet::Pbr, "Ink", I, 2},
    };
}

std::vector<ExpectedDraw> SphereList()
{
    return {
        {ShaderSet::Pbr, "TealMetal", I, 0},
        {ShaderSet::PbrNoise, "DeepBlue", I, 1},
    };
}

std::vector<ExpectedDraw> ExpectedList(SegmentKind kind, float t, float L, const SpectrumArray& S,
                                       const SegmentObjects& objects)
{
    switch (kind)
    {
    case Rings:
        return RingsList(L, S);
    case Scene01:
        return Scene01List(t, S);
    case Tunnel:
        return TunnelList(t);
    case Logo:
        return LogoList();
    case Greets:
        return GreetsList(S);
    case Grinder:
        return GrinderList(L, objects);
    case Tarv:
        return TarvList();
    case Sphere:
        return SphereList();
    }
    return {};
}

TEST(SegmentDrawing, EveryKindDrawsItsList)
{
    const struct
    {
        float t;
        float L;
    } times[] = {{0.0f, 0.0f}, {66.5f, 5.5f}, {121.25f, 16.25f}};
    const SpectrumArray spectra[] = {SilentSpectrum(), RampSpectrum()};
    for (const auto& time : times)
        for (const SpectrumArray& S : spectra)
            for (int k = 0; k < kSegmentKindCount; ++k)
            {
                SCOPED_TRACE("kind " + std::to_string(k) + " t " + std::to_string(time.t));
                const SegmentKind kind = static_cast<SegmentKind>(k);
                SegmentObjects objects = MakeObjects();
                SetTint(objects, {0.6f, 0.4f, 0.04f, 1.0f});
                if (kind != Grinder) // its update moves the instances, tested on its own
                    UpdateSegmentObjects(objects, kind, time.t, time.L, View(S),
                                         ScriptedRandom::Next);
                const auto draws = Draw(kind, objects, kScriptMeshCount[k], time.t, time.L, S);
                ExpectDraws(objects, draws, ExpectedList(kind, time.t, time.L, S, objects));
            }
}

TEST(SegmentDrawing, SilentSpectrumGivesTheRestingScales)
{
    const SpectrumArray silent = SilentSpectrum();
    SegmentObjects objects = MakeObjects();

    UpdateSegmentObjects(objects, Rings, 70.0f, 0.0f, View(silent), ScriptedRandom::Next);
    for (const Matrix4& ring : objects.RingMatrices)
        EXPECT_FLOAT_EQ(ring.m[1][1], 0.57f);
    EXPECT_FLOAT_EQ(objects.ringPieces[0].m[1][1], 1.5f);
    for (int p = 1; p < kRingPieceCount; ++p)
        EXPECT_FLOAT_EQ(objects.ringPieces[p].m[1][1], 1.0f);

    UpdateSegmentObjects(objects, Scene01, 0.0f, 0.0f, View(silent), ScriptedRandom::Next);
    EXPECT_TRUE(MatrixNear(objects.scene01Objects[0], ExpectedWorld({100, 50, 0}, 0, 0, 1.0f)));
    EXPECT_TRUE(MatrixNear(objects.scene01Objects[1], ExpectedWorld({100, 50, 0}, 1.25, 0, 1.0f)));
    EXPECT_TRUE(MatrixNear(objects.scene01Objects[2], ExpectedWorld({100, 50, 0}, 2.5, 0, 1.0f)));

    const auto greets = Draw(Greets, objects, 6, 100.0f, 5.0f, silent);
    ASSERT_EQ(greets.size(), 9u);
    EXPECT_FLOAT_EQ(greets[5].world.m[0][0], 0.965f);
    EXPECT_FLOAT_EQ(greets[5].world.m[2][2], 0.965f);
}

TEST(SegmentDrawing, GreetsDrawsMesh3ThriceAndMesh5Twice)
{
    const SpectrumArray S = RampSpectrum();
    const SegmentObjects objects = MakeObjects();
    const auto draws = Draw(Greets, objects, 6, 100.0f, 5.0f, S);
    std::vector<float> scales3, heights3;
    int count5 = 0;
    for (const DrawRecord& draw : draws)
    {
        if (draw.mesh == 3)
        {
            scales3.push_back(draw.world.m[0][0]);
            heights3.push_back(draw.world.m[3][1]);
        }
        count5 += draw.mesh == 5 ? 1 : 0;
    }
    ASSERT_EQ(scales3.size(), 3u);
    EXPECT_FLOAT_EQ(scales3[0], 0.75f);
    EXPECT_FLOAT_EQ(scales3[1], 0.85f);
    EXPECT_FLOAT_EQ(scales3[2], 0.95f);
    EXPECT_EQ(heights3, (std::vector<float>{-100.0f, 0.0f, 100.0f}));
    EXPECT_EQ(count5, 2);
}

TEST(SegmentDrawing, GreetsWalksEveryMeshTheSceneHas)
{
    const SpectrumArray S = SilentSpectrum();
    const SegmentObjects objects = MakeObjects();
    const auto draws = Draw(Greets, objects, 8, 100.0f, 5.0f, S);
    ASSERT_EQ(draws.size(), 11u);
    EXPECT_EQ(draws[6].mesh, 6u);
    EXPECT_EQ(draws[7].mesh, 7u);
    EXPECT_EQ(MaterialName(objects, draws[7].material), "DeepBlue");
}

TEST(SegmentDrawing, ScenesWithFewerMeshesSkipOnlyTheMissingDraws)
{
    const SpectrumArray S = RampSpectrum();
    for (int k = 0; k < kSegmentKindCount; ++k)
    {
        const SegmentKind kind = static_cast<SegmentKind>(k);
        SegmentObjects objects = MakeObjects();
        UpdateSegmentObjects(objects, kind, 30.0f, 3.0f, View(S), ScriptedRandom::Next);
        const auto full = Draw(kind, objects, kScriptMeshCount[k], 30.0f, 3.0f, S);
        for (std::uint32_t count = 0; count < kScriptMeshCount[k]; ++count)
        {
            SCOPED_TRACE("kind " + std::to_string(k) + " with " + std::to_string(count) +
                         " meshes");
            const auto shortList = Draw(kind, objects, count, 30.0f, 3.0f, S);
            std::vector<ExpectedDraw> expected;
            for (const DrawRecord& draw : full)
                if (draw.mesh < count)
                    expected.push_back(
                        {draw.set, MaterialName(objects, draw.material), draw.world, draw.mesh});
            ExpectDraws(objects, shortList, expected);
        }
    }
}

TEST(GrinderUpdate, InstancesDriftFasterAsTheSegmentGoesOn)
{
    const SpectrumArray S = SilentSpectrum();
    SegmentObjects objects = MakeObjects();
    const SegmentObjects before = objects;

    UpdateSegmentObjects(objects, Grinder, 105.0f, 0.0f, View(S), ScriptedRandom::Next);
    for (int j = 0; j < kInstanceCount; ++j)
        EXPECT_TRUE(MatrixNear(objects.InstanceMatrices[j], before.InstanceMatrices[j], 0.0f));

    UpdateSegmentObjects(objects, Grinder, 125.0f, 20.0f, View(S), ScriptedRandom::Next);
    for (int j = 0; j < kInstanceCount; ++j)
    {
        const float* was = before.InstanceMatrices[j].m[3];
        const float* now = objects.InstanceMatrices[j].m[3];
        EXPECT_NEAR(now[0], was[0] - 0.38f, 1e-4f);
        EXPECT_NEAR(now[1], was[1] + 0.5f, 1e-4f);
        EXPECT_NEAR(now[2], was[2] - 19.0f, 1e-4f);
        // Only the translation moves.
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(objects.InstanceMatrices[j].m[r][c], before.InstanceMatrices[j].m[r][c]);
    }
}

TEST(GrinderUpdate, InstancesPastTheBackRestartInsideTheBox)
{
    const SpectrumArray S = SilentSpectrum();
    const struct
    {
        float r;
        Float3 position;
    } cases[] = {
        {0.0f, {-30, -150, 300}},
        {1.0f, {30, 10, 350}},
        {0.5f, {0, -70, 325}},
    };
    for (const auto& c : cases)
    {
        SegmentObjects objects = MakeObjects();
        objects.InstanceMatrices[7].m[3][2] = -440.0f; // one step of 19 takes it past -450
        objects.InstanceMatrices[8].m[3][2] = -430.0f; // lands on -449: stays
        ScriptedRandom::Play({c.r});
        UpdateSegmentObjects(objects, Grinder, 125.0f, 20.0f, View(S), ScriptedRandom::Next);
        EXPECT_EQ(ScriptedRandom::Drawn(), 3u);
        const float* row = objects.InstanceMatrices[7].m[3];
        EXPECT_FLOAT_EQ(row[0], c.position.x);
        EXPECT_FLOAT_EQ(row[1], c.position.y);
        EXPECT_FLOAT_EQ(row[2], c.position.z);
        EXPECT_NEAR(objects.InstanceMatrices[8].m[3][2], -449.0f, 1e-4f);
    }
}

TEST(RingsUpdate, EveryRingReadsInsideTheSpectrum)
{
    // A spectrum whose last bins are huge: a ring reading near or past the end would explode.
    SpectrumArray S = RampSpectrum();
    for (std::size_t i = 1002; i < kSpectrumSize; ++i)
        S[i] = 1000.0f;
    SegmentObjects objects = MakeObjects();
    UpdateSegmentObjects(objects, Rings, 70.0f, 9.0f, View(S), ScriptedRandom::Next);
    for (int i = 0; i < kRingCount; ++i)
    {
        // A yaw leaves the y axis alone, so this element is the ring's scale.
        EXPECT_LT(objects.RingMatrices[i].m[1][1], 11.0f * 0.5f + 0.57f + 1e-3f) << "ring " << i;
        EXPECT_FLOAT_EQ(objects.RingMatrices[i].m[3][1], 100.0f + 40.0f * i);
    }
}

} // namespace
