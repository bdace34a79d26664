// The display device on OpenGL 4.5 core: an SDL GL context that behaves like Direct3D 11.
#pragma once

#include "DispFront.h"
#include "ShaderSets.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

// A texture record: the GL texture stands for the texture and its views, which are flags here.
class sTexGL : public ListNode
{
  public:
    GLuint texture = 0;
    GLenum target = 0; // GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP
    PixelFormat format = RGBA8;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool shaderView = false;
    bool renderView = false;
    bool depthView = false;
};

// Sets the context attributes DispGL::Init needs (4.5 core); call before creating the window.
void SetGlContextAttributes();

class DispGL final : public DispFront
{
  public:
    // The window must have been created with SDL_WINDOW_OPENGL.
    bool Init(const DisplayMode& mode, bool fullscreen, WindowHandle window) override;
    void Shutdown() override;
    void SetViewport(float x, float y, float width, float height) override;
    void Reserved1() override;
    // Copies the back buffer to the window, upright and scaled to fit it with black bars, and
    // swaps with vertical sync; returns 0.
    std::uint32_t Present() override;
    void SetRenderTarget(RenderTargetPair pair) override;
    void Reserved2() override;
    void BindTexture(std::uint32_t slot, TextureHandle handle) override;

    // The back buffer as RGBA8, width × height × 4 bytes, top row first; false before Init.
    bool ReadBackBuffer(std::vector<std::uint8_t>& pixels);
    sTexGL* FindTexture(TextureHandle handle) const;

    // The input assembler of Direct3D: topology at rest is GL_TRIANGLES; Draw uses it.
    void SetPrimitiveTopology(GLenum mode) { topology = mode; }
    GLenum PrimitiveTopology() const { return topology; }
    void Draw(std::uint32_t vertexCount, std::uint32_t startVertex);
    // Attributes 0.. of the layout's elements from vertex buffer binding 0; the rest disabled.
    void SetInputLayout(const InputLayoutDesc& layout);
    GLuint VertexArray() const { return vertexArray; }
    // The program pipeline whose stages the shader sets (and compute programs) replace.
    GLuint Pipeline() const { return pipeline; }

  private:
    void SetDirect3DDefaults(const DisplayMode& mode);
    sTexGL* AllocateTexture(const TextureRequest& request) override;
    bool CreateViews(ListNode* record, const TextureRequest& request) override;
    void DeleteRecord(ListNode* record) override;
    bool AttachRenderView(sTexGL* record);
    void BindEmptySlot(std::uint32_t slot);

    WindowHandle window = nullptr;
    void* context = nullptr; // SDL_GLContext
    GLuint vertexArray = 0;
    GLuint pipeline = 0;
    GLuint sampler = 0;
    GLuint renderFramebuffer = 0;  // the bound colour and depth targets
    GLuint presentFramebuffer = 0; // reads the back buffer for Present
    GLuint emptyTexture2D = 0;     // what an empty slot reads: zeros, as on Direct3D
    GLuint emptyTextureCube = 0;
    GLenum topology = GL_TRIANGLES;
    std::uint32_t textureUnits = 0;
    static constexpr std::uint32_t kMaxTextureUnits = 32;
    const sTexGL* boundTextures[kMaxTextureUnits] = {};
};
