// The abstract display device; DispFront writes its texture half once for the three back ends.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
struct HWND__;
using WindowHandle = HWND__*;
#else
struct SDL_Window;
using WindowHandle = SDL_Window*;
#endif

enum PixelFormat : std::uint32_t
{
    RGBA8 = 0,
    RGB10A2 = 1,
    RGBA16 = 2,
    R8 = 3,
    RGBA16F = 4,
    RG16F = 5,
    RGBA32F = 6,
    RGB32F = 7,
    RG32F = 8,
    R32F = 9,
    BC1 = 10,
    BC3 = 11,
    BC5 = 12,
    D24S8 = 13,
    D32F = 14,
};

// Bit set given at texture creation.
enum TextureFlags : std::uint32_t
{
    CubeMap = 1,
    GenerateMips = 2,
    Multisampled = 4,
};

struct DisplayMode
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    PixelFormat format = RGBA8;
    std::uint32_t refreshRate = 0; // numerator; the denominator is always 1
};

// Bits 24..31 name the chain of the texture table, bits 0..23 the record's id.
struct TextureHandle
{
    std::uint32_t value = 0;

    friend bool operator==(TextureHandle, TextureHandle) = default;
};

// Names no record (chain 255): binding it leaves the slot empty.
constexpr TextureHandle kNoTexture{0xFFFFFFFFu};

struct RenderTargetPair
{
    TextureHandle color;
    TextureHandle depth;
};

class Disp
{
  public:
    virtual bool Init(const DisplayMode& mode, bool fullscreen, WindowHandle window) = 0;
    virtual void Shutdown() = 0;
    virtual void SetViewport(float x, float y, float width, float height) = 0;
    // Reserved1 and Reserved2 keep the interface's slots in its order; no caller uses them.
    virtual void Reserved1() = 0;
    virtual std::uint32_t Present() = 0;
    virtual void SetRenderTarget(RenderTargetPair pair) = 0;
    virtual void Reserved2() = 0;
    virtual TextureHandle GetBackBuffer() = 0;
    // dataSize bounds what is read from data; a shorter block than the layout needs fails.
    virtual TextureHandle CreateTexture(std::uint32_t width, std::uint32_t height,
                                        PixelFormat format, std::uint32_t levels,
                                        std::uint32_t flags, const void* data,
                                        std::size_t dataSize) = 0;
    virtual TextureHandle CreateDepthTarget(std::uint32_t width, std::uint32_t height,
                                            PixelFormat format, std::uint32_t levels,
                                            std::uint32_t flags) = 0;
    virtual TextureHandle CreateRenderTarget(std::uint32_t width, std::uint32_t height,
                                             PixelFormat format, std::uint32_t levels,
                                             std::uint32_t flags) = 0;
    virtual void ReleaseTexture(TextureHandle handle) = 0;
    virtual void BindTexture(std::uint32_t slot, TextureHandle handle) = 0;

  protected:
    ~Disp() = default; // never deleted through the interface: Shutdown releases the device
};

// The one display device of the process.
extern Disp* g_display;

// A new, uninitialised device of the back end this build uses (DispDX11, DispGL or DispWebGPU).
Disp* CreateDisplayDevice();

// The full-screen pass's draw: a four-vertex triangle strip with no vertex or index buffer (the
// vertex program makes the corners), then the triangle-list topology every other draw assumes.
void DrawFullscreenQuad();
