// Programs on the page's device, shared by the shader sets and the particle engine.
#pragma once

#include <cstdint>

struct GpuProgram;

// The program's id for stage 0 (vertex), 1 (pixel) or 2 (compute); 0 when the build lacks it.
std::uint32_t CreateProgram(std::uint32_t stage, const GpuProgram* program);
void DeleteProgram(std::uint32_t& program);
