// The WebGPU display device: the Direct3D 11 device's checks, log lines and defaults, with the
// GPU work done by the page's device (WebGpuCalls.h).
#include "DispWebGPU.h"

#include "Logger.h"
#include "TextureLayout.h"
#include "WebGpuCalls.h"

namespace
{
bool IsBackBufferFormat(PixelFormat format)
{
    return format == RGBA8 || format == RGB10A2 || format == RGBA16F;
}

std::uint32_t WebTextureKind(TextureKind kind)
{
    switch (kind)
    {
    case TextureKind::Sampled:
        return SampledTexture;
    case TextureKind::Render:
        return RenderTexture;
    case TextureKind::Depth:
        return DepthTexture;
    }
    return SampledTexture;
}
} // namespace

bool DispWebGPU::Init(const DisplayMode& mode, bool /*fullscreen*/, WindowHandle /*window*/)
{
    // The page enters fullscreen itself: browsers allow it only from a user's gesture.
    // WebGPU would report a size past its limits only later, leaving a black canvas.
    const std::uint32_t largest = ombrel_gpu_max_texture_side(); // 0 without a device
    if (!IsBackBufferFormat(mode.format) || mode.width == 0 || mode.height == 0 ||
        (largest != 0 && (mode.width > largest || mode.height > largest)))
    {
        Logger::Print("ERROR: CreateSwapChain() failed.\n");
        return false;
    }
    const std::uint32_t id = ombrel_gpu_init(mode.width, mode.height, mode.format);
    if (id == 0)
    {
        Logger::Print("ERROR: D3D11CreateDevice() failed.\n");
        return false;
    }
    sTexWeb* record = new sTexWeb;
    record->id = id;
    record->format = mode.format;
    record->width = mode.width;
    record->height = mode.height;
    record->renderView = true;
    RegisterBackBuffer(record);
    return true;
}

void DispWebGPU::Shutdown()
{
    ReleaseTexture(GetBackBuffer());
    const int remaining = ombrel_gpu_shutdown();
    if (remaining != 0)
        Logger::Print("WARNING: There are %d unreleased references left on the D3D device!\n",
                      remaining);
}

void DispWebGPU::SetViewport(float x, float y, float width, float height)
{
    ombrel_gpu_set_viewport(x, y, width, height);
}

void DispWebGPU::Reserved1() {}

std::uint32_t DispWebGPU::Present()
{
    ombrel_gpu_present();
    return 0;
}

void DispWebGPU::SetRenderTarget(RenderTargetPair pair)
{
    const sTexWeb* color = FindTexture(pair.color);
    const sTexWeb* depth = FindTexture(pair.depth);
    ombrel_gpu_set_render_target(color && color->renderView ? color->id : 0,
                                 depth && depth->depthView ? depth->id : 0);
}

void DispWebGPU::Reserved2() {}

sTexWeb* DispWebGPU::AllocateTexture(const TextureRequest& request)
{
    const auto& [kind, width, height, format, levels, flags, data, layout] = request;
    const bool cube = (flags & CubeMap) != 0;
    const std::uint32_t largest = ombrel_gpu_max_texture_side();
    if (width > largest || height > largest)
    {
        Logger::Print("CreateTexture2D failed.\n");
        return nullptr;
    }
    // WebGPU generates no mip levels: a texture asking for them keeps its top level alone.
    std::uint32_t levelCount = (flags & GenerateMips) ? 1 : TextureLevelCount(levels, flags);
    if (levelCount == 0)
        levelCount = FullMipCount(width, height);

    std::uint32_t entries[kMaxSubresources * 5] = {};
    for (std::uint32_t i = 0; data && i < layout.count; ++i)
    {
        const SubresourceEntry& entry = layout.entries[i];
        std::uint32_t* words = entries + i * 5;
        words[0] = std::uint32_t(entry.offset);
        words[1] = std::uint32_t(entry.size);
        words[2] = entry.rowPitch;
        words[3] = entry.width;
        words[4] = entry.height;
    }
    const std::uint32_t id = ombrel_gpu_create_texture(
        width, height, format, levelCount, cube ? 1 : 0, WebTextureKind(kind), data, entries,
        data ? layout.faces : 0, data ? layout.levelsPerFace : 0);
    if (id == 0)
    {
        Logger::Print("CreateTexture2D failed.\n");
        return nullptr;
    }
    sTexWeb* record = new sTexWeb;
    record->id = id;
    record->format = format;
    record->width = width;
    record->height = height;
    return record;
}

bool DispWebGPU::CreateViews(ListNode* node, const TextureRequest& request)
{
    // The page makes a texture's views with it.
    sTexWeb* record = static_cast<sTexWeb*>(node);
    record->shaderView = request.kind != TextureKind::Depth; // a render target is sampled too
    record->renderView = request.kind == TextureKind::Render;
    record->depthView = request.kind == TextureKind::Depth;
    return true;
}

void DispWebGPU::DeleteRecord(ListNode* node)
{
    sTexWeb* record = static_cast<sTexWeb*>(node);
    ombrel_gpu_release(record->id);
    delete record;
}

void DispWebGPU::BindTexture(std::uint32_t slot, TextureHandle handle)
{
    const sTexWeb* record = FindTexture(handle);
    ombrel_gpu_bind_texture(slot, record && record->shaderView ? record->id : 0);
}

sTexWeb* DispWebGPU::FindTexture(TextureHandle handle) const
{
    return static_cast<sTexWeb*>(FindRecord(handle));
}

Disp* CreateDisplayDevice()
{
    return new DispWebGPU;
}

void DrawFullscreenQuad()
{
    ombrel_gpu_draw(4, 0, TriangleStrip);
}
