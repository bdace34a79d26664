// Runs the timeline: which segment is on, the fade, beat-driven shots, tint and camera.
#include "Timeline.h"

#include "Segments.h"

#include <cmath>

namespace
{

// A power evaluated in double on the float operands, as every tint power is.
float Power(float base, double exponent)
{
    return static_cast<float>(std::pow(static_cast<double>(base), exponent));
}

// Evaluated once: the red channel of the tint does not follow the music.
const float kTintRed = static_cast<float>(std::pow(0.95, 2.2));

constexpr float kFadeInEnd = 8.0f;
constexpr float kFadeOutStart = 137.0f;
constexpr float kBeatLevel = 0.01f; // bin 3, about 65 Hz: the kick drum
constexpr float kBeatSpacing = 1.0f;

CameraShot RingsShot(std::int32_t shot, float t)
{
    const float R = 50.0f * Cos(t / 2.0f) + 200.0f;
    switch (shot)
    {
    case 0:
        return {{R * Sin(t / 2.0f), 50.0f * Sin(t / 2.0f) + R + 50.0f, -R * Cos(t / 2.0f)},
                {50.0f * Sin(0.2f * t), 50.0f * Cos(t) + 350.0f, 0.0f},
                -0.31415f * Sin(t)};
    case 1:
        return {
            {200.0f, 250.0f, -100.0f}, {50.0f, 20.0f * Cos(0.1f * t) + 350.0f, 0.0f}, -0.31415f};
    default:
        return {{150.0f - 20.0f * Sin(t / 2.0f), 500.0f, -100.0f},
                {-50.0f, 20.0f * Cos(0.1f * t) + 350.0f, 0.0f},
                -0.6283f};
    }
}

CameraShot Scene01Shot(std::int32_t shot, float t, SpectrumView S)
{
    const Float3 P = Scene01Anchor(t);
    const float b = S[1];
    const float swing = Sin(0.15f * t);
    const float depth = Cos(0.15f * t);
    const float roll = -0.31415f * Sin(t);
    const float targetX = P.x - 10.0f * Sin(0.1f * t);
    switch (shot)
    {
    case 0:
    {
        const Float3 T = {targetX, P.y - 50.0f, 0.0f};
        const float d = 50.0f - 40.0f * b;
        return {{T.x + d * swing, T.y + d + 40.0f, -d * depth - 50.0f * S[0]}, T, roll};
    }
    case 1:
    {
        const Float3 T = {targetX, P.y + 5.0f, 0.0f};
        const float d = 30.0f - 10.0f * b;
        return {{T.x - d + 5.0f * swing, T.y + d, -d * depth - 10.0f * S[0]}, T, roll};
    }
    case 2:
    {
        const Float3 T = {targetX, P.y + 5.0f, 0.0f};
        const float d = 30.0f - 10.0f * b;
        return {{T.x + d - 2.0f * swing, T.y - d - 1.0f, -d * depth - 10.0f * S[0]}, T, roll};
    }
    default:
    {
        const Float3 T = {P.x, P.y, 0.0f};
        const float d = 10.0f - 2.0f * b;
        return {{P.x + d * swing, P.y + d, -d * depth - 5.0f * S[0]}, T, roll};
    }
    }
}

CameraShot TunnelShot(std::int32_t shot, float L)
{
    switch (shot)
    {
    case 0:
        return {{50.0f, 10.0f * L - 255.0f, -50.0f}, {0.0f, 50.0f * L - 255.0f, 0.0f}, 0.0f};
    case 1:
        return {{-50.0f, 255.0f - 30.0f * L, 50.0f}, {10.0f, 250.0f - 10.0f * L, 10.0f}, -0.31415f};
    default:
        return {
            {-50.0f, 55.0f - 30.0f * L, -50.0f}, {-10.0f, 50.0f - 10.0f * L, -10.0f}, -1.57075f};
    }
}

CameraShot LogoShot(std::int32_t shot, float L)
{
    if (shot == 0)
        return {{L - 10.0f, 5.0f, -22.0f}, {0.0f, 0.0f, 0.0f}, 0.157075f};
    return {{0.0f, 15.0f - L, -19.0f}, {0.0f, 0.0f, 0.0f}, 0.157075f};
}

CameraShot GreetsShot(std::int32_t shot, float L)
{
    switch (shot)
    {
    case 0:
        return {{5.0f * L - 100.0f, 0.0f, 0.0f}, {317.0f, 0.0f, -75.0f}, 0.2356125f};
    case 1:
        return {{10.0f * L - 100.0f, 0.0f, 122.0f}, {64.0f, 0.0f, -230.0f}, 0.2356125f};
    case 2:
        return {
            {10.0f * L - 100.0f, 10.0f * L - 50.0f, -12.0f}, {-240.0f, 0.0f, -115.0f}, 0.2670275f};
    case 3:
        return {{10.0f * L - 70.0f, 70.0f, -22.0f}, {-245.0f, 0.0f, 170.0f}, 0.1413675f};
    case 4:
        return {{8.0f * L - 100.0f, -20.0f, 0.0f}, {120.0f, 0.0f, 220.0f}, 0.2984425f};
    default:
        return {{10.0f * L - 100.0f, 50.0f, -122.0f}, {0.0f, 0.0f, 0.0f}, 0.157075f};
    }
}

CameraShot GrinderShot(std::int32_t shot, float L, float b)
{
    switch (shot)
    {
    case 0:
        return {{L - 10.0f, -25.0f - 50.0f * b, -350.0f}, {0.0f, 0.0f, 500.0f}, 0.157075f};
    case 1:
        return {{-100.0f, -5.0f - 50.0f * b, -19.0f}, {0.0f, 0.0f, 0.0f}, 0.5183475f};
    case 2:
        return {{100.0f, -50.0f * b, -119.0f}, {0.0f, 0.0f, 20.0f}, -0.8639125f};
    default:
        return {{-200.0f, -50.0f * b, -200.0f}, {0.0f, 0.0f, 20.0f}, -0.31415f};
    }
}

CameraShot TarvShot(std::int32_t shot, float L, float b)
{
    if (shot == 0)
        return {{50.0f * L - 400.0f, 125.0f - 50.0f * b, -550.0f}, {0.0f, 100.0f, 0.0f}, 0.157075f};
    return {{50.0f * L - 400.0f, 100.0f - 50.0f * b, -500.0f}, {0.0f, 100.0f, 0.0f}, 0.157075f};
}

CameraShot SphereShot(std::int32_t shot, float L, float b)
{
    switch (shot)
    {
    case 0:
        return {{25.0f * Sin(L) - 30.0f, 15.0f * b + 50.0f, -30.0f},
                {-10.0f, -10.0f, 0.0f},
                0.2356125f};
    case 1:
        return {
            {50.0f * Sin(L) - 25.0f, 5.0f * b - 40.0f, -25.0f}, {-20.0f, 5.0f, 0.0f}, 0.157075f};
    default:
        return {
            {25.0f - 50.0f * Sin(L), 5.0f * b - 40.0f, 25.0f}, {20.0f, -5.0f, 0.0f}, 0.2670275f};
    }
}

} // namespace

