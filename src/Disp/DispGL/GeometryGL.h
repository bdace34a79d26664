// An indexed triangle mesh in two immutable GL buffers, drawn through DispGL's vertex array.
#pragma once

#include "Geometry.h"

#include <epoxy/gl.h>

class GeometryGL final : public Geometry
{
  public:
    ~GeometryGL() override;
    bool CreateVertexBuffer(const void* data, std::uint32_t stride, std::uint32_t count) override;
    bool CreateIndexBuffer(const std::uint16_t* data, std::uint32_t count) override;
    void BindVertexBuffer() override;
    void BindIndexBuffer() override;
    void Draw() override;

    std::uint32_t vertexCount = 0;
    std::uint32_t indexCount = 0;
    std::uint32_t stride = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
};
