// Constant-block filling and mesh drawing between the scene graph and the GPU programs.
#include "SceneDraw.h"

#include "ConstantBuffer.h"
#include "Geometry.h"

#include <cmath>
#include <cstring>

Matrix4 ComputeProjectionMatrix(const CameraNode& camera)
{
    const float halfAngle = camera.fieldOfView / 2;
    const float ys = 1 / static_cast<float>(std::tan(static_cast<double>(halfAngle)));
    const float xs = ys / 1.7777778f;
    const float q = camera.clipFar / (camera.clipFar - camera.clipNear);
    return {{
        {xs, 0, 0, 0},
        {0, ys, 0, 0},
        {0, 0, q, 1},
        {0, 0, -camera.clipNear * q, 0},
    }};
}

CBufferFrameData MakeFrameConstants(CameraNode& camera, int width, int height, float time,
                                    float deltaTime, float fade, float spectrumLevel)
{
    const Matrix4 projection = ComputeProjectionMatrix(camera);
    const Matrix4 view = ComputeViewMatrix(camera);
    const Matrix4 viewProjection = Multiply(view, projection);

    CBufferFrameData frame;
    std::memset(&frame, 0, sizeof frame);
    std::memcpy(frame.ViewProjectionMatrix, viewProjection.m, sizeof frame.ViewProjectionMatrix);
    for (int i = 0; i < 3; ++i)
        frame.CameraLocation[i] = camera.localMatrix.m[3][i];
    frame.Time = time;
    frame.CameraClipNear = camera.clipNear;
    frame.CameraClipFar = camera.clipFar;
    frame.DeltaTime = deltaTime;
    frame.FFT = spectrumLevel;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    frame.Resolution[0] = w;
    frame.Resolution[1] = h;
    frame.Resolution[2] = 1 / w;
    frame.Resolution[3] = 1 / h;
    frame.Fade = fade;
    return frame;
}

CBufferObjectData MakeObjectConstants(const Matrix4& world)
{
    const auto& m = world.m;
    CBufferObjectData object;
    std::memcpy(object.TransformMatrix, m, sizeof object.TransformMatrix);
    // Inverse transpose for a rotation times a uniform scale: the matrix over its squared scale.
    const float h = 1 / (m[0][0] * m[0][0] + m[0][1] * m[0][1] + m[0][2] * m[0][2]);
    for (int i = 0; i < 3; ++i)
    {
        for (int j = 0; j < 3; ++j)
            object.TransformMatrixIT[i][j] = m[i][j] * h;
        object.TransformMatrixIT[i][3] = 0;
    }
    for (int j = 0; j < 3; ++j)
        object.TransformMatrixIT[3][j] =
            -(m[0][3] * m[0][j] + m[1][3] * m[1][j] + m[2][3] * m[2][j]) * h;
    object.TransformMatrixIT[3][3] = 1;
    return object;
}

void UpdateFrameConstants(CameraNode& camera, int width, int height, float time, float deltaTime,
                          float fade, float spectrumLevel)
{
    const CBufferFrameData frame =
        MakeFrameConstants(camera, width, height, time, deltaTime, fade, spectrumLevel);
    void* mapped = g_frameConstants->Map();
    if (!mapped)
        return;
    std::memcpy(mapped, &frame, sizeof frame);
    g_frameConstants->Unmap();
    g_frameConstants->Bind(VertexStage, kFrameConstantsSlot);
    g_frameConstants->Bind(PixelStage, kFrameConstantsSlot);
    g_frameConstants->Bind(ComputeStage, kFrameConstantsSlot);
}

void UpdateObjectConstants(const Matrix4& world)
{
    const CBufferObjectData object = MakeObjectConstants(world);
    void* mapped = g_objectConstants->Map();
    if (!mapped)
        return;
    std::memcpy(mapped, &object, sizeof object);
    g_objectConstants->Unmap();
    g_objectConstants->Bind(VertexStage, kObjectConstantsSlot);
}

void UpdateMaterialConstants(const Material& material)
{
    CBufferMaterialData block;
    std::memcpy(block.MaterialBaseColor, material.baseColor, sizeof block.MaterialBaseColor);
    block.MaterialSpecular = material.specular;
    block.MaterialMetallic = material.metallic;
    block.MaterialRoughness = material.roughness;
    void* mapped = g_materialConstants->Map();
    if (!mapped)
        return;
    // The trailing padding is left as the map found it.
    std::memcpy(mapped, &block, offsetof(CBufferMaterialData, pad3));
    g_materialConstants->Unmap();
    g_materialConstants->Bind(PixelStage, kMaterialConstantsSlot);
}

void DrawMeshNode(const MeshNode& node)
{
    for (std::uint32_t i = 0; i < node.geometryCount; ++i)
    {
        Geometry* geometry = node.geometries[i];
        if (!geometry) // released already
            continue;
        geometry->BindVertexBuffer();
        geometry->BindIndexBuffer();
        geometry->Draw();
    }
}
