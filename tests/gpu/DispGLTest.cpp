// The OpenGL display layer on a real context: targets, clears, orientation, drawing, programs,
// the texture table through the device, and the leak report of Shutdown.
#include "ConstantBufferGL.h"
#include "DisplayFixture.h"
#include "GeometryGL.h"
#include "GlObjects.h"
#include "GpuPrograms.h"
#include "ShaderGL.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace
{
constexpr float kClear = 0.012f;

struct Vertex
{
    float position[3];
    float normal[3];
    float uv[2];
};

// Row-major, row vectors: x and y kept, z mapped from -1..1 to 0..1.
constexpr float kFlatView[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0.5f, 1};

// The unit box around the origin: 4 vertices and 2 triangles on each of its 6 faces.
void MakeBox(std::vector<Vertex>& vertices, std::vector<std::uint16_t>& indices)
{
    for (int axis = 0; axis < 3; ++axis)
        for (float side : {-0.5f, 0.5f})
        {
            const std::uint16_t base = std::uint16_t(vertices.size());
            for (int corner = 0; corner < 4; ++corner)
            {
                Vertex v{};
                v.position[axis] = side;
                v.position[(axis + 1) % 3] = (corner & 1) ? 0.5f : -0.5f;
                v.position[(axis + 2) % 3] = (corner & 2) ? 0.5f : -0.5f;
                v.normal[axis] = side * 2;
                vertices.push_back(v);
            }
            for (std::uint16_t i : {0, 1, 2, 2, 1, 3})
                indices.push_back(std::uint16_t(base + i));
        }
}

class DispGLTest : public DisplayTest
{
  protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        if (HasFatalFailure())
            return;
        frame = std::make_unique<ConstantBufferGL>();
        material = std::make_unique<ConstantBufferGL>();
        ASSERT_TRUE(frame->Create(128));
        ASSERT_TRUE(material->Create(32));
        SetFrame(kFlatView);
        SetBaseColor(1, 0, 0, 1);
    }

    void TearDown() override
    {
        frame.reset();
        material.reset();
        DisplayTest::TearDown();
    }

    void SetFrame(const float* viewProjection)
    {
        float block[32] = {};
        std::memcpy(block, viewProjection, 64);
        std::memcpy(frame->Map(), block, sizeof block);
        frame->Unmap();
        frame->Bind(VertexStage, 0);
    }

    void SetBaseColor(float r, float g, float b, float a)
    {
        const float block[8] = {r, g, b, a, 0, 0, 0, 0};
        std::memcpy(material->Map(), block, sizeof block);
        material->Unmap();
        material->Bind(PixelStage, 2);
    }

    Shader* DefaultSet()
    {
        Shader* set = CreateDefaultShaders();
        EXPECT_NE(set, nullptr);
        return set;
    }

    // The fixture's constant blocks go first, so only what the test left behind is reported.
    std::string ShutdownWithoutBlocks()
    {
        frame.reset();
        material.reset();
        return ShutdownAndLog();
    }

    std::unique_ptr<ConstantBufferGL> frame;
    std::unique_ptr<ConstantBufferGL> material;
};

// A set built from GLSL text, as the build would embed it.
struct TextSet
{
    std::string vertex;
    std::string pixel;
};

Shader* CreateFromText(const TextSet& text, const InputLayoutDesc* layout)
{
    const GpuProgram vertex{"test VS", text.vertex.c_str(), text.vertex.size()};
    const GpuProgram pixel{"test PS", text.pixel.c_str(), text.pixel.size()};
    return CreateShaderSet({&vertex, &pixel, layout});
}

std::string EmbeddedText(const char* name)
{
    const GpuProgram* program = FindGpuProgram(name);
    return program ? static_cast<const char*>(program->code) : "";
}

int CountPixelsUnlike(const std::vector<float>& texels, float value)
{
    int count = 0;
    for (std::size_t i = 0; i < texels.size(); i += 4)
        if (std::fabs(texels[i] - value) > 1e-3f)
            ++count;
    return count;
}
} // namespace

