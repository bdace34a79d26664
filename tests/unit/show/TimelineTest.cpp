// The timeline's rules: fade, segment advance, beats, tint and the camera shot tables.
#include "Timeline.h"
#include "RandomUnit.h"

#include "Segments.h"
#include "TimelineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

TEST(Fade, FollowsTheInAndOutRamps)
{
    const struct
    {
        float t;
        float fade;
    } cases[] = {
        {0.0f, 0.0f},   {4.0f, 0.5f},   {7.999f, 0.999875f}, {8.0f, 1.0f},
        {100.0f, 1.0f}, {137.0f, 1.0f}, {142.0f, 0.5f},      {146.0f, 0.1f},
        {147.0f, 0.0f}, {148.5f, 0.0f}, {150.0f, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ComputeFade(c.t), c.fade, 1e-5f) << "t = " << c.t;
}

TEST(SegmentAdvance, SegmentStaysCurrentUntilStrictlyPastItsDuration)
{
    TimelineState state;
    SegmentFrame frame = AdvanceSegment(state, 16.5f);
    EXPECT_EQ(frame.kind, Tarv);
    EXPECT_FLOAT_EQ(frame.segmentTime, 16.5f);
    EXPECT_EQ(state.segmentIndex, 0);

    // The frame that notices the end still shows the old kind with the old time.
    frame = AdvanceSegment(state, 16.51f);
    EXPECT_EQ(frame.kind, Tarv);
    EXPECT_FLOAT_EQ(frame.segmentTime, 16.51f);
    EXPECT_EQ(state.segmentIndex, 1);
    EXPECT_FLOAT_EQ(state.segmentStart, 16.51f);

    frame = AdvanceSegment(state, 16.52f);
    EXPECT_EQ(frame.kind, Scene01);
    EXPECT_NEAR(frame.segmentTime, 0.01f, 1e-5f);
}

TEST(SegmentAdvance, LatenessAccumulatesOverSegmentsAt60Hz)
{
    TimelineState state;
    std::vector<float> starts = {0.0f};
    std::vector<int> kinds;
    int previousIndex = 0;
    for (int n = 0; n <= 150 * 60; ++n)
    {
        const float t = static_cast<float>(n) / 60.0f;
        kinds.push_back(AdvanceSegment(state, t).kind);
        if (state.segmentIndex != previousIndex)
        {
            EXPECT_EQ(state.segmentIndex, (previousIndex + 1) % kSegmentCount);
            previousIndex = state.segmentIndex;
            starts.push_back(state.segmentStart);
        }
    }
    // Nine ends and the wrap back to the first segment before 150 s.
    ASSERT_EQ(starts.size(), 10u);

    float nominal = 0.0f;
    float lastLateness = 0.0f;
    for (int k = 1; k < 10; ++k)
    {
        nominal += Timeline[k - 1].duration;
        const float lateness = starts[k] - nominal;
        // Each segment adds at most one frame of lateness, and never none.
        EXPECT_GT(lateness, lastLateness) << "segment " << k;
        EXPECT_LE(lateness - lastLateness, 1.0f / 60.0f + 1e-4f) << "segment " << k;
        lastLateness = lateness;
    }
    EXPECT_GT(lastLateness, 5.0f / 60.0f);
    EXPECT_EQ(kinds.back(), Tarv); // the wrap shows the first segment again
    EXPECT_EQ(state.segmentIndex, 0);
}

TEST(SegmentAdvance, LongFrameLengthensTheSegmentInsteadOfSkipping)
{
    TimelineState state;
    EXPECT_EQ(AdvanceSegment(state, 100.0f).kind, Tarv);
    EXPECT_EQ(state.segmentIndex, 1);
    EXPECT_EQ(AdvanceSegment(state, 100.02f).kind, Scene01);
}

TEST(BeatDetector, CountsAtMostOneBeatPerSecond)
{
    const struct
    {
        float first;
        float second;
        float level;
        int beats;
    } cases[] = {
        {2.0f, 2.9f, 0.5f, 1},  {2.0f, 3.1f, 0.5f, 2},
        {2.0f, 3.0f, 0.5f, 1},  // exactly a second apart is not enough
        {2.0f, 3.1f, 0.01f, 0}, // the level must be strictly above 0.01
        {0.5f, 1.6f, 0.5f, 1},  // the first beat needs a second after LastBeatTime 0
    };
    for (const auto& c : cases)
    {
        TimelineState state;
        SpectrumArray kick = SilentSpectrum();
        kick[3] = c.level;
        const SpectrumArray silence = SilentSpectrum();
        CountBeat(state, c.first, View(kick));
        CountBeat(state, (c.first + c.second) / 2.0f, View(silence));
        CountBeat(state, c.second, View(kick));
        EXPECT_EQ(state.ShotCounter, c.beats) << c.first << " and " << c.second;
    }
}

TEST(AudioTint, FollowsBins1And2WithDoublePrecisionPowers)
{
    const SpectrumArray silent = SilentSpectrum();
    const Float4 quiet = ComputeAudioTint(View(silent));
    EXPECT_FLOAT_EQ(quiet.x, static_cast<float>(std::pow(0.95, 2.2)) * 0.75f);
    EXPECT_FLOAT_EQ(quiet.y, static_cast<float>(std::pow(0.75, 2.2)) * 0.75f);
    EXPECT_FLOAT_EQ(quiet.z, static_cast<float>(std::pow(0.25, 2.2)) * 0.75f);
    EXPECT_EQ(quiet.w, 1.0f);

    SpectrumArray loud = SilentSpectrum();
    loud[1] = 0.1f;
    loud[2] = 0.2f;
    const Float4 tint = ComputeAudioTint(View(loud));
    const double s = 0.5 * 0.2 + 0.75;
    EXPECT_NEAR(tint.x, std::pow(0.95, 2.2) * s, 1e-6);
    EXPECT_NEAR(tint.y, std::pow(1.5 * 0.2 + 0.75, 2.2) * s, 1e-6);
    EXPECT_NEAR(tint.z, std::pow(5 * 0.1 + 0.25, 2.2) * s, 1e-6);

    const Float4 start = StartupAudioTint();
    EXPECT_FLOAT_EQ(start.x, static_cast<float>(std::pow(0.95, 2.2)));
    EXPECT_FLOAT_EQ(start.y, static_cast<float>(std::pow(0.75, 2.2)));
    EXPECT_FLOAT_EQ(start.z, static_cast<float>(std::pow(0.25, 2.2)));
    EXPECT_EQ(start.w, 1.0f);
}

struct ShotCase
{
    SegmentKind kind;
    int shot;
    float t;
    float L;
    float b;
    float s0;
    Float3 position;
    Float3 target;
    float roll;
};

// Values worked out by hand from the tables.
const ShotCase kShotCases[] = {
    {Rings, 0, 0.0f, 0.0f, 0.0f, 0.0f, {0, 300, -250}, {0, 400, 0}, 0.0f},
    {Rings, 0, 3.14159265f, 0.0f, 0.0f, 0.0f, {200, 300, 0}, {29.3893f, 300, 0}, 0.0f},
    {Rings, 1, 0.0f, 0.0f, 0.0f, 0.0f, {200, 250, -100}, {50, 370, 0}, -0.31415f},
    {Rings, 2, 0.0f, 0.0f, 0.0f, 0.0f, {150, 500, -100}, {-50, 370, 0}, -0.6283f},
    {Scene01, 0, 0.0f, 0.0f, 0.0f, 0.2f, {100, 90, -60}, {100, 0, 0}, 0.0f},
    {Scene01, 1, 0.0f, 0.0f, 1.0f, 0.0f, {80, 75, -20}, {100, 55, 0}, 0.0f},
    {Scene01, 2, 0.0f, 0.0f, 1.0f, 0.0f, {120, 34, -20}, {100, 55, 0}, 0.0f},
    {Scene01, 3, 0.0f, 0.0f, 0.5f, 1.0f, {100, 59, -14}, {100, 50, 0}, 0.0f},
    {Scene01,
     3,
     1.5707963f,
     0.0f,
     0.0f,
     0.0f,
     {55.4041f, 75.0f, -9.7237f},
     {53.0697f, 65.0f, 0},
     -0.31415f},
    {Tunnel, 0, 90.0f, 2.0f, 0.0f, 0.0f, {50, -235, -50}, {0, -155, 0}, 0.0f},
    {Tunnel, 1, 90.0f, 2.0f, 0.0f, 0.0f, {-50, 195, 50}, {10, 230, 10}, -0.31415f},
    {Tunnel, 2, 90.0f, 2.0f, 0.0f, 0.0f, {-50, -5, -50}, {-10, 30, -10}, -1.57075f},
    {Logo, 0, 60.0f, 3.0f, 0.0f, 0.0f, {-7, 5, -22}, {0, 0, 0}, 0.157075f},
    {Logo, 1, 60.0f, 3.0f, 0.0f, 0.0f, {0, 12, -19}, {0, 0, 0}, 0.157075f},
    {Greets, 0, 97.0f, 2.0f, 0.0f, 0.0f, {-90, 0, 0}, {317, 0, -75}, 0.2356125f},
    {Greets, 1, 97.0f, 2.0f, 0.0f, 0.0f, {-80, 0, 122}, {64, 0, -230}, 0.2356125f},
    {Greets, 2, 97.0f, 2.0f, 0.0f, 0.0f, {-80, -30, -12}, {-240, 0, -115}, 0.2670275f},
    {Greets, 3, 97.0f, 2.0f, 0.0f, 0.0f, {-50, 70, -22}, {-245, 0, 170}, 0.1413675f},
    {Greets, 4, 97.0f, 2.0f, 0.0f, 0.0f, {-84, -20, 0}, {120, 0, 220}, 0.2984425f},
    {Greets, 5, 97.0f, 2.0f, 0.0f, 0.0f, {-80, 50, -122}, {0, 0, 0}, 0.157075f},
    {Grinder, 0, 110.0f, 4.0f, 0.2f, 0.0f, {-6, -35, -350}, {0, 0, 500}, 0.157075f},
    {Grinder, 1, 110.0f, 4.0f, 0.2f, 0.0f, {-100, -15, -19}, {0, 0, 0}, 0.5183475f},
    {Grinder, 2, 110.0f, 4.0f, 0.2f, 0.0f, {100, -10, -119}, {0, 0, 20}, -0.8639125f},
    {Grinder, 3, 110.0f, 4.0f, 0.0f, 0.0f, {-200, 0, -200}, {0, 0, 20}, -0.31415f},
    {Tarv, 0, 10.0f, 2.0f, 0.0f, 0.0f, {-300, 125, -550}, {0, 100, 0}, 0.157075f},
    {Tarv, 1, 10.0f, 2.0f, 0.5f, 0.0f, {-300, 75, -500}, {0, 100, 0}, 0.157075f},
    {Sphere, 0, 40.0f, 1.5707963f, 1.0f, 0.0f, {-5, 65, -30}, {-10, -10, 0}, 0.2356125f},
    {Sphere, 1, 40.0f, 1.5707963f, 0.0f, 0.0f, {25, -40, -25}, {-20, 5, 0}, 0.157075f},
    {Sphere, 2, 40.0f, 1.5707963f, 0.0f, 0.0f, {-25, -40, 25}, {20, -5, 0}, 0.2670275f},
};

TEST(CameraShots, MatchTheShotTables)
{
    for (const ShotCase& c : kShotCases)
    {
        SpectrumArray spectrum = SilentSpectrum();
        spectrum[0] = c.s0;
        spectrum[1] = c.b;
        const CameraShot shot = ComputeCameraShot(c.kind, c.shot, c.t, c.L, View(spectrum));
        const std::string where =
            "kind " + std::to_string(c.kind) + " shot " + std::to_string(c.shot);
        EXPECT_NEAR(shot.position.x, c.position.x, 1e-3f) << where;
        EXPECT_NEAR(shot.position.y, c.position.y, 1e-3f) << where;
        EXPECT_NEAR(shot.position.z, c.position.z, 1e-3f) << where;
        EXPECT_NEAR(shot.target.x, c.target.x, 1e-3f) << where;
        EXPECT_NEAR(shot.target.y, c.target.y, 1e-3f) << where;
        EXPECT_NEAR(shot.target.z, c.target.z, 1e-3f) << where;
        EXPECT_NEAR(shot.roll, c.roll, 1e-6f) << where;
    }
}

// A presentation's timeline pieces wired as the frame wires them.
struct TimelineRig
{
    TimelineRig()
    {
        InitCamera(camera, target);
        ResetTimeline(state);
        InitSegmentObjects(objects, state.AudioTint, RandomUnit);
    }

    TimelineState state;
    SegmentObjects objects;
    SceneNode target;
    CameraNode camera;
};

TEST(CameraShots, ShotCounterWrapsOnlyForKindsWithFewerShots)
{
    const struct
    {
        int segmentIndex;
        float segmentStart;
        int shotsBefore;
        int shotShown;
        Float3 position;
    } cases[] = {
        {6, 95.0f, 3, 3, {-60, 70, -22}}, // Greets has shots 0 to 5
        {3, 50.0f, 3, 0, {-9, 5, -22}},   // Logo has shots 0 and 1
    };
    const SpectrumArray silent = SilentSpectrum();
    for (const auto& c : cases)
    {
        TimelineRig rig;
        rig.state.segmentIndex = c.segmentIndex;
        rig.state.segmentStart = c.segmentStart;
        rig.state.ShotCounter = c.shotsBefore;
        UpdateTimeline(rig.state, rig.objects, rig.camera, c.segmentStart + 1.0f, View(silent),
                       RandomUnit);
        EXPECT_EQ(rig.state.ShotCounter, c.shotShown);
        EXPECT_NEAR(rig.camera.transform.position.x, c.position.x, 1e-4f);
        EXPECT_NEAR(rig.camera.transform.position.y, c.position.y, 1e-4f);
        EXPECT_NEAR(rig.camera.transform.position.z, c.position.z, 1e-4f);
    }
}

TEST(CameraShots, AHeldShotStaysThroughTheKicksAndWrapsLikeACountedOne)
{
    SpectrumArray kick = SilentSpectrum();
    kick[3] = 1.0f;
    for (const auto& [segmentIndex, shown] : {std::pair{6, 4}, std::pair{3, 0}}) // Greets, Logo
    {
        TimelineRig rig;
        rig.state.segmentIndex = segmentIndex;
        rig.state.segmentStart = 50.0f;
        rig.state.heldShot = 4;
        for (float t = 50.0f; t < 53.0f; t += 0.25f)
        {
            UpdateTimeline(rig.state, rig.objects, rig.camera, t, View(kick), RandomUnit);
            ASSERT_EQ(rig.state.ShotCounter, shown) << "t = " << t;
        }
    }
}

TEST(Timeline, SilentSpectrumKeepsTheFirstShotAndTheQuietTint)
{
    TimelineRig rig;
    const SpectrumArray silent = SilentSpectrum();
    const Float4 quiet = ComputeAudioTint(View(silent));
    for (int n = 0; n <= 150 * 60; ++n)
    {
        const float t = static_cast<float>(n) / 60.0f;
        UpdateTimeline(rig.state, rig.objects, rig.camera, t, View(silent), RandomUnit);
        ASSERT_EQ(rig.state.ShotCounter, 0) << "t = " << t;
        ASSERT_EQ(rig.objects.TintMaterial.baseColor[1], quiet.y);
        // The b = 0 rows of the cameras driven by the audio level.
        const float L = rig.state.SegmentTime;
        const Float3& p = rig.camera.transform.position;
        if (rig.state.kind == Tarv)
        {
            ASSERT_NEAR(p.x, 50.0f * L - 400.0f, 1e-3f);
            ASSERT_EQ(p.y, 125.0f);
        }
        else if (rig.state.kind == Sphere)
        {
            ASSERT_NEAR(p.x, 25.0f * std::sin(L) - 30.0f, 1e-3f);
            ASSERT_EQ(p.y, 50.0f);
        }
        else if (rig.state.kind == Grinder)
        {
            ASSERT_NEAR(p.x, L - 10.0f, 1e-3f);
            ASSERT_EQ(p.y, -25.0f);
            ASSERT_EQ(p.z, -350.0f);
        }
    }
    EXPECT_FLOAT_EQ(rig.state.fade, 0.0f);
}

TEST(Timeline, StartsWithTheCameraOfThePresentation)
{
    TimelineRig rig;
    EXPECT_EQ(rig.camera.target, &rig.target);
    EXPECT_EQ(rig.camera.fieldOfView, 1.0471667f);
    EXPECT_EQ(rig.camera.clipNear, 1.0f);
    EXPECT_EQ(rig.camera.clipFar, 1500.0f);
    EXPECT_EQ(rig.target.transform.position.x, 0.0f);
    EXPECT_EQ(rig.state.segmentIndex, 0);
    EXPECT_EQ(rig.state.ShotCounter, 0);
    EXPECT_TRUE(SameMaterial(rig.objects.TintMaterial,
                             []
                             {
                                 Material m;
                                 const Float4 tint = StartupAudioTint();
                                 m.baseColor[0] = tint.x;
                                 m.baseColor[1] = tint.y;
                                 m.baseColor[2] = tint.z;
                                 m.baseColor[3] = tint.w;
                                 return m;
                             }()));
}

TEST(Timeline, UpdateAppliesTheBeatBeforeChoosingTheShot)
{
    TimelineRig rig;
    rig.state.segmentIndex = 6; // Greets, shots 0 to 5
    rig.state.segmentStart = 95.0f;
    rig.state.ShotCounter = 4;
    SpectrumArray kick = SilentSpectrum();
    kick[3] = 1.0f;
    UpdateTimeline(rig.state, rig.objects, rig.camera, 97.0f, View(kick), RandomUnit);
    EXPECT_EQ(rig.state.ShotCounter, 5);
    EXPECT_FLOAT_EQ(rig.state.LastBeatTime, 97.0f);
    EXPECT_NEAR(rig.camera.transform.position.z, -122.0f, 1e-4f);
    EXPECT_NEAR(rig.camera.roll, 0.157075f, 1e-7f);

    // The next beat passes shot 5 and starts again at 0.
    UpdateTimeline(rig.state, rig.objects, rig.camera, 98.5f, View(kick), RandomUnit);
    EXPECT_EQ(rig.state.ShotCounter, 0);
    EXPECT_NEAR(rig.camera.target->transform.position.x, 317.0f, 1e-4f);
}

} // namespace
