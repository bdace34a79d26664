// A constant block as a GL uniform buffer, rewritten whole on every update.
#pragma once

#include "ConstantBuffer.h"

#include <epoxy/gl.h>

class ConstantBufferGL final : public ConstantBuffer
{
  public:
    ~ConstantBufferGL() override;
    bool Create(std::uint32_t size) override;
    void* Map() override;
    void Unmap() override;
    // GL has one set of uniform-buffer bindings for all stages: every stage binds slot `slot`.
    void Bind(std::uint32_t stage, std::uint32_t slot) override;

    GLuint buffer = 0;
    std::uint32_t size = 0;
};
