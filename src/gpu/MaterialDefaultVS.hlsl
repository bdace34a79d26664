// Default material, vertex stage: places the mesh by the view-projection matrix alone.
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
    float _pad2a; // scalars, not a float3: std140 cannot place a float3 at byte 116
    float _pad2b;
    float _pad2c;
};

struct MeshVertex
{
    float3 position : POSITION;
    float3 normal : NORMAL;
    float2 uv : TEXCOORD;
};

struct MaterialVaryings
{
    float4 position : SV_Position;
    float3 worldPos : WORLDPOS;
    float3 normal : NORMAL;
    float2 uv : TEXCOORD;
    float4 color : COLOR;
};

MaterialVaryings main(MeshVertex input)
{
    MaterialVaryings output;
    output.position = mul(float4(input.position, 1), ViewProjectionMatrix);
    output.worldPos = float3(0, 0, 0);
    output.normal = float3(0, 0, 0);
    output.uv = input.uv;
    output.color = float4(0, 0, 0, 1);
    return output;
}
