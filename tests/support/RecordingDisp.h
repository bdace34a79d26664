// A display that keeps what is asked of it, for the tests that link no back end: the textures
// created (with their bytes), and the targets and texture bindings as lines of a call log.
#pragma once

#include "Disp.h"

#include <cstdint>
#include <string>
#include <vector>

struct CreatedTexture
{
    std::uint32_t width, height;
    PixelFormat format;
    std::uint32_t levels, flags;
    std::vector<std::uint8_t> data; // the dataSize bytes handed over
};

class RecordingDisp final : public Disp
{
  public:
    // `calls`, when given, gets "target COLOR/DEPTH" and "texture SLOT=HANDLE" lines.
    explicit RecordingDisp(std::vector<std::string>* calls = nullptr) : calls(calls) {}

    bool Init(const DisplayMode&, bool, WindowHandle) override { return true; }
    void Shutdown() override {}
    void SetViewport(float, float, float, float) override {}
    void Reserved1() override {}
    std::uint32_t Present() override { return 0; }
    void SetRenderTarget(RenderTargetPair pair) override
    {
        Record("target " + std::to_string(pair.color.value) + "/" +
               std::to_string(pair.depth.value));
    }
    void Reserved2() override {}
    TextureHandle GetBackBuffer() override { return {}; }
    // Handles count from 1 in creation order.
    TextureHandle CreateTexture(std::uint32_t width, std::uint32_t height, PixelFormat format,
                                std::uint32_t levels, std::uint32_t flags, const void* data,
                                std::size_t dataSize) override
    {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        textures.push_back({width, height, format, levels, flags, {bytes, bytes + dataSize}});
        return {static_cast<std::uint32_t>(textures.size())};
    }
    TextureHandle CreateDepthTarget(std::uint32_t, std::uint32_t, PixelFormat, std::uint32_t,
                                    std::uint32_t) override
    {
        return {};
    }
    TextureHandle CreateRenderTarget(std::uint32_t, std::uint32_t, PixelFormat, std::uint32_t,
                                     std::uint32_t) override
    {
        return {};
    }
    void ReleaseTexture(TextureHandle) override {}
    void BindTexture(std::uint32_t slot, TextureHandle handle) override
    {
        Record("texture " + std::to_string(slot) + "=" + std::to_string(handle.value));
    }

    std::vector<CreatedTexture> textures;

  private:
    void Record(std::string line)
    {
        if (calls)
            calls->push_back(std::move(line));
    }

    std::vector<std::string>* calls;
};