TEST_F(DispGLTest, BackBufferIsHandleZeroAfterInit)
{
    EXPECT_EQ(display->GetBackBuffer().value, 0u);
    EXPECT_NE(display->FindTexture(TextureHandle{0}), nullptr);
}

TEST_F(DispGLTest, EverySetRenderTargetClearsColourDepthAndStencil)
{
    const TextureHandle color = display->CreateRenderTarget(16, 8, RGBA16F, 1, 0);
    const TextureHandle depth = display->CreateDepthTarget(16, 8, D24S8, 1, 0);
    ASSERT_NE(color.value, 0u);
    ASSERT_NE(depth.value, 0u);
    for (int pass = 0; pass < 2; ++pass)
    {
        display->SetRenderTarget({color, depth});
        const std::vector<float> texels = ReadColor(color);
        ASSERT_EQ(texels.size(), 16u * 8 * 4);
        for (std::size_t i = 0; i < texels.size(); i += 4)
        {
            ASSERT_NEAR(texels[i], kClear, 1e-5f) << i;
            ASSERT_NEAR(texels[i + 2], kClear, 1e-5f) << i;
            ASSERT_EQ(texels[i + 3], 1.0f) << i;
        }
        std::vector<std::uint32_t> depthStencil(16 * 8);
        glGetTextureImage(display->FindTexture(depth)->texture, 0, GL_DEPTH_STENCIL,
                          GL_UNSIGNED_INT_24_8, GLsizei(depthStencil.size() * 4),
                          depthStencil.data());
        for (std::uint32_t value : depthStencil)
            ASSERT_EQ(value, 0xFFFFFF00u); // depth 1.0, stencil 0
        // Dirty both before the next call.
        const float red[4] = {1, 0, 0, 1};
        glClearBufferfv(GL_COLOR, 0, red);
        glClearBufferfi(GL_DEPTH_STENCIL, 0, 0.25f, 7);
    }
    display->ReleaseTexture(color);
    display->ReleaseTexture(depth);
}

TEST_F(DispGLTest, HandlesThatNameNoRecordDoNothing)
{
    const std::uint32_t before = display->GetBackBuffer().value;
    for (std::uint32_t value : {0x05000000u, 0x00000007u, 0x20000000u, 0xFFFFFFFFu})
    {
        display->SetRenderTarget({TextureHandle{value}, TextureHandle{value}});
        display->BindTexture(0, TextureHandle{value});
        display->ReleaseTexture(TextureHandle{value});
    }
    EXPECT_EQ(display->GetBackBuffer().value, before);
    EXPECT_NE(display->FindTexture(TextureHandle{0}), nullptr);
}

TEST_F(DispGLTest, ReleasingAndCreatingTexturesAdvancesTheChain)
{
    const TextureHandle first = display->CreateRenderTarget(4, 4, RGBA8, 1, 0);
    EXPECT_EQ(first.value, 0x01000000u);
    display->ReleaseTexture(first);
    EXPECT_EQ(display->FindTexture(first), nullptr);
    const TextureHandle second = display->CreateDepthTarget(4, 4, D32F, 1, 0);
    EXPECT_EQ(second.value, 0x02000000u);
    const std::uint8_t pixels[4 * 4 * 4] = {};
    const TextureHandle third = display->CreateTexture(4, 4, RGBA8, 1, 0, pixels, sizeof pixels);
    EXPECT_EQ(third.value, 0x03000000u);
    display->ReleaseTexture(second);
    display->ReleaseTexture(third);
    EXPECT_EQ(ShutdownWithoutBlocks(), "");
}

