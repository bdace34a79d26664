// What every display device does with textures the same way: the checks, the log lines, the
// table of records behind the handles, creation, release and lookup. A back end only makes and
// deletes its records.
#pragma once

#include "Disp.h"
#include "TextureLayout.h"
#include "TextureTable.h"

#include <cstddef>
#include <cstdint>

enum class TextureKind
{
    Sampled, // read by the programs
    Render,  // drawn into and read
    Depth,   // depth and stencil only
};

struct TextureRequest
{
    TextureKind kind = TextureKind::Sampled;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    PixelFormat format = RGBA8;
    std::uint32_t levels = 0;
    std::uint32_t flags = 0;
    const void* data = nullptr; // laid out by `layout`, which lies within the caller's block
    SubresourceLayout layout = {};
};

class DispFront : public Disp
{
  public:
    TextureHandle GetBackBuffer() final;
    TextureHandle CreateTexture(std::uint32_t width, std::uint32_t height, PixelFormat format,
                                std::uint32_t levels, std::uint32_t flags, const void* data,
                                std::size_t dataSize) final;
    TextureHandle CreateDepthTarget(std::uint32_t width, std::uint32_t height, PixelFormat format,
                                    std::uint32_t levels, std::uint32_t flags) final;
    TextureHandle CreateRenderTarget(std::uint32_t width, std::uint32_t height, PixelFormat format,
                                     std::uint32_t levels, std::uint32_t flags) final;
    // Deletes the record the handle resolves to; a handle that names none is ignored.
    void ReleaseTexture(TextureHandle handle) final;

  protected:
    ~DispFront() = default;

    ListNode* FindRecord(TextureHandle handle) const { return textures.Find(handle); }
    // AllocateTexture for a request that passes the checks, which lay out its data; else null,
    // logged.
    ListNode* CheckAndAllocate(TextureRequest& request, std::size_t dataSize);
    // The back buffer is made by Init, each back end its own way, and released by Shutdown.
    void RegisterBackBuffer(ListNode* record) { backBuffer = textures.Register(record); }

  private:
    // The texture without its views; null after logging what failed.
    virtual ListNode* AllocateTexture(const TextureRequest& request) = 0;
    // The views of the request's kind; false after logging which one failed.
    virtual bool CreateViews(ListNode* record, const TextureRequest& request) = 0;
    virtual void DeleteRecord(ListNode* record) = 0;

    TextureHandle Create(TextureRequest request, std::size_t dataSize);

    TextureHandle backBuffer{0xFFFFFFFF};
    TextureTable textures;
};
