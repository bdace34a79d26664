// Shader sets from embedded WGSL: the programs are created on the page's device and swapped into
// the draw state, with the input layout they came with.
#include "ShaderSets.h"

#include "GpuPrograms.h"
#include "Logger.h"
#include "ShaderWebGPU.h"
#include "WebGpuCalls.h"

std::uint32_t CreateProgram(std::uint32_t stage, const GpuProgram* program)
{
    if (!program || !program->code)
        return 0;
    return ombrel_gpu_create_program(stage, static_cast<const char*>(program->code));
}

void DeleteProgram(std::uint32_t& program)
{
    if (program)
        ombrel_gpu_release(program);
    program = 0;
}

namespace
{
class ShaderWebGPU final : public Shader
{
  public:
    ~ShaderWebGPU() override
    {
        DeleteProgram(vertexShader);
        DeleteProgram(pixelShader);
    }

    void Bind() override
    {
        // A set without a layout keeps the one bound before it, as Direct3D's input assembler does.
        if (layoutCount != 0)
            ombrel_gpu_set_input_layout(components, layoutCount);
        ombrel_gpu_use_programs(vertexShader, pixelShader);
    }

    void SetLayout(const InputLayoutDesc& layout)
    {
        layoutCount = layout.count < kMaxElements ? layout.count : kMaxElements;
        for (std::uint32_t i = 0; i < layoutCount; ++i)
            components[i] = layout.elements[i].components;
    }

    std::uint32_t vertexShader = 0;
    std::uint32_t pixelShader = 0;

  private:
    static constexpr std::uint32_t kMaxElements = 16;
    std::uint32_t components[kMaxElements] = {}; // 32-bit floats of each element
    std::uint32_t layoutCount = 0;
};
} // namespace

Shader* CreateShaderSet(const ShaderSetSource& source)
{
    ShaderWebGPU* set = new ShaderWebGPU;
    set->vertexShader = CreateProgram(0, source.vertex);
    if (!set->vertexShader)
    {
        Logger::Print("CreateVertexShader failed.\n");
        delete set;
        return nullptr;
    }
    set->pixelShader = CreateProgram(1, source.pixel);
    if (!set->pixelShader)
    {
        Logger::Print("CreatePixelShader failed.\n");
        delete set;
        return nullptr;
    }
    if (source.layout)
    {
        // Direct3D's layout validation: every vertex input the program reads has an element.
        if (ombrel_gpu_program_inputs(set->vertexShader) > source.layout->count)
        {
            Logger::Print("CreateInputLayout failed.\n");
            delete set;
            return nullptr;
        }
        set->SetLayout(*source.layout);
    }
    return set;
}