TEST_F(DispGLTest, ShortOrUnusableTextureDataFailsWithoutRegistering)
{
    const std::uint8_t pixels[8 * 8 * 4] = {};
    struct Case
    {
        const char* what;
        std::uint32_t width, height;
        PixelFormat format;
        std::uint32_t levels, flags;
        std::size_t size;
    };
    const Case cases[] = {
        {"one byte short", 8, 8, RGBA8, 1, 0, sizeof pixels - 1},
        {"cube beyond the data", 8, 8, RGBA8, 1, CubeMap, sizeof pixels},
        {"depth format as image", 4, 4, D24S8, 1, 0, sizeof pixels},
    };
    for (const Case& c : cases)
    {
        const LogMark mark;
        const TextureHandle handle =
            display->CreateTexture(c.width, c.height, c.format, c.levels, c.flags, pixels, c.size);
        EXPECT_EQ(handle.value, 0u) << c.what;
        EXPECT_EQ(mark.Since(), "CreateTexture2D failed.\n[ERROR] CreateTexture failed.\n")
            << c.what;
    }
    const TextureHandle next = display->CreateRenderTarget(4, 4, RGBA8, 1, 0);
    EXPECT_EQ(next.value, 0x01000000u);
    display->ReleaseTexture(next);
}

TEST_F(DispGLTest, CubeLevelsComeFromTheirPlaceInTheData)
{
    // 4×4 RGBA8 cube with three levels: 84 bytes a face; every byte tells its offset.
    std::vector<std::uint8_t> data(6 * 84);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = std::uint8_t(i * 7 + 3);
    const TextureHandle cube =
        display->CreateTexture(4, 4, RGBA8, 3, CubeMap, data.data(), data.size());
    ASSERT_NE(cube.value, 0u);
    const sTexGL* record = display->FindTexture(cube);
    std::uint8_t level1[16] = {};
    glGetTextureSubImage(record->texture, 1, 0, 0, 4, 2, 2, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                         sizeof level1, level1); // face 4 (+Z), level 1
    EXPECT_EQ(std::memcmp(level1, data.data() + 4 * 84 + 64, sizeof level1), 0);
    display->ReleaseTexture(cube);
}

TEST_F(DispGLTest, BackBufferAndWindowAreUpright)
{
    // A triangle pair over the top half of clip space (y > 0).
    const Vertex top[4] = {{{-1, 0, 0.5f}, {}, {}},
                           {{1, 0, 0.5f}, {}, {}},
                           {{-1, 1, 0.5f}, {}, {}},
                           {{1, 1, 0.5f}, {}, {}}};
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    std::unique_ptr<Geometry> quad(CreateGeometry());
    ASSERT_TRUE(quad->CreateVertexBuffer(top, sizeof(Vertex), 4));
    ASSERT_TRUE(quad->CreateIndexBuffer(indices, 6));
    std::unique_ptr<Shader> set(DefaultSet());
    ASSERT_NE(set, nullptr);

    display->SetRenderTarget({display->GetBackBuffer(), TextureHandle{0xFFFFFFFF}});
    set->Bind();
    quad->BindVertexBuffer();
    quad->BindIndexBuffer();
    quad->Draw();

    std::vector<std::uint8_t> pixels;
    ASSERT_TRUE(display->ReadBackBuffer(pixels));
    ASSERT_EQ(pixels.size(), kWidth * kHeight * 4);
    const std::size_t firstRow = 0;
    const std::size_t lastRow = std::size_t(kHeight - 1) * kWidth * 4;
    EXPECT_EQ(pixels[firstRow], 255); // the red top half is the first rows read back
    EXPECT_EQ(pixels[lastRow], 3);    // the clear colour, 0.012 of 255
    EXPECT_EQ(pixels[lastRow + 3], 255);

    display->Present();
    std::vector<std::uint8_t> window(kWidth * kHeight * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, window.data());
    // The window's rows read bottom first: the top of the window is the last row.
    EXPECT_EQ(window[lastRow], 255);
    EXPECT_EQ(window[firstRow], 3);
}

