// The abstract GPU constant block, rewritten whole on every update.
#pragma once

#include <cstdint>

// 0 vertex, 1 pixel, any other value compute.
enum ShaderStage : std::uint32_t
{
    VertexStage = 0,
    PixelStage = 1,
    ComputeStage = 2,
};

class ConstantBuffer
{
  public:
    virtual ~ConstantBuffer() = default;
    virtual bool Create(std::uint32_t size) = 0;
    virtual void* Map() = 0;
    virtual void Unmap() = 0;
    virtual void Bind(std::uint32_t stage, std::uint32_t slot) = 0;
};

// Frame (128 bytes), object (128 bytes) and material (32 bytes) blocks.
extern ConstantBuffer* g_frameConstants;
extern ConstantBuffer* g_objectConstants;
extern ConstantBuffer* g_materialConstants;

// Creates the three blocks of the system on the current back end, sized by their layouts; false
// at the first that fails.
bool CreateConstantBuffers();
// A block of the build's back end, not yet created (each back end has its own).
ConstantBuffer* NewConstantBuffer();
