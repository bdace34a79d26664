// The abstract indexed triangle mesh: one immutable vertex buffer, one 16-bit index buffer.
#pragma once

#include <cstdint>

class Geometry
{
  public:
    virtual ~Geometry() = default;
    virtual bool CreateVertexBuffer(const void* data, std::uint32_t stride,
                                    std::uint32_t count) = 0;
    virtual bool CreateIndexBuffer(const std::uint16_t* data, std::uint32_t count) = 0;
    virtual void BindVertexBuffer() = 0;
    virtual void BindIndexBuffer() = 0;
    virtual void Draw() = 0;
};

// A new, empty geometry of the current back end.
Geometry* CreateGeometry();
