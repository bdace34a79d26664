// Constant blocks with the Direct3D constant buffer's rules: sizes in 16-byte steps, written whole.
#include "ConstantBuffer.h"

#include "Logger.h"
#include "WebGpuCalls.h"

#include <vector>

namespace
{
class ConstantBufferWebGPU final : public ConstantBuffer
{
  public:
    ~ConstantBufferWebGPU() override
    {
        if (id)
            ombrel_gpu_release(id);
    }

    bool Create(std::uint32_t size) override
    {
        if (size == 0 || size % 16 != 0)
        {
            Logger::Print("ERROR: Failed to create cbuffer!\n");
            return false;
        }
        if (id)
            ombrel_gpu_release(id);
        id = ombrel_gpu_create_uniform(size);
        bytes.assign(size, 0);
        return true;
    }

    void* Map() override
    {
        if (!id)
        {
            Logger::Print("ConstantBuffer: Map failed.\n");
            return nullptr;
        }
        return bytes.data();
    }

    // Each draw sees the block as it was when it was drawn, as with Direct3D's discarding map.
    void Unmap() override
    {
        if (id)
            ombrel_gpu_write_uniform(id, bytes.data());
    }

    void Bind(std::uint32_t /*stage*/, std::uint32_t slot) override
    {
        ombrel_gpu_bind_uniform(slot, id);
    }

  private:
    std::uint32_t id = 0;
    std::vector<std::uint8_t> bytes;
};
} // namespace

ConstantBuffer* NewConstantBuffer()
{
    return new ConstantBufferWebGPU;
}