TEST_F(DispGLTest, TextureRowsZeroIsTheTopOfTheImage)
{
    // 2×2 texture: top row red, bottom row blue; copied over the whole back buffer.
    const std::uint8_t texels[16] = {255, 0, 0,   255, 255, 0, 0,   255,
                                     0,   0, 255, 255, 0,   0, 255, 255};
    const TextureHandle image = display->CreateTexture(2, 2, RGBA8, 1, 0, texels, sizeof texels);
    ASSERT_NE(image.value, 0u);
    std::unique_ptr<Shader> copy(CreateShaderSet(
        {FindGpuProgram("FullscreenVS"), FindGpuProgram("CopyPS"), &kScreenLayout}));
    ASSERT_NE(copy, nullptr);
    display->SetRenderTarget({display->GetBackBuffer(), TextureHandle{0xFFFFFFFF}});
    copy->Bind();
    display->BindTexture(0, image);
    display->SetPrimitiveTopology(GL_TRIANGLE_STRIP);
    display->Draw(4, 0);
    display->SetPrimitiveTopology(GL_TRIANGLES);

    std::vector<std::uint8_t> pixels;
    ASSERT_TRUE(display->ReadBackBuffer(pixels));
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[2], 0);
    const std::size_t bottom = std::size_t(kHeight - 1) * kWidth * 4;
    EXPECT_EQ(pixels[bottom], 0);
    EXPECT_EQ(pixels[bottom + 2], 255);
    display->ReleaseTexture(image);
}

TEST_F(DispGLTest, BoxOf36IndicesDrawsTwelveTrianglesWhateverTheTopology)
{
    std::vector<Vertex> vertices;
    std::vector<std::uint16_t> indices;
    MakeBox(vertices, indices);
    ASSERT_EQ(vertices.size(), 24u);
    ASSERT_EQ(indices.size(), 36u);
    std::unique_ptr<Geometry> box(CreateGeometry());
    ASSERT_TRUE(box->CreateVertexBuffer(vertices.data(), 32, 24));
    ASSERT_TRUE(box->CreateIndexBuffer(indices.data(), 36));
    std::unique_ptr<Shader> set(DefaultSet());
    ASSERT_NE(set, nullptr);
    const TextureHandle color = display->CreateRenderTarget(kWidth, kHeight, RGBA16F, 1, 0);
    const TextureHandle depth = display->CreateDepthTarget(kWidth, kHeight, D24S8, 1, 0);

    GLuint query = 0;
    glCreateQueries(GL_PRIMITIVES_GENERATED, 1, &query);
    for (GLenum previous : {GL_TRIANGLES, GL_POINTS, GL_TRIANGLE_STRIP, GL_LINES})
    {
        display->SetRenderTarget({color, depth});
        display->SetPrimitiveTopology(previous);
        set->Bind();
        box->BindVertexBuffer();
        box->BindIndexBuffer();
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        box->Draw();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint primitives = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
        EXPECT_EQ(primitives, 12u) << previous;
        EXPECT_EQ(display->PrimitiveTopology(), GLenum(GL_TRIANGLES));
        // The box spans half the view each way: 32 × 32 pixels of 64 × 64.
        EXPECT_EQ(CountPixelsUnlike(ReadColor(color), kClear), 32 * 32) << previous;
    }
    glDeleteQueries(1, &query);
    display->ReleaseTexture(color);
    display->ReleaseTexture(depth);
}

TEST_F(DispGLTest, DepthTargetBoundAsTextureLeavesTheSlotEmpty)
{
    const std::uint8_t white[4] = {255, 255, 255, 255};
    const TextureHandle image = display->CreateTexture(1, 1, RGBA8, 1, 0, white, sizeof white);
    const TextureHandle sampledDepth = display->CreateDepthTarget(4, 4, D24S8, 1, 0);
    const TextureHandle color = display->CreateRenderTarget(8, 8, RGBA16F, 1, 0);
    const Vertex all[4] = {{{-1, -1, 0.5f}, {}, {}},
                           {{1, -1, 0.5f}, {}, {}},
                           {{-1, 1, 0.5f}, {}, {}},
                           {{1, 1, 0.5f}, {}, {}}};
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    std::unique_ptr<Geometry> quad(CreateGeometry());
    ASSERT_TRUE(quad->CreateVertexBuffer(all, sizeof(Vertex), 4));
    ASSERT_TRUE(quad->CreateIndexBuffer(indices, 6));
    std::unique_ptr<Shader> set(DefaultSet());
    ASSERT_NE(set, nullptr);
    SetBaseColor(0.25f, 0.5f, 0.75f, 0.5f); // alpha too is added, unclamped

    struct Case
    {
        const char* what;
        TextureHandle handle;
        float expectedAdd; // what the texture adds to every channel
    };
    const Case cases[] = {
        {"image", image, 1.0f},
        {"depth target", sampledDepth, 0.0f},
        {"back buffer", TextureHandle{0}, 0.0f},
        {"no record", TextureHandle{0x1F000000}, 0.0f},
    };
    for (const Case& c : cases)
    {
        display->BindTexture(0, image); // the slot holds something before each case
        display->BindTexture(0, c.handle);
        display->SetRenderTarget({color, TextureHandle{0xFFFFFFFF}});
        set->Bind();
        quad->BindVertexBuffer();
        quad->BindIndexBuffer();
        quad->Draw();
        const std::vector<float> texels = ReadColor(color);
        ASSERT_FALSE(texels.empty());
        EXPECT_FLOAT_EQ(texels[0], 0.25f + c.expectedAdd) << c.what;
        EXPECT_FLOAT_EQ(texels[1], 0.5f + c.expectedAdd) << c.what;
        EXPECT_FLOAT_EQ(texels[2], 0.75f + c.expectedAdd) << c.what;
        EXPECT_FLOAT_EQ(texels[3], 0.5f + c.expectedAdd) << c.what;
    }
    display->ReleaseTexture(image);
    display->ReleaseTexture(sampledDepth);
    display->ReleaseTexture(color);
}

