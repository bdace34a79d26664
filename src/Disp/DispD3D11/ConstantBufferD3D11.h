// A constant block as a dynamic Direct3D 11 constant buffer, rewritten whole on every update.
#pragma once

#include "ConstantBuffer.h"

#include <d3d11.h>

class ConstantBufferD3D11 final : public ConstantBuffer
{
  public:
    ~ConstantBufferD3D11() override;
    bool Create(std::uint32_t size) override;
    void* Map() override;
    void Unmap() override;
    void Bind(std::uint32_t stage, std::uint32_t slot) override;

    ID3D11Buffer* buffer = nullptr;
};
