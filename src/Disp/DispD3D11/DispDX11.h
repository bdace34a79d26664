// The display device on Direct3D 11 and DXGI: device, immediate context, swap chain, textures.
#pragma once

#include "Disp.h"
#include "TextureTable.h"

#include <d3d11.h>
#include <dxgi.h>

// A texture record: the texture and whichever views it has, each owned, null when absent.
class sTexD3D11 : public ListNode
{
  public:
    ID3D11Texture2D* texture = nullptr;
    ID3D11ShaderResourceView* shaderView = nullptr;
    ID3D11RenderTargetView* renderView = nullptr;
    ID3D11DepthStencilView* depthView = nullptr;
};

class DispDX11 final : public Disp
{
  public:
    bool Init(const DisplayMode& mode, bool fullscreen, WindowHandle window) override;
    void Shutdown() override;
    void SetViewport(float x, float y, float width, float height) override;
    void Reserved1() override;
    std::uint32_t Present() override;
    void SetRenderTarget(RenderTargetPair pair) override;
    void Reserved2() override;
    TextureHandle GetBackBuffer() override;
    TextureHandle CreateTexture(std::uint32_t width, std::uint32_t height, PixelFormat format,
                                std::uint32_t levels, std::uint32_t flags, const void* data,
                                std::size_t dataSize) override;
    TextureHandle CreateDepthTarget(std::uint32_t width, std::uint32_t height, PixelFormat format,
                                    std::uint32_t levels, std::uint32_t flags) override;
    TextureHandle CreateRenderTarget(std::uint32_t width, std::uint32_t height, PixelFormat format,
                                     std::uint32_t levels, std::uint32_t flags) override;
    void ReleaseTexture(TextureHandle handle) override;
    void BindTexture(std::uint32_t slot, TextureHandle handle) override;

    sTexD3D11* FindTexture(TextureHandle handle) const;

    // Reached through g_display by the buffer, geometry and shader objects and the particles.
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    IDXGISwapChain* swapChain = nullptr;
    D3D_FEATURE_LEVEL featureLevel = D3D_FEATURE_LEVEL_9_1; // informational
    TextureHandle backBuffer{0xFFFFFFFF};

  private:
    TextureHandle RegisterTexture(sTexD3D11* record);
    sTexD3D11* AllocateTexture(UINT bindFlags, std::uint32_t width, std::uint32_t height,
                               PixelFormat format, std::uint32_t levels, std::uint32_t flags,
                               const void* data, std::size_t dataSize);
    // AllocateTexture, the views its bind flags ask for, then the table; 0 after logging what
    // failed.
    TextureHandle CreateAndRegister(UINT bindFlags, std::uint32_t width, std::uint32_t height,
                                    PixelFormat format, std::uint32_t levels, std::uint32_t flags,
                                    const void* data, std::size_t dataSize);
    bool CreateShaderView(sTexD3D11* record, DXGI_FORMAT format, std::uint32_t flags);
    bool CreateDepthView(sTexD3D11* record, DXGI_FORMAT format, std::uint32_t flags);
    bool CreateRenderView(sTexD3D11* record, DXGI_FORMAT format, std::uint32_t flags);
    static void DeleteRecord(sTexD3D11* record);
    void UnbindShaderView(ID3D11ShaderResourceView* view);

    static constexpr UINT kTextureSlots = 8; // the pixel slots the programs use, t0..t7

    TextureTable textures; // the 32 chains and the registration counter
};