TEST_F(DispGLTest, ShutdownReportsWhatIsLeft)
{
    const std::uint8_t pixel[4] = {};
    const TextureHandle left = display->CreateTexture(1, 1, RGBA8, 1, 0, pixel, sizeof pixel);
    const std::string log = ShutdownWithoutBlocks();
    int count = 0;
    ASSERT_EQ(std::sscanf(log.c_str(),
                          "WARNING: There are %d unreleased references left on the "
                          "D3D device!\n",
                          &count),
              1)
        << log;
    EXPECT_GE(count, 1);
    EXPECT_EQ(log, "WARNING: There are " + std::to_string(count) +
                       " unreleased references left on the D3D device!\n");
    // The context took the GL texture with it; the record is released in a context of its own
    // (deleting a name it never had is no error), so that only real leaks reach LeakSanitizer.
    const SDL_GLContext context = SDL_GL_CreateContext(window);
    ASSERT_NE(context, nullptr) << SDL_GetError();
    display->ReleaseTexture(left);
    SDL_GL_DeleteContext(context);
    EXPECT_EQ(GlObjectsAlive(), 0);
}

TEST_F(DispGLTest, CleanRunShutsDownSilently)
{
    std::unique_ptr<Shader> set(DefaultSet());
    std::unique_ptr<Geometry> geometry(CreateGeometry());
    const std::uint16_t indices[3] = {0, 1, 2};
    ASSERT_TRUE(geometry->CreateIndexBuffer(indices, 3));
    const TextureHandle target = display->CreateRenderTarget(4, 4, RGBA16F, 1, 0);
    display->ReleaseTexture(target);
    set.reset();
    geometry.reset();
    EXPECT_EQ(ShutdownWithoutBlocks(), "");
}

TEST_F(DispGLTest, AProgramThatFailsLogsOnlyItsStepAndReleasesWhatWasMade)
{
    const std::string vertex = EmbeddedText("MaterialDefaultVS");
    const std::string pixel = EmbeddedText("MaterialDefaultPS");
    ASSERT_FALSE(vertex.empty());
    ASSERT_FALSE(pixel.empty());
    const std::string broken = "#version 450\nvoid main() { undefined_thing = 1; }\n";
    // The vertex program reads a fourth attribute the mesh layout does not have.
    std::string extraInput = vertex;
    const std::size_t mainAt = extraInput.find("void main()");
    ASSERT_NE(mainAt, std::string::npos);
    extraInput.insert(mainAt, "layout(location = 3) in vec4 extra;\n");
    extraInput.replace(extraInput.find("1.0)", mainAt), 4, "extra.w)");

    struct Case
    {
        const char* what;
        TextSet text;
        const char* line;
    };
    const Case cases[] = {
        {"vertex program", {broken, pixel}, "CreateVertexShader failed.\n"},
        {"pixel program", {vertex, broken}, "CreatePixelShader failed.\n"},
        {"input layout", {extraInput, pixel}, "CreateInputLayout failed.\n"},
    };
    for (const Case& c : cases)
    {
        const int alive = GlObjectsAlive();
        const LogMark mark;
        EXPECT_EQ(CreateFromText(c.text, &kMeshLayout), nullptr) << c.what;
        EXPECT_EQ(mark.Since(), c.line) << c.what;
        EXPECT_EQ(GlObjectsAlive(), alive) << c.what;
    }
    // The same texts without the layout step build a set of two programs.
    const int alive = GlObjectsAlive();
    Shader* set = CreateFromText({extraInput, pixel}, nullptr);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(GlObjectsAlive(), alive + 2);
    delete set;
    EXPECT_EQ(GlObjectsAlive(), alive);
}

