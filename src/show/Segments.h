// The scripts of the eight segment kinds: object animation, materials and drawing lists.
#pragma once

#include "SceneDraw.h"
#include "Vocabulary.h"

#include <cstdint>

// The scene file each SegmentKind shows, in load order.
inline constexpr const char* SceneFiles[kSegmentKindCount] = {
    "data\\rings.bin",  "data\\scene01.bin", "data\\tunnel.bin", "data\\logo.bin",
    "data\\greets.bin", "data\\grinder.bin", "data\\tarv.bin",   "data\\sphere.bin",
};

// How many mesh nodes each kind's script draws from; missing ones are skipped.
inline constexpr std::uint32_t kScriptMeshCount[kSegmentKindCount] = {5, 6, 4, 2, 6, 3, 3, 2};

constexpr int kRingCount = 20;
constexpr int kRingPieceCount = 5;
constexpr int kInstanceCount = 40;

struct SegmentObjects
{
    Matrix4 IdentityMatrix = MakeIdentity();

    Material TintMaterial;
    Material DeepBlueMaterial;
    Material BronzeMaterial;
    Material InkMaterial;
    Material BrassMaterial;
    Material TealMetalMaterial;

    Matrix4 RingMatrices[kRingCount];
    Matrix4 ringPieces[kRingPieceCount]; // pieces 1 to 5 of the Rings stack
    Matrix4 scene01Objects[3];           // X, Y, Z
    Matrix4 InstanceMatrices[kInstanceCount];
};

// qY(yaw) x qX(pitch) x qZ(roll), as (x, y, z, w).
Float4 EulerQuaternion(float yaw, float pitch, float roll);
Transform InitTransform(Float3 position, Float4 rotation, Float3 scale);

// The anchor of the Scene01 objects, which its camera shots follow.
Float3 Scene01Anchor(float musicTime);

// Start-up: the materials, the tint and the Grinder instances (three random values each).
void InitSegmentObjects(SegmentObjects& objects, Float4 tint, RandomSource random);

void SetTint(SegmentObjects& objects, Float4 tint);

// The kind's object update, run by the timeline after the camera shot.
void UpdateSegmentObjects(SegmentObjects& objects, SegmentKind kind, float musicTime,
                          float segmentTime, SpectrumView spectrum, RandomSource random);

enum class ShaderSet : std::uint8_t
{
    Default,
    Pbr,
    PbrNoise,
};

// The device side of a script. DrawMesh receives indices below the scene's mesh count only.
class SceneDrawer
{
  public:
    virtual void BindShaderSet(ShaderSet set) = 0;
    virtual void SetMaterial(const Material& material) = 0; // UpdateMaterialConstants
    virtual void SetWorld(const Matrix4& world) = 0;        // UpdateObjectConstants
    virtual void DrawMesh(std::uint32_t meshIndex) = 0;     // DrawMeshNode(meshNodes[index])

  protected:
    ~SceneDrawer() = default;
};

// What the frame sets before any script draws: identity world, default shader set.
void BeginSceneDrawing(SceneDrawer& drawer, const SegmentObjects& objects);

// The kind's drawing list over a scene of meshCount mesh nodes.
void DrawSegment(SceneDrawer& drawer, SegmentKind kind, const SegmentObjects& objects,
                 std::uint32_t meshCount, float musicTime, float segmentTime,
                 SpectrumView spectrum);
