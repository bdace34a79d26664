// The GPU programs compiled at build time and embedded in the executable.
#pragma once

#include <cstddef>
#include <span>

struct GpuProgram
{
    const char* name;
    const void* code; // GLSL 4.50 or WGSL text (NUL-terminated), or DXBC bytes on Direct3D 11
    std::size_t size; // bytes of code, without the terminating NUL of text
};

// The program built from src/gpu/<name>.hlsl, or null when this build holds no such program.
const GpuProgram* FindGpuProgram(const char* name);
// Every program this build holds.
std::span<const GpuProgram> AllGpuPrograms();
