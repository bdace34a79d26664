// Shader sets from embedded DXBC; a missing member leaves its pipeline stage as it was.
#include "ShaderD3D11.h"

#include "DispDX11.h"
#include "GpuPrograms.h"
#include "Logger.h"
#include "ShaderSets.h"

namespace
{
DispDX11* Display()
{
    return static_cast<DispDX11*>(g_display);
}

constexpr std::uint32_t kMaxInputElements = 8;
} // namespace

ShaderD3D11::~ShaderD3D11()
{
    if (vertexShader)
    {
        vertexShader->Release();
        vertexShader = nullptr;
    }
    if (pixelShader)
    {
        pixelShader->Release();
        pixelShader = nullptr;
    }
    if (inputLayout)
    {
        inputLayout->Release();
        inputLayout = nullptr;
    }
}

void ShaderD3D11::Bind()
{
    ID3D11DeviceContext* context = Display()->context;
    if (inputLayout)
        context->IASetInputLayout(inputLayout);
    if (vertexShader)
        context->VSSetShader(vertexShader, nullptr, 0);
    if (pixelShader)
        context->PSSetShader(pixelShader, nullptr, 0);
}

Shader* CreateShaderSet(const ShaderSetSource& source)
{
    ID3D11Device* device = Display()->device;
    ShaderD3D11* set = new ShaderD3D11;
    if (!source.vertex ||
        FAILED(device->CreateVertexShader(source.vertex->code, source.vertex->size, nullptr,
                                          &set->vertexShader)))
    {
        Logger::Print("CreateVertexShader failed.\n");
        delete set;
        return nullptr;
    }
    if (!source.pixel || FAILED(device->CreatePixelShader(source.pixel->code, source.pixel->size,
                                                          nullptr, &set->pixelShader)))
    {
        Logger::Print("CreatePixelShader failed.\n");
        delete set;
        return nullptr;
    }
    if (source.layout)
    {
        D3D11_INPUT_ELEMENT_DESC elements[kMaxInputElements] = {};
        const std::uint32_t count = source.layout->count;
        for (std::uint32_t i = 0; i < count && i < kMaxInputElements; ++i)
        {
            const InputElement& element = source.layout->elements[i];
            elements[i].SemanticName = element.semantic;
            elements[i].SemanticIndex = element.semanticIndex;
            elements[i].Format = static_cast<DXGI_FORMAT>(element.dxgiFormat);
            elements[i].InputSlot = 0;
            elements[i].AlignedByteOffset = D3D11_APPEND_ALIGNED_ELEMENT;
            elements[i].InputSlotClass = D3D11_INPUT_PER_VERTEX_DATA;
            elements[i].InstanceDataStepRate = 0;
        }
        if (count > kMaxInputElements ||
            FAILED(device->CreateInputLayout(elements, count, source.vertex->code,
                                             source.vertex->size, &set->inputLayout)))
        {
            Logger::Print("CreateInputLayout failed.\n");
            delete set;
            return nullptr;
        }
    }
    return set;
}
