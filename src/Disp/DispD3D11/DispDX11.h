// The display device on Direct3D 11 and DXGI: device, immediate context, swap chain, textures.
#pragma once

#include "DispFront.h"

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

class DispDX11 final : public DispFront
{
  public:
    bool Init(const DisplayMode& mode, bool fullscreen, WindowHandle window) override;
    void Shutdown() override;
    void SetViewport(float x, float y, float width, float height) override;
    void Reserved1() override;
    std::uint32_t Present() override;
    void SetRenderTarget(RenderTargetPair pair) override;
    void Reserved2() override;
    void BindTexture(std::uint32_t slot, TextureHandle handle) override;

    sTexD3D11* FindTexture(TextureHandle handle) const;

    // Reached through g_display by the buffer, geometry and shader objects and the particles.
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    IDXGISwapChain* swapChain = nullptr;
    D3D_FEATURE_LEVEL featureLevel = D3D_FEATURE_LEVEL_9_1; // informational

  private:
    sTexD3D11* AllocateTexture(const TextureRequest& request) override;
    bool CreateViews(ListNode* record, const TextureRequest& request) override;
    void DeleteRecord(ListNode* record) override;
    bool CreateShaderView(sTexD3D11* record, DXGI_FORMAT format, std::uint32_t flags);
    bool CreateDepthView(sTexD3D11* record, DXGI_FORMAT format, std::uint32_t flags);
    bool CreateRenderView(sTexD3D11* record, DXGI_FORMAT format, std::uint32_t flags);
    void UnbindShaderView(ID3D11ShaderResourceView* view);

    static constexpr UINT kTextureSlots = 8; // the pixel slots the programs use, t0..t7
};