float ComputeFade(float musicTime)
{
    if (musicTime < kFadeInEnd)
        return musicTime * 0.125f;
    if (musicTime > kFadeOutStart)
    {
        const float fade = 1.0f - (musicTime - kFadeOutStart) / 10.0f;
        return fade < 0.0f ? 0.0f : fade;
    }
    return 1.0f;
}

SegmentFrame AdvanceSegment(TimelineState& state, float musicTime)
{
    const Segment& segment = Timeline[state.segmentIndex];
    const SegmentFrame frame = {static_cast<SegmentKind>(segment.kind),
                                musicTime - state.segmentStart};
    if (frame.segmentTime > segment.duration)
    {
        state.segmentIndex = (state.segmentIndex + 1) % kSegmentCount;
        state.segmentStart = musicTime;
    }
    return frame;
}

bool CountBeat(TimelineState& state, float musicTime, SpectrumView spectrum)
{
    if (spectrum[3] > kBeatLevel && musicTime - state.LastBeatTime > kBeatSpacing)
    {
        ++state.ShotCounter;
        state.LastBeatTime = musicTime;
        return true;
    }
    return false;
}

Float4 ComputeAudioTint(SpectrumView spectrum)
{
    const float b = spectrum[1];
    const float g = spectrum[2];
    const float s = 0.5f * g + 0.75f;
    return {kTintRed * s, Power(1.5f * g + 0.75f, 2.2) * s, Power(5.0f * b + 0.25f, 2.2) * s, 1.0f};
}

