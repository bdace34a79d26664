// A shader set on GL: separable vertex and pixel programs and the input layout they draw with.
#pragma once

#include "Shader.h"
#include "ShaderSets.h"

#include <epoxy/gl.h>

class ShaderGL final : public Shader
{
  public:
    ~ShaderGL() override;
    void Bind() override;

    GLuint vertexShader = 0;
    GLuint pixelShader = 0;
    const InputLayoutDesc* inputLayout = nullptr; // not a GL object; applied to the vertex array
};
