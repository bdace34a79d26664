// Fills the frame, object and material constant blocks and draws mesh nodes.
#pragma once

#include "SceneGraph.h"
#include "ShaderInterface.h"

#include <cstdint>

struct Material
{
    std::uint32_t reserved = 0;
    float baseColor[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    float specular = 0;
    float metallic = 0;
    float roughness = 0;
};

// Left-handed, depth 0..1, at a fixed 16:9 aspect ratio whatever the output size.
Matrix4 ComputeProjectionMatrix(const CameraNode& camera);

// The block contents, computed without a device. The frame block recomposes the camera's and
// its target's matrices (see ComputeViewMatrix).
CBufferFrameData MakeFrameConstants(CameraNode& camera, int width, int height, float time,
                                    float deltaTime, float fade, float spectrumLevel);
CBufferObjectData MakeObjectConstants(const Matrix4& world);

// Each maps its block, writes it, unmaps and binds it; a failed map writes and binds nothing.
// spectrumLevel is the frame's audio level (element 1 of the spectrum).
void UpdateFrameConstants(CameraNode& camera, int width, int height, float time, float deltaTime,
                          float fade, float spectrumLevel);
void UpdateObjectConstants(const Matrix4& world);
void UpdateMaterialConstants(const Material& material);

// Draws every geometry of the node with whatever shaders, textures and constants are bound.
void DrawMeshNode(const MeshNode& node);
