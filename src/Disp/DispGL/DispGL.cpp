// The OpenGL display device: the Direct3D 11 device's operations, log lines and defaults on GL.
#include "DispGL.h"

#include "GlObjects.h"
#include "Logger.h"
#include "PresentRect.h"
#include "TextureLayout.h"

#include <SDL.h>

namespace
{
struct GlFormat
{
    GLenum internalFormat;
    GLenum format; // of uploaded pixels; 0 for block-compressed and depth formats
    GLenum type;
};

constexpr GlFormat kGlFormats[] = {
    {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE},
    {GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV},
    {GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT},
    {GL_R8, GL_RED, GL_UNSIGNED_BYTE},
    {GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT},
    {GL_RG16F, GL_RG, GL_HALF_FLOAT},
    {GL_RGBA32F, GL_RGBA, GL_FLOAT},
    {GL_RGB32F, GL_RGB, GL_FLOAT},
    {GL_RG32F, GL_RG, GL_FLOAT},
    {GL_R32F, GL_RED, GL_FLOAT},
    {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0},
    {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0},
    {GL_COMPRESSED_RG_RGTC2, 0, 0},
    {GL_DEPTH24_STENCIL8, 0, 0},
    {GL_DEPTH_COMPONENT32F, 0, 0},
};

// Every GL 4.5 implementation has at least this many; the layouts use three.
constexpr GLuint kVertexAttributes = 16;

constexpr float kClearColor[4] = {0.012f, 0.012f, 0.012f, 1.0f};
// Around the picture where the window's shape differs from the back buffer's.
constexpr float kBarColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};

bool IsBackBufferFormat(PixelFormat format)
{
    return format == RGBA8 || format == RGB10A2 || format == RGBA16F;
}

void ClearGlErrors()
{
    while (glGetError() != GL_NO_ERROR)
    {
    }
}

GLuint CreateEmptyTexture(GLenum target)
{
    GLuint texture = 0;
    glCreateTextures(target, 1, &texture);
    glTextureStorage2D(texture, 1, GL_RGBA8, 1, 1);
    const std::uint8_t zeros[4] = {};
    const int layers = target == GL_TEXTURE_CUBE_MAP ? 6 : 1;
    for (int layer = 0; layer < layers; ++layer)
    {
        if (target == GL_TEXTURE_CUBE_MAP)
            glTextureSubImage3D(texture, 0, 0, 0, layer, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, zeros);
        else
            glTextureSubImage2D(texture, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, zeros);
    }
    CountGlObjectsCreated(1);
    return texture;
}

void DeleteTexture(GLuint& texture)
{
    if (texture)
    {
        glDeleteTextures(1, &texture);
        CountGlObjectsDeleted(1);
        texture = 0;
    }
}

void DeleteFramebuffer(GLuint& framebuffer)
{
    if (framebuffer)
    {
        glDeleteFramebuffers(1, &framebuffer);
        CountGlObjectsDeleted(1);
        framebuffer = 0;
    }
}
} // namespace

void SetGlContextAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The window only receives the back buffer texture: no depth or stencil of its own.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

