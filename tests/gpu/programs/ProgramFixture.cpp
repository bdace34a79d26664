// The program-test fixture: constant blocks, float textures and targets on the GL display.
#include "ProgramFixture.h"

#include "ConstantBuffer.h"

#include <cstring>

namespace
{
template <typename Block> void Write(ConstantBuffer* buffer, const Block& block)
{
    void* mapped = buffer->Map();
    ASSERT_NE(mapped, nullptr);
    std::memcpy(mapped, &block, sizeof block);
    buffer->Unmap();
}
} // namespace

void ProgramTest::SetUp()
{
    DisplayTest::SetUp();
    ASSERT_TRUE(CreateConstantBuffers());
}

void ProgramTest::TearDown()
{
    for (TextureHandle handle : textures)
        display->ReleaseTexture(handle);
    if (target.color.value)
        display->ReleaseTexture(target.color);
    if (target.depth.value)
        display->ReleaseTexture(target.depth);
    for (ConstantBuffer** buffer : {&g_frameConstants, &g_objectConstants, &g_materialConstants})
    {
        delete *buffer;
        *buffer = nullptr;
    }
    DisplayTest::TearDown();
}

void ProgramTest::SetFrame(const CBufferFrameData& frame)
{
    Write(g_frameConstants, frame);
    for (std::uint32_t stage : {VertexStage, PixelStage, ComputeStage})
        g_frameConstants->Bind(stage, kFrameConstantsSlot);
}

void ProgramTest::SetObject(const CBufferObjectData& object)
{
    Write(g_objectConstants, object);
    g_objectConstants->Bind(VertexStage, kObjectConstantsSlot);
}

void ProgramTest::SetMaterial(const CBufferMaterialData& material)
{
    Write(g_materialConstants, material);
    g_materialConstants->Bind(PixelStage, kMaterialConstantsSlot);
}

TextureHandle ProgramTest::MakeTexture(int width, int height, const std::vector<float>& rgba,
                                       std::uint32_t flags)
{
    const TextureHandle handle =
        display->CreateTexture(std::uint32_t(width), std::uint32_t(height), RGBA32F, 1, flags,
                               rgba.data(), rgba.size() * sizeof(float));
    EXPECT_NE(display->FindTexture(handle), nullptr);
    textures.push_back(handle);
    return handle;
}

void ProgramTest::BindFloatTarget(int width, int height)
{
    target.color =
        display->CreateRenderTarget(std::uint32_t(width), std::uint32_t(height), RGBA32F, 1, 0);
    target.depth =
        display->CreateDepthTarget(std::uint32_t(width), std::uint32_t(height), D24S8, 1, 0);
    ASSERT_NE(display->FindTexture(target.color), nullptr);
    display->SetRenderTarget(target);
    display->SetViewport(0.0f, 0.0f, float(width), float(height));
}

CBufferFrameData ProgramTest::IdentityFrame()
{
    CBufferFrameData frame = {};
    for (int i = 0; i < 4; ++i)
        frame.ViewProjectionMatrix[i][i] = 1.0f;
    return frame;
}
