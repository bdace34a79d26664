// The particle engine on Direct3D 11: one structured buffer, a compute pass and a point draw.
#include "ParticlesD3D11.h"

#include "CheckResult.h"
#include "DispDX11.h"
#include "GpuPrograms.h"
#include "Logger.h"

namespace
{
ParticleEngineD3D11 engine;

DispDX11* Display()
{
    return static_cast<DispDX11*>(g_display);
}

template <typename T> void Release(T*& object)
{
    if (object)
    {
        object->Release();
        object = nullptr;
    }
}
} // namespace

const ParticleEngineD3D11& ParticleEngine()
{
    return engine;
}

bool CreateParticleShaders()
{
    return CreateParticleShadersFrom(FindGpuProgram("ParticleVS"), FindGpuProgram("ParticlePS"),
                                     FindGpuProgram("ParticleUpdateCS"));
}

bool CreateParticleShadersFrom(const GpuProgram* vertex, const GpuProgram* pixel,
                               const GpuProgram* compute)
{
    for (ParticleBuffers*& slot : engine.slots)
        slot = nullptr;

    ID3D11Device* device = Display()->device;
    if (!vertex || FAILED(device->CreateVertexShader(vertex->code, vertex->size, nullptr,
                                                     &engine.vertexShader)))
    {
        Logger::Print("CreateVertexShader failed.\n");
        return false;
    }
    if (!pixel ||
        FAILED(device->CreatePixelShader(pixel->code, pixel->size, nullptr, &engine.pixelShader)))
    {
        Logger::Print("CreatePixelShader failed.\n");
        return false;
    }
    if (!compute || FAILED(device->CreateComputeShader(compute->code, compute->size, nullptr,
                                                       &engine.computeShader)))
    {
        Logger::Print("CreateComputeShader failed.\n");
        return false;
    }
    return true;
}

void CreateParticleBuffer(ParticleBuffers* buffers, ID3D11Device* device, const Particle* initial)
{
    D3D11_BUFFER_DESC desc = {};
    desc.ByteWidth = sizeof(Particle) * kParticleCount;
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS;
    desc.CPUAccessFlags = 0;
    desc.MiscFlags = D3D11_RESOURCE_MISC_BUFFER_STRUCTURED;
    desc.StructureByteStride = sizeof(Particle);
    D3D11_SUBRESOURCE_DATA data = {};
    data.pSysMem = initial;
    HRESULT hr = device->CreateBuffer(&desc, &data, &buffers->buffer);
    CHECK_RESULT(hr);

    D3D11_SHADER_RESOURCE_VIEW_DESC viewDesc = {};
    viewDesc.Format = DXGI_FORMAT_UNKNOWN;
    viewDesc.ViewDimension = D3D11_SRV_DIMENSION_BUFFER;
    viewDesc.Buffer.FirstElement = 0;
    viewDesc.Buffer.NumElements = kParticleCount;
    hr = device->CreateShaderResourceView(buffers->buffer, &viewDesc, &buffers->view);
    CHECK_RESULT(hr);

    D3D11_UNORDERED_ACCESS_VIEW_DESC accessDesc = {};
    accessDesc.Format = DXGI_FORMAT_UNKNOWN;
    accessDesc.ViewDimension = D3D11_UAV_DIMENSION_BUFFER;
    accessDesc.Buffer.FirstElement = 0;
    accessDesc.Buffer.NumElements = kParticleCount;
    accessDesc.Buffer.Flags = 0;
    hr = device->CreateUnorderedAccessView(buffers->buffer, &accessDesc, &buffers->access);
    CHECK_RESULT(hr);
}

void InitParticles(const Particle* initial)
{
    engine.slots[0] = new ParticleBuffers;
    CreateParticleBuffer(engine.slots[0], Display()->device, initial);
}

void StepParticles()
{
    ID3D11DeviceContext* context = Display()->context;
    const ParticleBuffers* buffers = engine.slots[0];
    ID3D11Buffer* noConstants = nullptr;
    ID3D11UnorderedAccessView* noAccess = nullptr;
    ID3D11ShaderResourceView* noView = nullptr;

    context->CSSetShader(engine.computeShader, nullptr, 0);
    // The previous frame's draw left the buffer's read-only view at vertex slot t0: take it off
    // before the buffer is bound for writing, rather than have the runtime displace it.
    context->VSSetShaderResources(0, 1, &noView);
    context->CSSetUnorderedAccessViews(0, 1, &buffers->access, nullptr);
    context->Dispatch(kParticleGroups, 1, 1);
    context->CSSetConstantBuffers(0, 1, &noConstants);
    context->CSSetUnorderedAccessViews(0, 1, &noAccess, nullptr);
    context->CSSetShader(nullptr, nullptr, 0);
}

void UpdateAndDrawParticles()
{
    StepParticles();

    ID3D11DeviceContext* context = Display()->context;
    const ParticleBuffers* buffers = engine.slots[0];
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_POINTLIST);
    context->VSSetShader(engine.vertexShader, nullptr, 0);
    context->VSSetShaderResources(0, 1, &buffers->view);
    context->PSSetShader(engine.pixelShader, nullptr, 0);
    context->Draw(kParticleCount, 0);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
}

void ReleaseParticles()
{
    for (ParticleBuffers*& slot : engine.slots)
    {
        if (!slot)
            continue;
        Release(slot->buffer);
        Release(slot->view);
        Release(slot->access);
        delete slot;
        slot = nullptr;
    }
    Release(engine.vertexShader);
    Release(engine.pixelShader);
    Release(engine.computeShader);
}
