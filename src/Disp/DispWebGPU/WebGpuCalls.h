// The WebGPU device's calls, written in JavaScript (library-webgpu.js). Ids name the
// objects kept on that side; 0 names none.
#pragma once

#include <cstdint>

enum WebGpuTextureKind : std::uint32_t
{
    SampledTexture = 0,
    RenderTexture = 1,
    DepthTexture = 2,
};

enum WebGpuBufferUsage : std::uint32_t
{
    VertexBufferUsage = 0,
    IndexBufferUsage = 1,
    StorageBufferUsage = 2,
};

enum WebGpuTopology : std::uint32_t
{
    TriangleList = 0,
    TriangleStrip = 1,
    PointList = 2,
};

// Storage buffers bind by the register they are declared at: t0 reads at 10, u0 writes at 20.
constexpr std::uint32_t kStorageReadBinding = 10;
constexpr std::uint32_t kStorageWriteBinding = 20;

extern "C"
{
    // The back buffer's id (RGBA8, RGB10A2 or RGBA16F), 0 without a device.
    std::uint32_t ombrel_gpu_init(std::uint32_t width, std::uint32_t height, std::uint32_t format);
    // The largest texture side the device creates, 0 without a device.
    std::uint32_t ombrel_gpu_max_texture_side();
    int ombrel_gpu_shutdown();
    void ombrel_gpu_release(std::uint32_t id);
    void ombrel_gpu_set_viewport(float x, float y, float width, float height);
    void ombrel_gpu_set_render_target(std::uint32_t color, std::uint32_t depth);
    // entries: faces × levelsPerFace records of five words (offset, size, row pitch, width,
    // height); null data creates the texture empty.
    std::uint32_t ombrel_gpu_create_texture(std::uint32_t width, std::uint32_t height,
                                            std::uint32_t format, std::uint32_t levels,
                                            std::uint32_t cube, std::uint32_t kind,
                                            const void* data, const std::uint32_t* entries,
                                            std::uint32_t faces, std::uint32_t levelsPerFace);
    void ombrel_gpu_bind_texture(std::uint32_t slot, std::uint32_t id);
    std::uint32_t ombrel_gpu_create_buffer(std::uint32_t usage, const void* data,
                                           std::uint32_t size);
    std::uint32_t ombrel_gpu_create_uniform(std::uint32_t size);
    void ombrel_gpu_write_uniform(std::uint32_t id, const void* data);
    void ombrel_gpu_bind_uniform(std::uint32_t slot, std::uint32_t id);
    void ombrel_gpu_bind_storage(std::uint32_t binding, std::uint32_t id);
    // stage: 0 vertex, 1 pixel, 2 compute; text is WGSL.
    std::uint32_t ombrel_gpu_create_program(std::uint32_t stage, const char* text);
    std::uint32_t ombrel_gpu_program_inputs(std::uint32_t id);
    // 0 keeps the stage's program.
    void ombrel_gpu_use_programs(std::uint32_t vertex, std::uint32_t pixel);
    void ombrel_gpu_set_input_layout(const std::uint32_t* components, std::uint32_t count);
    void ombrel_gpu_set_vertex_buffer(std::uint32_t id, std::uint32_t stride);
    void ombrel_gpu_set_index_buffer(std::uint32_t id);
    void ombrel_gpu_draw(std::uint32_t count, std::uint32_t start, std::uint32_t topology);
    void ombrel_gpu_draw_indexed(std::uint32_t count);
    void ombrel_gpu_dispatch(std::uint32_t program, std::uint32_t groups);
    void ombrel_gpu_present();
    void ombrel_gpu_flush();
}
