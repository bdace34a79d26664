// The music-driven timeline: segments, fade, beat-cut camera shots and the audio tint.
#pragma once

#include "SceneGraph.h"
#include "Vocabulary.h"

#include <cstdint>

struct SegmentObjects;

struct Segment
{
    std::int32_t kind; // a SegmentKind
    float duration;    // seconds
};

constexpr int kSegmentCount = 9;
inline constexpr Segment Timeline[kSegmentCount] = {
    {Tarv, 16.5f},   {Scene01, 21.5f}, {Sphere, 12.0f},  {Logo, 11.0f}, {Rings, 22.0f},
    {Tunnel, 12.0f}, {Greets, 10.0f},  {Grinder, 22.0f}, {Tarv, 20.0f},
};

struct TimelineState
{
    std::int32_t segmentIndex = 0;
    float segmentStart = 0;       // MusicTime at which the current segment began
    std::int32_t ShotCounter = 0; // shared by all segments
    std::int32_t heldShot = -1;   // a tool's choice: this shot on every frame, no beat cuts
    float LastBeatTime = 0;
    float fade = 0;
    Float4 AudioTint = {0, 0, 0, 1};

    // Decided by the last update: what this frame shows.
    SegmentKind kind = Tarv;
    float SegmentTime = 0;
};

// Where the camera is and what it looks at for one frame.
struct CameraShot
{
    Float3 position;
    Float3 target;
    float roll;
};

// 1 between 8 s and 137 s; in over the first 8 s, out from 137 s to 147 s, then 0.
float ComputeFade(float musicTime);

struct SegmentFrame
{
    SegmentKind kind;
    float segmentTime;
};

// Returns what this frame shows (taken before the advance), then moves to the next segment when
// the current one has run strictly longer than its duration. The new segment starts at this
// frame's time, so each segment starts up to one frame late and the lateness adds up.
SegmentFrame AdvanceSegment(TimelineState& state, float musicTime);

// Counts a beat into ShotCounter on a kick (bin 3) at least a second after the last one.
bool CountBeat(TimelineState& state, float musicTime, SpectrumView spectrum);

Float4 ComputeAudioTint(SpectrumView spectrum);
// The tint before the first frame, so that the materials start valid.
Float4 StartupAudioTint();

// Shots of a kind run from 0 to this number.
std::int32_t LastShot(SegmentKind kind);

// The row of the kind's shot table; shot must be within 0..LastShot(kind).
CameraShot ComputeCameraShot(SegmentKind kind, std::int32_t shot, float musicTime,
                             float segmentTime, SpectrumView spectrum);

// Start-up: points the camera at its target with the presentation's lens and clip planes.
void InitCamera(CameraNode& camera, SceneNode& cameraTarget);

// Back to the first segment and shot; the fade and the tint are recomputed by the next update.
void ResetTimeline(TimelineState& state);

// One frame of the timeline in its fixed order: fade, segment, beat, tint, camera shot, then the
// kind's object update.
void UpdateTimeline(TimelineState& state, SegmentObjects& objects, CameraNode& camera,
                    float musicTime, SpectrumView spectrum, RandomSource random);