// The state a new Direct3D 11 device starts with, where OpenGL's differs, and the objects that
// stand in for Direct3D's defaults (sampler, empty slots, vertex array, program pipeline).
void DispGL::SetDirect3DDefaults(const DisplayMode& mode)
{
    // Direct3D's conventions: clip y up with row 0 of every target and texture at the top, and
    // depth 0..1. Render targets therefore hold images top row first, as Direct3D's do.
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
    glDepthRangef(0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    glPointSize(1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glViewport(0, 0, GLsizei(mode.width), GLsizei(mode.height));

    // Direct3D's default sampler: linear min/mag/mip, clamped u, v and w, on every unit.
    glCreateSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    emptyTexture2D = CreateEmptyTexture(GL_TEXTURE_2D);
    emptyTextureCube = CreateEmptyTexture(GL_TEXTURE_CUBE_MAP);
    GLint units = 0;
    glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &units);
    textureUnits = units < GLint(kMaxTextureUnits) ? std::uint32_t(units) : kMaxTextureUnits;
    for (std::uint32_t unit = 0; unit < textureUnits; ++unit)
    {
        glBindSampler(unit, sampler);
        BindEmptySlot(unit);
    }

    glCreateVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glCreateProgramPipelines(1, &pipeline);
    glBindProgramPipeline(pipeline);
    CountGlObjectsCreated(3);
}

bool DispGL::Init(const DisplayMode& mode, bool fullscreen, WindowHandle windowHandle)
{
    window = windowHandle;
    context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context || epoxy_gl_version() < 45)
    {
        if (context)
            SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
        context = nullptr;
        Logger::Print("ERROR: D3D11CreateDevice() failed.\n");
        return false;
    }

    if (!IsBackBufferFormat(mode.format) || mode.width == 0 || mode.height == 0)
    {
        Logger::Print("ERROR: CreateSwapChain() failed.\n");
        return false;
    }
    SDL_GL_SetSwapInterval(1);
    // The screen keeps its mode: Present scales the back buffer to whatever the window is.
    if (fullscreen)
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);

    glCreateFramebuffers(1, &renderFramebuffer);
    glCreateFramebuffers(1, &presentFramebuffer);
    CountGlObjectsCreated(2);

    TextureRequest request{TextureKind::Render, mode.width, mode.height, mode.format, 1};
    sTexGL* record = static_cast<sTexGL*>(CheckAndAllocate(request, 0));
    if (!record)
    {
        Logger::Print("ERROR: Failed to get D3D11 backbuffer texture.\n");
        return false;
    }
    glNamedFramebufferTexture(presentFramebuffer, GL_COLOR_ATTACHMENT0, record->texture, 0);
    if (!AttachRenderView(record) ||
        glCheckNamedFramebufferStatus(presentFramebuffer, GL_READ_FRAMEBUFFER) !=
            GL_FRAMEBUFFER_COMPLETE)
    {
        Logger::Print("ERROR: CreateRenderTargetView() failed for D3D11 backbuffer.\n");
        return false;
    }
    RegisterBackBuffer(record);

    SetDirect3DDefaults(mode);
    topology = GL_TRIANGLES;
    return true;
}

void DispGL::Shutdown()
{
    ReleaseTexture(GetBackBuffer());
    glBindProgramPipeline(0);
    glDeleteProgramPipelines(1, &pipeline);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteSamplers(1, &sampler);
    CountGlObjectsDeleted(3);
    pipeline = vertexArray = sampler = 0;
    DeleteTexture(emptyTexture2D);
    DeleteTexture(emptyTextureCube);
    DeleteFramebuffer(renderFramebuffer);
    DeleteFramebuffer(presentFramebuffer);

    const int remaining = GlObjectsAlive();
    if (remaining != 0)
        Logger::Print("WARNING: There are %d unreleased references left on the D3D device!\n",
                      remaining);
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
    context = nullptr;
}

void DispGL::SetViewport(float x, float y, float width, float height)
{
    // With the upper-left origin, y counts rows from the top as Direct3D's TopLeftY does.
    glViewportIndexedf(0, x, y, width, height);
    glDepthRangeIndexed(0, 0.0, 1.0);
}

void DispGL::Reserved1() {}

