// Byte layouts shared by the CPU and the GPU programs: constant blocks, mesh vertex, particle.
#pragma once

#include <cstddef>
#include <cstdint>

// Matrices are row-major and applied to row vectors (translation in row 3); the CPU writes them
// into the blocks as they are.

// Register b0: vertex, pixel and compute stages.
struct CBufferFrameData
{
    float ViewProjectionMatrix[4][4];
    float CameraLocation[3];
    float Time;
    float CameraClipNear;
    float CameraClipFar;
    float DeltaTime;
    float FFT;
    float Resolution[4]; // width, height, 1 / width, 1 / height
    float Fade;
    float _pad2[3]; // always zero
};

// Register b1: vertex stage.
struct CBufferObjectData
{
    float TransformMatrix[4][4];
    float TransformMatrixIT[4][4]; // row 3 is added to every normal, so it must be (0, 0, 0, 1)
};

// Register b2: pixel stage.
struct CBufferMaterialData
{
    float MaterialBaseColor[4];
    float MaterialSpecular;
    float MaterialMetallic;
    float MaterialRoughness;
    float pad3;
};

// Vertex buffer slot 0 of every material program; also the scene loader's in-memory vertex.
struct MeshVertex
{
    float position[3];
    float normal[3];
    float texcoord[2];
};

// One element of the particle buffer, stride 28.
struct Particle
{
    float position[3];
    float velocity[3];
    float lifetime;
};

constexpr std::uint32_t kFrameConstantsSlot = 0;
constexpr std::uint32_t kObjectConstantsSlot = 1;
constexpr std::uint32_t kMaterialConstantsSlot = 2;

static_assert(sizeof(CBufferFrameData) == 128);
static_assert(offsetof(CBufferFrameData, ViewProjectionMatrix) == 0);
static_assert(offsetof(CBufferFrameData, CameraLocation) == 64);
static_assert(offsetof(CBufferFrameData, Time) == 76);
static_assert(offsetof(CBufferFrameData, CameraClipNear) == 80);
static_assert(offsetof(CBufferFrameData, CameraClipFar) == 84);
static_assert(offsetof(CBufferFrameData, DeltaTime) == 88);
static_assert(offsetof(CBufferFrameData, FFT) == 92);
static_assert(offsetof(CBufferFrameData, Resolution) == 96);
static_assert(offsetof(CBufferFrameData, Fade) == 112);
static_assert(offsetof(CBufferFrameData, _pad2) == 116);

static_assert(sizeof(CBufferObjectData) == 128);
static_assert(offsetof(CBufferObjectData, TransformMatrix) == 0);
static_assert(offsetof(CBufferObjectData, TransformMatrixIT) == 64);

static_assert(sizeof(CBufferMaterialData) == 32);
static_assert(offsetof(CBufferMaterialData, MaterialBaseColor) == 0);
static_assert(offsetof(CBufferMaterialData, MaterialSpecular) == 16);
static_assert(offsetof(CBufferMaterialData, MaterialMetallic) == 20);
static_assert(offsetof(CBufferMaterialData, MaterialRoughness) == 24);
static_assert(offsetof(CBufferMaterialData, pad3) == 28);

static_assert(sizeof(MeshVertex) == 32);
static_assert(offsetof(MeshVertex, position) == 0);
static_assert(offsetof(MeshVertex, normal) == 12);
static_assert(offsetof(MeshVertex, texcoord) == 24);

static_assert(sizeof(Particle) == 28);
static_assert(offsetof(Particle, position) == 0);
static_assert(offsetof(Particle, velocity) == 12);
static_assert(offsetof(Particle, lifetime) == 24);
