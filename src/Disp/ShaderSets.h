// What the three back ends share to build shader sets: the input layouts and the set-creation seam.
#pragma once

#include "Shader.h"

#include <cstdint>

struct GpuProgram;

// One vertex attribute in input slot 0; elements pack one after another (append-aligned), and
// on OpenGL element i is attribute location i, the declaration order of the vertex program.
struct InputElement
{
    const char* semantic;
    std::uint32_t semanticIndex;
    std::uint32_t dxgiFormat;
    std::uint32_t components; // 32-bit floats
};

struct InputLayoutDesc
{
    const InputElement* elements;
    std::uint32_t count;
};

// The 32-byte mesh vertex: POSITION, NORMAL, TEXCOORD.
extern const InputLayoutDesc kMeshLayout;
// The 20-byte screen vertex: POSITION, TEXCOORD.
extern const InputLayoutDesc kScreenLayout;

struct ShaderSetSource
{
    const GpuProgram* vertex; // null: the program is not in this build, creation fails
    const GpuProgram* pixel;
    const InputLayoutDesc* layout; // null for sets without an input layout
};

// Back end: creates the vertex program, the pixel program and the layout in that order; the
// first failing step logs its line, releases what was made and gives null.
Shader* CreateShaderSet(const ShaderSetSource& source);
