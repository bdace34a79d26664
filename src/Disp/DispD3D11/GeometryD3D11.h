// An indexed triangle mesh in two immutable Direct3D 11 buffers with 16-bit indices.
#pragma once

#include "Geometry.h"

#include <d3d11.h>

class GeometryD3D11 final : public Geometry
{
  public:
    ~GeometryD3D11() override;
    bool CreateVertexBuffer(const void* data, std::uint32_t stride, std::uint32_t count) override;
    bool CreateIndexBuffer(const std::uint16_t* data, std::uint32_t count) override;
    void BindVertexBuffer() override;
    void BindIndexBuffer() override;
    void Draw() override;

    std::uint32_t vertexCount = 0;
    std::uint32_t indexCount = 0;
    std::uint32_t stride = 0;
    ID3D11Buffer* vertexBuffer = nullptr;
    ID3D11Buffer* indexBuffer = nullptr;
};
