// Texture creation, release and lookup, written once above the back ends.
#include "DispFront.h"

#include "Logger.h"

TextureHandle DispFront::GetBackBuffer()
{
    return backBuffer;
}

TextureHandle DispFront::CreateTexture(std::uint32_t width, std::uint32_t height,
                                       PixelFormat format, std::uint32_t levels,
                                       std::uint32_t flags, const void* data, std::size_t dataSize)
{
    return Create({TextureKind::Sampled, width, height, format, levels, flags, data}, dataSize);
}

TextureHandle DispFront::CreateDepthTarget(std::uint32_t width, std::uint32_t height,
                                           PixelFormat format, std::uint32_t levels,
                                           std::uint32_t flags)
{
    return Create({TextureKind::Depth, width, height, format, levels, flags}, 0);
}

TextureHandle DispFront::CreateRenderTarget(std::uint32_t width, std::uint32_t height,
                                            PixelFormat format, std::uint32_t levels,
                                            std::uint32_t flags)
{
    return Create({TextureKind::Render, width, height, format, levels, flags}, 0);
}

TextureHandle DispFront::Create(TextureRequest request, std::size_t dataSize)
{
    ListNode* record = CheckAndAllocate(request, dataSize);
    if (!record)
    {
        Logger::Error("CreateTexture failed.\n");
        return TextureHandle{0};
    }
    if (!CreateViews(record, request))
    {
        DeleteRecord(record);
        return TextureHandle{0};
    }
    return textures.Register(record);
}

// Refused here as Direct3D refuses it, so that every back end refuses the same requests; data
// shorter than its layout never reaches a back end.
ListNode* DispFront::CheckAndAllocate(TextureRequest& request, std::size_t dataSize)
{
    const auto& [kind, width, height, format, levels, flags, data, layout] = request;
    if (!IsCreatableTexture(kind == TextureKind::Render, kind == TextureKind::Depth, width, height,
                            format, flags) ||
        (data &&
         !LayoutSubresources(width, height, format, levels, flags, dataSize, request.layout)))
    {
        Logger::Print("CreateTexture2D failed.\n");
        return nullptr;
    }
    return AllocateTexture(request);
}

void DispFront::ReleaseTexture(TextureHandle handle)
{
    if (ListNode* record = textures.Unlink(handle))
        DeleteRecord(record);
}
