// The Direct3D 11 display device: start-up, per-frame operations and the texture operations.
#include "DispDX11.h"

#include "Logger.h"
#include "TextureLayout.h"

namespace
{
template <typename T> void SafeRelease(T*& object)
{
    if (object)
    {
        object->Release();
        object = nullptr;
    }
}

DXGI_FORMAT DxgiFormat(PixelFormat format)
{
    return static_cast<DXGI_FORMAT>(ToDxgiFormat(format));
}

// 0.012 is the 32-bit float 0x3C449BA6.
const float kClearColor[4] = {0.012f, 0.012f, 0.012f, 1.0f};
} // namespace

bool DispDX11::Init(const DisplayMode& mode, bool fullscreen, WindowHandle window)
{
    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1,
                                        D3D_FEATURE_LEVEL_10_0, D3D_FEATURE_LEVEL_9_3,
                                        D3D_FEATURE_LEVEL_9_2,  D3D_FEATURE_LEVEL_9_1};
    if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr,
                                 D3D11_CREATE_DEVICE_SINGLETHREADED, levels, 6, D3D11_SDK_VERSION,
                                 &device, &featureLevel, &context)))
    {
        Logger::Print("ERROR: D3D11CreateDevice() failed.\n");
        return false;
    }

    DXGI_SWAP_CHAIN_DESC desc = {};
    desc.BufferDesc.Width = mode.width;
    desc.BufferDesc.Height = mode.height;
    desc.BufferDesc.RefreshRate.Numerator = mode.refreshRate;
    desc.BufferDesc.RefreshRate.Denominator = 1;
    desc.BufferDesc.Format = DxgiFormat(mode.format);
    desc.SampleDesc.Count = 1;
    desc.SampleDesc.Quality = 0;
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT | DXGI_USAGE_BACK_BUFFER;
    desc.BufferCount = 1;
    desc.OutputWindow = window;
    desc.Windowed = fullscreen ? FALSE : TRUE;
    desc.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    desc.Flags = 0;

    // The 1.1 factory, as the Direct3D 11 device itself uses: DXGI 1.0 and 1.1 factories are not
    // to be mixed in one process.
    IDXGIFactory1* factory = nullptr;
    if (FAILED(CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory))))
    {
        Logger::Print("ERROR: CreateDXGIFactory() failed.\n");
        return false;
    }
    if (FAILED(factory->CreateSwapChain(device, &desc, &swapChain)))
    {
        Logger::Print("ERROR: CreateSwapChain() failed.\n");
        factory->Release();
        return false;
    }
    factory->Release();

    sTexD3D11* record = new sTexD3D11;
    if (FAILED(swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D),
                                    reinterpret_cast<void**>(&record->texture))))
    {
        Logger::Print("ERROR: Failed to get D3D11 backbuffer texture.\n");
        delete record;
        return false;
    }
    if (FAILED(device->CreateRenderTargetView(record->texture, nullptr, &record->renderView)))
    {
        Logger::Print("ERROR: CreateRenderTargetView() failed for D3D11 backbuffer.\n");
        DeleteRecord(record);
        return false;
    }
    RegisterBackBuffer(record);

    D3D11_RASTERIZER_DESC rasterizer = {};
    rasterizer.FillMode = D3D11_FILL_SOLID;
    rasterizer.CullMode = D3D11_CULL_NONE;
    rasterizer.FrontCounterClockwise = FALSE;
    rasterizer.DepthBias = 0;
    rasterizer.DepthBiasClamp = 0.0f;
    rasterizer.SlopeScaledDepthBias = 0.0f;
    rasterizer.DepthClipEnable = TRUE;
    rasterizer.ScissorEnable = FALSE;
    rasterizer.MultisampleEnable = FALSE;
    rasterizer.AntialiasedLineEnable = FALSE;
    ID3D11RasterizerState* state = nullptr;
    if (FAILED(device->CreateRasterizerState(&rasterizer, &state)))
    {
        Logger::Print("ERROR: CreateRasterizerState() failed.\n");
        return false;
    }
    context->RSSetState(state);
    state->Release(); // the context keeps it alive
    return true;
}