Float4 StartupAudioTint()
{
    return {kTintRed, Power(0.75f, 2.2), Power(0.25f, 2.2), 1.0f};
}

std::int32_t LastShot(SegmentKind kind)
{
    switch (kind)
    {
    case Rings:
        return 2;
    case Scene01:
        return 3;
    case Tunnel:
        return 2;
    case Logo:
        return 1;
    case Greets:
        return 5;
    case Grinder:
        return 3;
    case Tarv:
        return 1;
    case Sphere:
        return 2;
    }
    return 0;
}

CameraShot ComputeCameraShot(SegmentKind kind, std::int32_t shot, float musicTime,
                             float segmentTime, SpectrumView spectrum)
{
    const float b = spectrum[1];
    switch (kind)
    {
    case Rings:
        return RingsShot(shot, musicTime);
    case Scene01:
        return Scene01Shot(shot, musicTime, spectrum);
    case Tunnel:
        return TunnelShot(shot, segmentTime);
    case Logo:
        return LogoShot(shot, segmentTime);
    case Greets:
        return GreetsShot(shot, segmentTime);
    case Grinder:
        return GrinderShot(shot, segmentTime, b);
    case Tarv:
        return TarvShot(shot, segmentTime, b);
    case Sphere:
        return SphereShot(shot, segmentTime, b);
    }
    return {{0, 0, 0}, {0, 0, 0}, 0};
}

void InitCamera(CameraNode& camera, SceneNode& cameraTarget)
{
    cameraTarget.transform = Transform{};
    camera.transform = Transform{};
    camera.target = &cameraTarget;
    camera.fieldOfView = 1.0471667f; // 3.1415 / 3
    camera.clipNear = 1.0f;
    camera.clipFar = 1500.0f;
    camera.roll = 0.0f;
}

void ResetTimeline(TimelineState& state)
{
    state = TimelineState{};
    state.AudioTint = StartupAudioTint();
}

void UpdateTimeline(TimelineState& state, SegmentObjects& objects, CameraNode& camera,
                    float musicTime, SpectrumView spectrum, RandomSource random)
{
    state.fade = ComputeFade(musicTime);

    const SegmentFrame frame = AdvanceSegment(state, musicTime);
    state.kind = frame.kind;
    state.SegmentTime = frame.segmentTime;

    CountBeat(state, musicTime, spectrum);
    if (state.heldShot >= 0)
        state.ShotCounter = state.heldShot;

    state.AudioTint = ComputeAudioTint(spectrum);
    SetTint(objects, state.AudioTint);

    if (state.ShotCounter > LastShot(frame.kind))
        state.ShotCounter = 0;
    const CameraShot shot =
        ComputeCameraShot(frame.kind, state.ShotCounter, musicTime, frame.segmentTime, spectrum);
    camera.transform.position = shot.position;
    camera.target->transform.position = shot.target;
    camera.roll = shot.roll;

    UpdateSegmentObjects(objects, frame.kind, musicTime, frame.segmentTime, spectrum, random);
}
