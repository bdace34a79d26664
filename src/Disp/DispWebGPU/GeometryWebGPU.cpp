// Vertex and index buffers; the vertex layout comes from the bound shader set, as on Direct3D.
#include "Geometry.h"

#include "Logger.h"
#include "WebGpuCalls.h"

namespace
{
// A buffer holding exactly `bytes` bytes of data; 0 after logging on failure.
std::uint32_t CreateImmutableBuffer(std::uint32_t usage, const void* data, std::uint64_t bytes)
{
    const std::uint32_t id = data && bytes != 0 && bytes <= UINT32_MAX
                                 ? ombrel_gpu_create_buffer(usage, data, std::uint32_t(bytes))
                                 : 0;
    if (!id)
        Logger::Print("CreateBuffer failed.");
    return id;
}

void Release(std::uint32_t& id)
{
    if (id)
        ombrel_gpu_release(id);
    id = 0;
}

class GeometryWebGPU final : public Geometry
{
  public:
    ~GeometryWebGPU() override
    {
        Release(vertexBuffer);
        Release(indexBuffer);
    }

    bool CreateVertexBuffer(const void* data, std::uint32_t vertexStride,
                            std::uint32_t count) override
    {
        const std::uint32_t id =
            CreateImmutableBuffer(VertexBufferUsage, data, std::uint64_t(vertexStride) * count);
        if (!id)
            return false;
        Release(vertexBuffer);
        vertexBuffer = id;
        stride = vertexStride;
        return true;
    }

    bool CreateIndexBuffer(const std::uint16_t* data, std::uint32_t count) override
    {
        const std::uint32_t id =
            CreateImmutableBuffer(IndexBufferUsage, data, std::uint64_t(count) * 2);
        if (!id)
            return false;
        Release(indexBuffer);
        indexBuffer = id;
        indexCount = count;
        return true;
    }

    void BindVertexBuffer() override { ombrel_gpu_set_vertex_buffer(vertexBuffer, stride); }
    void BindIndexBuffer() override { ombrel_gpu_set_index_buffer(indexBuffer); }

    void Draw() override
    {
        if (indexCount != 0 && indexBuffer)
            ombrel_gpu_draw_indexed(indexCount);
    }

  private:
    std::uint32_t vertexBuffer = 0;
    std::uint32_t indexBuffer = 0;
    std::uint32_t stride = 0;
    std::uint32_t indexCount = 0;
};
} // namespace

Geometry* CreateGeometry()
{
    return new GeometryWebGPU;
}