void DispDX11::Shutdown()
{
    ReleaseTexture(GetBackBuffer());
    // The post pass left the back buffer bound: unbound, it goes with its swap chain.
    if (context)
        context->OMSetRenderTargets(0, nullptr, nullptr);
    // DXGI refuses to release a swap chain that is still fullscreen (the fullscreen builds, or the
    // windowed one after Alt+Enter).
    if (swapChain)
        swapChain->SetFullscreenState(FALSE, nullptr);
    SafeRelease(swapChain);
    if (context)
    {
        context->ClearState();
        SafeRelease(context);
    }
    if (device)
    {
        const ULONG remaining = device->Release();
        if (remaining != 0)
            Logger::Print("WARNING: There are %d unreleased references left on the D3D device!\n",
                          int(remaining));
        device = nullptr;
    }
}

void DispDX11::SetViewport(float x, float y, float width, float height)
{
    D3D11_VIEWPORT viewport = {};
    viewport.TopLeftX = x;
    viewport.TopLeftY = y;
    viewport.Width = width;
    viewport.Height = height;
    viewport.MinDepth = 0.0f;
    viewport.MaxDepth = 1.0f;
    context->RSSetViewports(1, &viewport);
}

void DispDX11::Reserved1() {}

std::uint32_t DispDX11::Present()
{
    return static_cast<std::uint32_t>(swapChain->Present(1, 0));
}

void DispDX11::SetRenderTarget(RenderTargetPair pair)
{
    const sTexD3D11* color = FindTexture(pair.color);
    const sTexD3D11* depth = FindTexture(pair.depth);
    ID3D11RenderTargetView* renderView = color ? color->renderView : nullptr;
    ID3D11DepthStencilView* depthView = depth ? depth->depthView : nullptr;
    if (color)
        UnbindShaderView(color->shaderView);
    if (depth)
        UnbindShaderView(depth->shaderView);
    context->OMSetRenderTargets(1, &renderView, depthView);
    if (renderView)
        context->ClearRenderTargetView(renderView, kClearColor);
    if (depthView)
        context->ClearDepthStencilView(depthView, D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 0);
}

// A texture cannot be read and written at once: a target still bound as a pixel-program input
// (the scene colour from the previous post pass) leaves its slots before it is bound for output.
void DispDX11::UnbindShaderView(ID3D11ShaderResourceView* view)
{
    if (!view)
        return;
    ID3D11ShaderResourceView* bound[kTextureSlots] = {};
    context->PSGetShaderResources(0, kTextureSlots, bound);
    for (UINT slot = 0; slot < kTextureSlots; ++slot)
    {
        if (bound[slot] == view)
        {
            ID3D11ShaderResourceView* none = nullptr;
            context->PSSetShaderResources(slot, 1, &none);
        }
        SafeRelease(bound[slot]);
    }
}

void DispDX11::Reserved2() {}

sTexD3D11* DispDX11::FindTexture(TextureHandle handle) const
{
    return static_cast<sTexD3D11*>(FindRecord(handle));
}

namespace
{
UINT BindFlags(TextureKind kind)
{
    switch (kind)
    {
    case TextureKind::Sampled:
        return D3D11_BIND_SHADER_RESOURCE;
    case TextureKind::Render:
        return D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET;
    case TextureKind::Depth:
        return D3D11_BIND_DEPTH_STENCIL;
    }
    return 0;
}
} // namespace

sTexD3D11* DispDX11::AllocateTexture(const TextureRequest& request)
{
    const auto& [kind, width, height, format, levels, flags, data, layout] = request;
    D3D11_TEXTURE2D_DESC desc = {};
    desc.Width = width;
    desc.Height = height;
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = DxgiFormat(format);
    desc.SampleDesc.Count = 1;
    desc.SampleDesc.Quality = 0;
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = BindFlags(kind);
    desc.CPUAccessFlags = 0;
    desc.MiscFlags = 0;
    if (flags & GenerateMips)
    {
        desc.MipLevels = 0;
        desc.MiscFlags = D3D11_RESOURCE_MISC_GENERATE_MIPS;
    }
    if (flags & CubeMap)
    {
        desc.MipLevels = levels;
        desc.ArraySize = 6;
        desc.MiscFlags = D3D11_RESOURCE_MISC_TEXTURECUBE;
    }

    // The table stays on the stack for this call only.
    D3D11_SUBRESOURCE_DATA table[kMaxSubresources] = {};
    const std::uint8_t* bytes = static_cast<const std::uint8_t*>(data);
    for (std::uint32_t i = 0; data && i < layout.count; ++i)
    {
        table[i].pSysMem = bytes + layout.entries[i].offset;
        table[i].SysMemPitch = layout.entries[i].rowPitch;
        table[i].SysMemSlicePitch = 0;
    }

    sTexD3D11* record = new sTexD3D11;
    if (FAILED(device->CreateTexture2D(&desc, data ? table : nullptr, &record->texture)))
    {
        Logger::Print("CreateTexture2D failed.\n");
        delete record;
        return nullptr;
    }
    return record;
}

