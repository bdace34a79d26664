// A shader set on Direct3D 11: vertex program, pixel program and an optional input layout.
#pragma once

#include "Shader.h"

#include <d3d11.h>

class ShaderD3D11 final : public Shader
{
  public:
    ~ShaderD3D11() override;
    void Bind() override;

    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
    ID3D11InputLayout* inputLayout = nullptr;
};
