// A display with the three constant blocks, plus helpers to feed programs and read targets.
#pragma once

#include "DisplayFixture.h"
#include "ShaderInterface.h"

#include <vector>

class ProgramTest : public DisplayTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the frame block and binds it at slot 0 of the vertex, pixel and compute stages.
    void SetFrame(const CBufferFrameData& frame);
    void SetObject(const CBufferObjectData& object);
    void SetMaterial(const CBufferMaterialData& material);

    // RGBA 32-bit float textures; a cube map takes six faces one after another.
    TextureHandle MakeTexture(int width, int height, const std::vector<float>& rgba,
                              std::uint32_t flags = 0);
    // A float colour target with a depth target, bound (and cleared) with a viewport over it.
    void BindFloatTarget(int width, int height);
    std::vector<float> ReadTarget() { return ReadColor(target.color); }

    static CBufferFrameData IdentityFrame();

    RenderTargetPair target;
    std::vector<TextureHandle> textures;
};