std::uint32_t DispGL::Present()
{
    const sTexGL* record = FindTexture(GetBackBuffer());
    if (record)
    {
        // In pixels, which on a HiDPI screen are more than the window's size in points.
        int width = 0;
        int height = 0;
        SDL_GL_GetDrawableSize(window, &width, &height);
        const PresentRect to = FitPicture(int(record->width), int(record->height), width, height);
        if (to.width != width || to.height != height)
            glClearNamedFramebufferfv(0, GL_COLOR, 0, kBarColor);
        // The window's row 0 is its bottom row; the back buffer's is its top row.
        glBlitNamedFramebuffer(presentFramebuffer, 0, 0, 0, GLint(record->width),
                               GLint(record->height), to.x, height - to.y, to.x + to.width,
                               height - to.y - to.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    }
    SDL_GL_SwapWindow(window);
    return 0;
}

void DispGL::SetRenderTarget(RenderTargetPair pair)
{
    const sTexGL* color = FindTexture(pair.color);
    const sTexGL* depth = FindTexture(pair.depth);
    if (color && !color->renderView)
        color = nullptr;
    if (depth && !depth->depthView)
        depth = nullptr;

    // Direct3D unbinds shader views of textures that become targets; so do we, to avoid
    // sampling a texture while drawing into it.
    for (std::uint32_t unit = 0; unit < textureUnits; ++unit)
        if (boundTextures[unit] && (boundTextures[unit] == color || boundTextures[unit] == depth))
            BindEmptySlot(unit);

    glNamedFramebufferTexture(renderFramebuffer, GL_COLOR_ATTACHMENT0, color ? color->texture : 0,
                              0);
    glNamedFramebufferTexture(renderFramebuffer, GL_DEPTH_STENCIL_ATTACHMENT, 0, 0);
    if (depth)
        glNamedFramebufferTexture(renderFramebuffer,
                                  depth->format == D24S8 ? GL_DEPTH_STENCIL_ATTACHMENT
                                                         : GL_DEPTH_ATTACHMENT,
                                  depth->texture, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, renderFramebuffer);

    if (color)
        glClearNamedFramebufferfv(renderFramebuffer, GL_COLOR, 0, kClearColor);
    if (depth && depth->format == D24S8)
        glClearNamedFramebufferfi(renderFramebuffer, GL_DEPTH_STENCIL, 0, 1.0f, 0);
    else if (depth)
    {
        const float one = 1.0f;
        glClearNamedFramebufferfv(renderFramebuffer, GL_DEPTH, 0, &one);
    }
}

void DispGL::Reserved2() {}

sTexGL* DispGL::AllocateTexture(const TextureRequest& request)
{
    static_assert(sizeof kGlFormats / sizeof kGlFormats[0] == D32F + 1);
    const auto& [kind, width, height, format, levels, flags, data, layout] = request;
    const bool cube = (flags & CubeMap) != 0;

    std::uint32_t levelCount = TextureLevelCount(levels, flags);
    if (levelCount == 0)
        levelCount = FullMipCount(width, height);
    const GlFormat& gl = kGlFormats[format];

    ClearGlErrors();
    sTexGL* record = new sTexGL;
    record->target = cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
    record->format = format;
    record->width = width;
    record->height = height;
    glCreateTextures(record->target, 1, &record->texture);
    CountGlObjectsCreated(1);
    glTextureStorage2D(record->texture, GLsizei(levelCount), gl.internalFormat, GLsizei(width),
                       GLsizei(height));
    glTextureParameteri(record->texture, GL_TEXTURE_MAX_LEVEL, GLint(levelCount - 1));
    if (glGetError() != GL_NO_ERROR)
    {
        DeleteRecord(record);
        Logger::Print("CreateTexture2D failed.\n");
        return nullptr;
    }

    if (data)
    {
        const std::uint8_t* bytes = static_cast<const std::uint8_t*>(data);
        for (std::uint32_t face = 0; face < layout.faces; ++face)
        {
            for (std::uint32_t level = 0; level < layout.levelsPerFace && level < levelCount;
                 ++level)
            {
                const SubresourceEntry& entry = layout.entries[face * layout.levelsPerFace + level];
                const GLint z = GLint(face);
                const GLsizei w = GLsizei(entry.width);
                const GLsizei h = GLsizei(entry.height);
                if (gl.format == 0 && cube)
                    glCompressedTextureSubImage3D(record->texture, GLint(level), 0, 0, z, w, h, 1,
                                                  gl.internalFormat, GLsizei(entry.size),
                                                  bytes + entry.offset);
                else if (gl.format == 0)
                    glCompressedTextureSubImage2D(record->texture, GLint(level), 0, 0, w, h,
                                                  gl.internalFormat, GLsizei(entry.size),
                                                  bytes + entry.offset);
                else if (cube)
                    glTextureSubImage3D(record->texture, GLint(level), 0, 0, z, w, h, 1, gl.format,
                                        gl.type, bytes + entry.offset);
                else
                    glTextureSubImage2D(record->texture, GLint(level), 0, 0, w, h, gl.format,
                                        gl.type, bytes + entry.offset);
            }
        }
        if ((flags & GenerateMips) && !cube && levelCount > 1)
            glGenerateTextureMipmap(record->texture);
        if (glGetError() != GL_NO_ERROR)
        {
            DeleteRecord(record);
            Logger::Print("CreateTexture2D failed.\n");
            return nullptr;
        }
    }
    return record;
}

bool DispGL::AttachRenderView(sTexGL* record)
{
    // A framebuffer of its own, so that the bound targets stay as they are.
    GLuint framebuffer = 0;
    glCreateFramebuffers(1, &framebuffer);
    glNamedFramebufferTexture(framebuffer, GL_COLOR_ATTACHMENT0, record->texture, 0);
    const bool complete =
        glCheckNamedFramebufferStatus(framebuffer, GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glDeleteFramebuffers(1, &framebuffer);
    record->renderView = complete;
    return complete;
}

void DispGL::DeleteRecord(ListNode* node)
{
    sTexGL* record = static_cast<sTexGL*>(node);
    for (std::uint32_t unit = 0; unit < textureUnits; ++unit)
        if (boundTextures[unit] == record)
            BindEmptySlot(unit);
    DeleteTexture(record->texture);
    record->shaderView = record->renderView = record->depthView = false;
    delete record;
}

bool DispGL::CreateViews(ListNode* node, const TextureRequest& request)
{
    sTexGL* record = static_cast<sTexGL*>(node);
    record->shaderView = request.kind != TextureKind::Depth; // a render target is sampled too
    record->depthView = request.kind == TextureKind::Depth;
    if (request.kind == TextureKind::Render && !AttachRenderView(record))
    {
        Logger::Print("CreateRenderTargetView failed.\n");
        return false;
    }
    return true;
}

void DispGL::BindTexture(std::uint32_t slot, TextureHandle handle)
{
    if (slot >= textureUnits)
        return;
    const sTexGL* record = FindTexture(handle);
    if (!record || !record->shaderView)
    {
        BindEmptySlot(slot);
        return;
    }
    glBindTextureUnit(slot, 0); // a slot holds one view: drop the other target's texture
    glBindTextureUnit(slot, record->texture);
    boundTextures[slot] = record;
}

void DispGL::BindEmptySlot(std::uint32_t slot)
{
    glBindTextureUnit(slot, 0);
    glBindTextureUnit(slot, emptyTexture2D);
    glBindTextureUnit(slot, emptyTextureCube);
    boundTextures[slot] = nullptr;
}

bool DispGL::ReadBackBuffer(std::vector<std::uint8_t>& pixels)
{
    const sTexGL* record = FindTexture(GetBackBuffer());
    if (!record)
        return false;
    pixels.resize(std::size_t(record->width) * record->height * 4);
    // What came before is not the read-back's (bounded: a lost context may keep reporting).
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i)
    {
    }
    glGetTextureImage(record->texture, 0, GL_RGBA, GL_UNSIGNED_BYTE, GLsizei(pixels.size()),
                      pixels.data());
    return glGetError() == GL_NO_ERROR;
}

sTexGL* DispGL::FindTexture(TextureHandle handle) const
{
    return static_cast<sTexGL*>(FindRecord(handle));
}

void DispGL::Draw(std::uint32_t vertexCount, std::uint32_t startVertex)
{
    glDrawArrays(topology, GLint(startVertex), GLsizei(vertexCount));
}

Disp* CreateDisplayDevice()
{
    return new DispGL;
}

void DrawFullscreenQuad()
{
    DispGL* display = static_cast<DispGL*>(g_display);
    display->SetPrimitiveTopology(GL_TRIANGLE_STRIP);
    display->Draw(4, 0);
    display->SetPrimitiveTopology(GL_TRIANGLES);
}

void DispGL::SetInputLayout(const InputLayoutDesc& layout)
{
    GLuint offset = 0;
    for (GLuint attribute = 0; attribute < kVertexAttributes; ++attribute)
    {
        if (attribute < layout.count)
        {
            const InputElement& element = layout.elements[attribute];
            glEnableVertexArrayAttrib(vertexArray, attribute);
            glVertexArrayAttribFormat(vertexArray, attribute, GLint(element.components), GL_FLOAT,
                                      GL_FALSE, offset);
            glVertexArrayAttribBinding(vertexArray, attribute, 0);
            offset += element.components * 4;
        }
        else
            glDisableVertexArrayAttrib(vertexArray, attribute);
    }
}
