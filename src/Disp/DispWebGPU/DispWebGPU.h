// The display device on WebGPU: Direct3D 11's operations and log lines, the device on the page.
#pragma once

#include "Disp.h"
#include "TextureTable.h"

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

class DispWebGPU final : public Disp
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

  private:
    sTexWeb* AllocateTexture(std::uint32_t kind, std::uint32_t width, std::uint32_t height,
                             PixelFormat format, std::uint32_t levels, std::uint32_t flags,
                             const void* data, std::size_t dataSize);
    // Registers a new record; a null one is reported as a failed creation.
    TextureHandle Register(sTexWeb* record);
    sTexWeb* FindTexture(TextureHandle handle) const;

    TextureHandle backBuffer{0xFFFFFFFF};
    TextureTable textures;
};
