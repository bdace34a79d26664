// Dynamic constant buffers: map with discard, write, unmap, bind to a stage.
#include "ConstantBufferD3D11.h"

#include "DispDX11.h"
#include "Logger.h"

namespace
{
DispDX11* Display()
{
    return static_cast<DispDX11*>(g_display);
}
} // namespace

ConstantBufferD3D11::~ConstantBufferD3D11()
{
    if (buffer)
    {
        buffer->Release();
        buffer = nullptr;
    }
}

bool ConstantBufferD3D11::Create(std::uint32_t size)
{
    D3D11_BUFFER_DESC desc = {};
    desc.ByteWidth = size;
    desc.Usage = D3D11_USAGE_DYNAMIC;
    desc.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
    desc.MiscFlags = 0;
    desc.StructureByteStride = 0;
    if (FAILED(Display()->device->CreateBuffer(&desc, nullptr, &buffer)))
    {
        Logger::Print("ERROR: Failed to create cbuffer!\n");
        return false;
    }
    return true;
}

void* ConstantBufferD3D11::Map()
{
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (!buffer || FAILED(Display()->context->Map(buffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped)))
    {
        Logger::Print("ConstantBuffer: Map failed.\n");
        return nullptr;
    }
    return mapped.pData;
}

void ConstantBufferD3D11::Unmap()
{
    Display()->context->Unmap(buffer, 0);
}

void ConstantBufferD3D11::Bind(std::uint32_t stage, std::uint32_t slot)
{
    ID3D11DeviceContext* context = Display()->context;
    if (stage == VertexStage)
        context->VSSetConstantBuffers(slot, 1, &buffer);
    else if (stage == PixelStage)
        context->PSSetConstantBuffers(slot, 1, &buffer);
    else
        context->CSSetConstantBuffers(slot, 1, &buffer);
}

ConstantBuffer* NewConstantBuffer()
{
    return new ConstantBufferD3D11;
}