TEST_F(DispGLTest, ConstantBufferSizesMustBeMultiplesOf16)
{
    struct Case
    {
        std::uint32_t size;
        bool created;
    };
    for (const Case c : {Case{16, true}, Case{32, true}, Case{128, true}, Case{0, false},
                         Case{8, false}, Case{20, false}, Case{100, false}, Case{130, false}})
    {
        const LogMark mark;
        ConstantBufferGL buffer;
        EXPECT_EQ(buffer.Create(c.size), c.created) << c.size;
        EXPECT_EQ(mark.Since(), c.created ? "" : "ERROR: Failed to create cbuffer!\n") << c.size;
        const LogMark mapMark;
        EXPECT_EQ(buffer.Map() != nullptr, c.created) << c.size;
        if (c.created)
            buffer.Unmap();
        EXPECT_EQ(mapMark.Since(), c.created ? "" : "ConstantBuffer: Map failed.\n") << c.size;
    }
}

TEST_F(DispGLTest, FailedBufferCreationsRunTogetherAndDrawNothing)
{
    const LogMark mark;
    std::unique_ptr<Geometry> geometry(CreateGeometry());
    EXPECT_FALSE(geometry->CreateVertexBuffer(nullptr, 32, 24));
    EXPECT_FALSE(geometry->CreateIndexBuffer(nullptr, 36));
    EXPECT_EQ(mark.Since(), "CreateBuffer failed.CreateBuffer failed.");
    EXPECT_EQ(static_cast<GeometryGL*>(geometry.get())->indexCount, 0u);

    std::unique_ptr<Shader> set(DefaultSet());
    set->Bind();
    geometry->BindVertexBuffer();
    geometry->BindIndexBuffer();
    GLuint query = 0;
    glCreateQueries(GL_PRIMITIVES_GENERATED, 1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    geometry->Draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint primitives = 1;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
    glDeleteQueries(1, &query);
    EXPECT_EQ(primitives, 0u);
}

TEST_F(DispGLTest, CreateConstantBuffersMakesTheThreeBlocks)
{
    const LogMark mark;
    ASSERT_TRUE(CreateConstantBuffers());
    EXPECT_EQ(mark.Since(), "Creating CBuffers...\n");
    EXPECT_EQ(static_cast<ConstantBufferGL*>(g_frameConstants)->size, 128u);
    EXPECT_EQ(static_cast<ConstantBufferGL*>(g_objectConstants)->size, 128u);
    EXPECT_EQ(static_cast<ConstantBufferGL*>(g_materialConstants)->size, 32u);
    delete g_frameConstants;
    delete g_objectConstants;
    delete g_materialConstants;
    g_frameConstants = g_objectConstants = g_materialConstants = nullptr;
}

TEST_F(DispGLTest, ViewportOriginIsTheTopLeftCorner)
{
    const Vertex all[4] = {{{-1, -1, 0.5f}, {}, {}},
                           {{1, -1, 0.5f}, {}, {}},
                           {{-1, 1, 0.5f}, {}, {}},
                           {{1, 1, 0.5f}, {}, {}}};
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    std::unique_ptr<Geometry> quad(CreateGeometry());
    ASSERT_TRUE(quad->CreateVertexBuffer(all, sizeof(Vertex), 4));
    ASSERT_TRUE(quad->CreateIndexBuffer(indices, 6));
    std::unique_ptr<Shader> set(DefaultSet());
    ASSERT_NE(set, nullptr);

    display->SetRenderTarget({display->GetBackBuffer(), TextureHandle{0xFFFFFFFF}});
    display->SetViewport(16, 0, 32, 16); // 32 × 16 pixels from column 16 of the top row
    set->Bind();
    quad->BindVertexBuffer();
    quad->BindIndexBuffer();
    quad->Draw();
    display->SetViewport(0, 0, float(kWidth), float(kHeight));

    std::vector<std::uint8_t> pixels;
    ASSERT_TRUE(display->ReadBackBuffer(pixels));
    int covered = 0;
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x)
        {
            const bool inside = x >= 16 && x < 48 && y < 16;
            const bool red = pixels[(y * kWidth + x) * 4] == 255;
            EXPECT_EQ(red, inside) << x << "," << y;
            covered += red;
        }
    EXPECT_EQ(covered, 32 * 16);
}

