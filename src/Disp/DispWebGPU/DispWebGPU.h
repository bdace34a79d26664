// The display device on WebGPU: Direct3D 11's operations and log lines, the device on the page.
#pragma once

#include "DispFront.h"

#include <cstdint>

class sTexWeb : public ListNode
{
  public:
    std::uint32_t id = 0; // the texture on the WebGPU side
    PixelFormat format = RGBA8;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool shaderView = false;
    bool renderView = false;
    bool depthView = false;
};

class DispWebGPU final : public DispFront
{
  public:
    // The window is unused: the page gives the device and its canvas.
    bool Init(const DisplayMode& mode, bool fullscreen, WindowHandle window) override;
    void Shutdown() override;
    void SetViewport(float x, float y, float width, float height) override;
    void Reserved1() override;
    // Submits the frame and shows the back buffer on the page's canvas, upright and scaled to fit
    // it with black bars; returns 0.
    std::uint32_t Present() override;
    void SetRenderTarget(RenderTargetPair pair) override;
    void Reserved2() override;
    void BindTexture(std::uint32_t slot, TextureHandle handle) override;

  private:
    sTexWeb* AllocateTexture(const TextureRequest& request) override;
    bool CreateViews(ListNode* record, const TextureRequest& request) override;
    void DeleteRecord(ListNode* record) override;
    sTexWeb* FindTexture(TextureHandle handle) const;
};
