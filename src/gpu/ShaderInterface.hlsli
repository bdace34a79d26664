// GPU side of the CPU/GPU contract: constant blocks, vertex and inter-stage records, the particle
// record. The byte layouts match ShaderInterface.h; every block has its own register in every
// stage, so one binding per block serves all programs on every back end.
#ifndef SHADER_INTERFACE_HLSLI
#define SHADER_INTERFACE_HLSLI

// Matrices are stored row by row and applied to row vectors: mul(float4(p, 1), M).
// The padding is three scalars: GLSL's block layouts cannot place a float3 at byte 116.
cbuffer CBufferFrameData : register(b0)
{
    row_major float4x4 ViewProjectionMatrix;
    float3 CameraLocation;
    float Time;
    float CameraClipNear;
    float CameraClipFar;
    float DeltaTime;
    float FFT;
    float4 Resolution;
    float Fade;
    float _pad2x;
    float _pad2y;
    float _pad2z;
};

cbuffer CBufferObjectData : register(b1)
{
    row_major float4x4 TransformMatrix;
    row_major float4x4 TransformMatrixIT;
};

cbuffer CBufferMaterialData : register(b2)
{
    float4 MaterialBaseColor;
    float MaterialSpecular;
    float MaterialMetallic;
    float MaterialRoughness;
    float pad3;
};

// Every material vertex program declares all three attributes, used or not, so that attribute
// locations (0, 1, 2) are the same in every program and match the mesh layout.
struct MeshVertex
{
    float3 position : POSITION;
    float3 normal : NORMAL;
    float2 texcoord : TEXCOORD;
};

// Vertex and pixel programs declare the whole record so that stage locations line up.
struct MaterialVaryings
{
    float4 position : SV_Position;
    float3 worldPos : WORLDPOS;
    float3 normal : NORMAL;
    float2 texcoord : TEXCOORD;
    float4 color : COLOR;
};

struct FullscreenVaryings
{
    float4 position : SV_Position;
    float2 uv : TEXCOORD;
};

struct ParticleVaryings
{
    float4 position : SV_POSITION;
    float4 color : TEXCOORD;
};

// 28 bytes, stride 28: seven scalars, because std430 cannot lay out {float3, float3, float} at
// that stride.
struct Particle
{
    float positionX;
    float positionY;
    float positionZ;
    float velocityX;
    float velocityY;
    float velocityZ;
    float lifetime;
};

static const uint kParticleCount = 2450000;

#endif