TEST_F(DispGLTest, CubeFacesAndTheirRowsAreWhereDirect3DPutsThem)
{
    // 2×2 faces in the order +X, -X, +Y, -Y, +Z, -Z; the top row of face f is (f, 0), the
    // bottom row (f, 1), in red and green, as a Direct3D cube texture holds them.
    std::uint8_t faces[6][2][2][4] = {};
    for (int face = 0; face < 6; ++face)
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
            {
                faces[face][row][column][0] = std::uint8_t(face * 40);
                faces[face][row][column][1] = std::uint8_t(row * 200);
                faces[face][row][column][3] = 255;
            }
    const TextureHandle cube = display->CreateTexture(2, 2, RGBA8, 1, CubeMap, faces, sizeof faces);
    ASSERT_NE(cube.value, 0u);

    // One pixel per direction: pixel i samples direction i of the table below.
    const std::string vertex = EmbeddedText("FullscreenVS");
    const std::string pixel = R"(#version 450
layout(binding = 0) uniform samplerCube cube;
layout(location = 0) out vec4 color;
const vec3 directions[8] = vec3[](vec3(1, 0.5, 0), vec3(1, -0.5, 0), vec3(-1, 0.5, 0),
    vec3(0, 1, -0.5), vec3(0, 1, 0.5), vec3(0, -1, 0.5), vec3(0, 0.5, 1), vec3(0, 0.5, -1));
void main() { color = texture(cube, directions[int(gl_FragCoord.x) % 8]); }
)";
    std::unique_ptr<Shader> set(CreateFromText({vertex, pixel}, nullptr));
    ASSERT_NE(set, nullptr);
    const TextureHandle target = display->CreateRenderTarget(8, 1, RGBA8, 1, 0);
    display->SetRenderTarget({target, TextureHandle{0xFFFFFFFF}});
    display->SetViewport(0, 0, 8, 1);
    set->Bind();
    display->BindTexture(0, cube);
    display->SetPrimitiveTopology(GL_TRIANGLE_STRIP);
    display->Draw(4, 0);
    display->SetPrimitiveTopology(GL_TRIANGLES);

    std::uint8_t pixels[8 * 4] = {};
    glGetTextureImage(display->FindTexture(target)->texture, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                      sizeof pixels, pixels);
    struct Expected
    {
        const char* direction;
        int face;
        int row;
    };
    // On the side faces up is the top row; +Y's top row lies towards -Z, -Y's towards +Z.
    const Expected expected[8] = {
        {"+X up", 0, 0},         {"+X down", 0, 1},       {"-X up", 1, 0}, {"+Y towards -Z", 2, 0},
        {"+Y towards +Z", 2, 1}, {"-Y towards +Z", 3, 0}, {"+Z up", 4, 0}, {"-Z up", 5, 0},
    };
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ(pixels[i * 4], expected[i].face * 40) << expected[i].direction;
        EXPECT_EQ(pixels[i * 4 + 1], expected[i].row * 200) << expected[i].direction;
    }
    display->ReleaseTexture(target);
    display->ReleaseTexture(cube);
}
