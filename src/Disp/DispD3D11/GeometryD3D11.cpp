// Immutable vertex and index buffers, drawn as a triangle list whatever topology was set before.
#include "GeometryD3D11.h"

#include "DispDX11.h"
#include "Logger.h"

#include <cstdint>

namespace
{
DispDX11* Display()
{
    return static_cast<DispDX11*>(g_display);
}

// An immutable buffer of exactly `bytes` bytes; null after logging on failure.
ID3D11Buffer* CreateImmutableBuffer(UINT bindFlags, const void* data, std::uint64_t bytes)
{
    ID3D11Buffer* buffer = nullptr;
    D3D11_BUFFER_DESC desc = {};
    desc.ByteWidth = static_cast<UINT>(bytes);
    desc.Usage = D3D11_USAGE_IMMUTABLE;
    desc.BindFlags = bindFlags;
    desc.CPUAccessFlags = 0;
    desc.MiscFlags = 0;
    desc.StructureByteStride = 0;
    D3D11_SUBRESOURCE_DATA initial = {};
    initial.pSysMem = data;
    // A byte count that does not fit 32 bits would wrap and read a different amount.
    if (bytes > UINT32_MAX || FAILED(Display()->device->CreateBuffer(&desc, &initial, &buffer)))
    {
        Logger::Print("CreateBuffer failed.");
        return nullptr;
    }
    return buffer;
}
} // namespace

GeometryD3D11::~GeometryD3D11()
{
    if (vertexBuffer)
    {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    if (indexBuffer)
    {
        indexBuffer->Release();
        indexBuffer = nullptr;
    }
}

bool GeometryD3D11::CreateVertexBuffer(const void* data, std::uint32_t vertexStride,
                                       std::uint32_t count)
{
    ID3D11Buffer* buffer =
        CreateImmutableBuffer(D3D11_BIND_VERTEX_BUFFER, data, std::uint64_t(vertexStride) * count);
    if (!buffer)
        return false;
    if (vertexBuffer)
        vertexBuffer->Release();
    vertexBuffer = buffer;
    stride = vertexStride;
    vertexCount = count;
    return true;
}

bool GeometryD3D11::CreateIndexBuffer(const std::uint16_t* data, std::uint32_t count)
{
    ID3D11Buffer* buffer =
        CreateImmutableBuffer(D3D11_BIND_INDEX_BUFFER, data, std::uint64_t(count) * 2);
    if (!buffer)
        return false;
    if (indexBuffer)
        indexBuffer->Release();
    indexBuffer = buffer;
    indexCount = count;
    return true;
}

void GeometryD3D11::BindVertexBuffer()
{
    const UINT offset = 0;
    const UINT strides = stride;
    Display()->context->IASetVertexBuffers(0, 1, &vertexBuffer, &strides, &offset);
}

void GeometryD3D11::BindIndexBuffer()
{
    Display()->context->IASetIndexBuffer(indexBuffer, DXGI_FORMAT_R16_UINT, 0);
}

void GeometryD3D11::Draw()
{
    ID3D11DeviceContext* context = Display()->context;
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->DrawIndexed(indexCount, 0, 0);
}

Geometry* CreateGeometry()
{
    return new GeometryD3D11;
}