bool DispDX11::CreateShaderView(sTexD3D11* record, DXGI_FORMAT format, std::uint32_t flags)
{
    D3D11_SHADER_RESOURCE_VIEW_DESC desc = {};
    desc.Format = format;
    if (flags & CubeMap)
    {
        desc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURECUBE;
        desc.TextureCube.MostDetailedMip = 0;
        desc.TextureCube.MipLevels = 0xFFFFFFFF;
    }
    else if (flags & Multisampled)
        desc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2DMS;
    else
    {
        desc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
        desc.Texture2D.MostDetailedMip = 0;
        desc.Texture2D.MipLevels = 0xFFFFFFFF;
    }
    if (FAILED(device->CreateShaderResourceView(record->texture, &desc, &record->shaderView)))
    {
        Logger::Print("CreateShaderResourceView failed.\n");
        return false;
    }
    return true;
}

void DispDX11::DeleteRecord(ListNode* node)
{
    sTexD3D11* record = static_cast<sTexD3D11*>(node);
    SafeRelease(record->texture);
    SafeRelease(record->shaderView);
    SafeRelease(record->renderView);
    SafeRelease(record->depthView);
    delete record;
}

bool DispDX11::CreateDepthView(sTexD3D11* record, DXGI_FORMAT format, std::uint32_t flags)
{
    D3D11_DEPTH_STENCIL_VIEW_DESC desc = {};
    desc.Format = format;
    desc.ViewDimension =
        (flags & Multisampled) ? D3D11_DSV_DIMENSION_TEXTURE2DMS : D3D11_DSV_DIMENSION_TEXTURE2D;
    desc.Flags = 0;
    desc.Texture2D.MipSlice = 0;
    return SUCCEEDED(device->CreateDepthStencilView(record->texture, &desc, &record->depthView));
}

bool DispDX11::CreateRenderView(sTexD3D11* record, DXGI_FORMAT format, std::uint32_t flags)
{
    D3D11_RENDER_TARGET_VIEW_DESC desc = {};
    desc.Format = format;
    desc.ViewDimension =
        (flags & Multisampled) ? D3D11_RTV_DIMENSION_TEXTURE2DMS : D3D11_RTV_DIMENSION_TEXTURE2D;
    desc.Texture2D.MipSlice = 0;
    return SUCCEEDED(device->CreateRenderTargetView(record->texture, &desc, &record->renderView));
}

bool DispDX11::CreateViews(ListNode* node, const TextureRequest& request)
{
    sTexD3D11* record = static_cast<sTexD3D11*>(node);
    const DXGI_FORMAT dxgi = DxgiFormat(request.format);
    const TextureKind kind = request.kind;
    if (kind != TextureKind::Depth && !CreateShaderView(record, dxgi, request.flags))
    {
        Logger::Error("CreateSRV failed.\n");
        return false;
    }
    if (kind == TextureKind::Depth && !CreateDepthView(record, dxgi, request.flags))
    {
        Logger::Print("CreateDepthStencilView failed.\n");
        return false;
    }
    if (kind == TextureKind::Render && !CreateRenderView(record, dxgi, request.flags))
    {
        Logger::Print("CreateRenderTargetView failed.\n");
        return false;
    }
    return true;
}

void DispDX11::BindTexture(std::uint32_t slot, TextureHandle handle)
{
    const sTexD3D11* record = FindTexture(handle);
    ID3D11ShaderResourceView* view = record ? record->shaderView : nullptr;
    context->PSSetShaderResources(slot, 1, &view);
}

Disp* CreateDisplayDevice()
{
    return new DispDX11;
}

void DrawFullscreenQuad()
{
    ID3D11DeviceContext* context = static_cast<DispDX11*>(g_display)->context;
    ID3D11Buffer* noBuffer = nullptr;
    const UINT zero = 0;
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    context->IASetVertexBuffers(0, 1, &noBuffer, &zero, &zero);
    context->IASetIndexBuffer(nullptr, DXGI_FORMAT_UNKNOWN, 0);
    context->Draw(4, 0);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
}
