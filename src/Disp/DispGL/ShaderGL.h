// A shader set on GL: separable vertex and pixel programs and the input layout they draw with.
#pragma once

#include "Shader.h"
#include "ShaderSets.h"

#include <epoxy/gl.h>

struct GpuProgram;

// A linked separable program of one stage from embedded GLSL, or 0 (the compiler's text goes to
// stderr only); the particle engine makes its programs the same way.
GLuint CreateProgram(GLenum stage, const GpuProgram* program);
// Deletes a program made by CreateProgram, if any, and zeroes the name.
void DeleteProgram(GLuint& program);

class ShaderGL final : public Shader
{
  public:
    ~ShaderGL() override;
    void Bind() override;

    GLuint vertexShader = 0;
    GLuint pixelShader = 0;
    const InputLayoutDesc* inputLayout = nullptr; // not a GL object; applied to the vertex array
};
