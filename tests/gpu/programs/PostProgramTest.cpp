// The post-processing pass on the GPU against the CPU reference, pixel by pixel.
#include "ProgramFixture.h"
#include "References.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace
{
constexpr int kW = 64;
constexpr int kH = 48;

std::vector<float> MakeImage(float (*channel)(int x, int y, int c))
{
    std::vector<float> rgba(std::size_t(kW) * kH * 4);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            for (int c = 0; c < 4; ++c)
                rgba[(std::size_t(y) * kW + std::size_t(x)) * 4 + std::size_t(c)] =
                    c == 3 ? 1.0f : channel(x, y, c);
    return rgba;
}

// A smooth HDR scene that fades to black on the left, so the levels black point is reached.
float SceneChannel(int x, int y, int c)
{
    const float ramp = std::clamp((float(x) - 8.0f) / 16.0f, 0.0f, 1.0f);
    const float fx = float(x);
    const float fy = float(y);
    const float values[3] = {0.8f + 0.6f * std::sin(fx * 0.09f + fy * 0.05f),
                             0.5f + 0.4f * std::cos(fx * 0.07f - fy * 0.11f),
                             1.2f + 0.9f * std::sin(fx * 0.05f + 1.0f) * std::cos(fy * 0.08f)};
    return ramp * values[c];
}

// Dirt and overlay are read at texel centres only, so they may be rough.
float DirtChannel(int x, int y, int c)
{
    const float hash = std::sin(float(x) * 12.9898f + float(y) * 78.233f + float(c)) * 43758.5f;
    return (hash - std::floor(hash)) * (y % 5 == 0 ? 4.0f : 0.3f);
}

float OverlayChannel(int x, int y, int c)
{
    const float values[3] = {float(x) / kW, float(y) / kH, 0.5f + 0.5f * std::sin(float(x) * 0.3f)};
    return values[c];
}

struct PixelFit
{
    float grain;
    float error;
};

// The grain value that best explains a GPU pixel: the grain is one number added to all three
// channels, so the other stages must still match in every channel.
PixelFit FitGrain(const PostInputs& in, float u, float v, const float* gpu)
{
    const auto error = [&](float grain)
    {
        const Vec3 ref = PostPixelReference(in, u, v, grain);
        const float d[3] = {std::fabs(ref.x - gpu[0]), std::fabs(ref.y - gpu[1]),
                            std::fabs(ref.z - gpu[2])};
        return std::max({d[0], d[1], d[2]});
    };
    PixelFit best{0.0f, error(0.0f)};
    for (int step = 1; step <= 1024; ++step)
    {
        const float grain = float(step) / 1024.0f;
        const float e = error(grain);
        if (e < best.error)
            best = {grain, e};
    }
    float low = std::max(best.grain - 1.0f / 1024.0f, 0.0f);
    float high = std::min(best.grain + 1.0f / 1024.0f, 1.0f);
    for (int i = 0; i < 40; ++i)
    {
        const float a = low + (high - low) / 3.0f;
        const float b = high - (high - low) / 3.0f;
        if (error(a) < error(b))
            high = b;
        else
            low = a;
    }
    const float middle = 0.5f * (low + high);
    if (error(middle) < best.error)
        best = {middle, error(middle)};
    return best;
}
} // namespace

class PostProgramTest : public ProgramTest
{
};

TEST_F(PostProgramTest, FramesMatchTheReferencePerPixel)
{
    Image scene{kW, kH, MakeImage(SceneChannel)};
    Image dirt{kW, kH, MakeImage(DirtChannel)};
    Image overlay{kW, kH, MakeImage(OverlayChannel)};
    const TextureHandle sceneTexture = MakeTexture(kW, kH, scene.rgba);
    const TextureHandle dirtTexture = MakeTexture(kW, kH, dirt.rgba);
    const TextureHandle overlayTexture = MakeTexture(kW, kH, overlay.rgba);
    std::unique_ptr<Shader> post(CreatePostShaders());
    ASSERT_NE(post, nullptr);
    BindFloatTarget(kW, kH);

    struct Case
    {
        float fft;
        float fade;
        float time;
    };
    const Case cases[] = {
        {0.0f, 1.0f, 3.7f}, {1.0f, 1.0f, 3.7f}, {0.3f, 0.5f, 71.25f}, {0.0f, 0.0f, 137.5f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "FFT " << c.fft << " fade " << c.fade);
        CBufferFrameData frame = IdentityFrame();
        frame.Time = c.time;
        frame.FFT = c.fft;
        frame.Fade = c.fade;
        frame.Resolution[0] = float(kW);
        frame.Resolution[1] = float(kH);
        frame.Resolution[2] = 1.0f / kW;
        frame.Resolution[3] = 1.0f / kH;
        SetFrame(frame);

        display->SetRenderTarget(target);
        post->Bind();
        display->BindTexture(0, sceneTexture);
        display->BindTexture(1, dirtTexture);
        display->BindTexture(2, overlayTexture);
        display->SetPrimitiveTopology(GL_TRIANGLE_STRIP);
        display->Draw(4, 0);
        display->SetPrimitiveTopology(GL_TRIANGLES);
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        const std::vector<float> pixels = ReadTarget();

        const PostInputs in{&scene, &dirt, &overlay, c.time, c.fft, float(kH), c.fade};
        int zeroed = 0;
        int lowGrain = 0;
        int highGrain = 0;
        float lowest = 1.0f;
        float highest = 0.0f;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
            {
                const float u = (float(x) + 0.5f) / kW;
                const float v = (float(y) + 0.5f) / kH;
                const float* gpu = &pixels[(std::size_t(y) * kW + std::size_t(x)) * 4];
                ASSERT_EQ(gpu[3], 1.0f);
                const PixelFit fit = FitGrain(in, u, v, gpu);
                const float tolerance = 1e-4f;
                ASSERT_LE(fit.error, tolerance) << "pixel " << x << ", " << y;
                zeroed += (gpu[0] == 0.0f) + (gpu[1] == 0.0f) + (gpu[2] == 0.0f);
                const Vec3 bright = PostPixelReference(in, u, v, 1.0f);
                if (c.fade > 0.0f && bright.x > 0.0f && bright.y > 0.0f && bright.z > 0.0f &&
                    x >= 24)
                {
                    lowGrain += fit.grain < 0.2f;
                    highGrain += fit.grain > 0.8f;
                    lowest = std::min(lowest, fit.grain);
                    highest = std::max(highest, fit.grain);
                }
            }
        // Black rows below the levels black point are 0 whatever the fade; the grain spreads
        // over its whole range.
        EXPECT_GT(zeroed, 0);
        if (c.fade > 0.0f)
        {
            // Uniform over [0, 1): the full range shows that the grain's amplitude is 0.09.
            EXPECT_GT(lowGrain, 100);
            EXPECT_GT(highGrain, 100);
            EXPECT_LT(lowest, 0.02f);
            EXPECT_GT(highest, 0.98f);
        }
    }
}

TEST_F(PostProgramTest, FadeZeroShowsTheOverlayWhereTheLevelsInputIsNotNegative)
{
    Image scene{kW, kH, MakeImage(SceneChannel)};
    Image overlay{kW, kH, MakeImage(OverlayChannel)};
    std::vector<float> black(std::size_t(kW) * kH * 4, 0.0f);
    MakeTexture(kW, kH, scene.rgba);
    const TextureHandle sceneTexture = textures.back();
    const TextureHandle blackTexture = MakeTexture(kW, kH, black);
    const TextureHandle overlayTexture = MakeTexture(kW, kH, overlay.rgba);
    std::unique_ptr<Shader> post(CreatePostShaders());
    ASSERT_NE(post, nullptr);
    BindFloatTarget(kW, kH);
    CBufferFrameData frame = IdentityFrame();
    frame.Resolution[1] = float(kH);
    frame.Fade = 0.0f;
    SetFrame(frame);
    post->Bind();
    display->BindTexture(0, sceneTexture);
    display->BindTexture(1, blackTexture);
    display->BindTexture(2, overlayTexture);
    display->SetPrimitiveTopology(GL_TRIANGLE_STRIP);
    display->Draw(4, 0);
    display->SetPrimitiveTopology(GL_TRIANGLES);
    const std::vector<float> pixels = ReadTarget();

    int shown = 0;
    int zeroed = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            for (int c = 0; c < 3; ++c)
            {
                const float gpu =
                    pixels[(std::size_t(y) * kW + std::size_t(x)) * 4 + std::size_t(c)];
                const float shownValue = OverlayChannel(x, y, c);
                if (gpu == 0.0f && shownValue != 0.0f)
                    ++zeroed;
                else
                {
                    ASSERT_NEAR(gpu, shownValue, 1e-6f) << x << ", " << y << " channel " << c;
                    ++shown;
                }
            }
    EXPECT_GT(shown, kW * kH);
    EXPECT_GT(zeroed, 0);
    // Only the dimmed rows (even rows, scanline factor 0.37) reach below the black point.
    for (int y = 1; y < kH; y += 2)
        for (int x = 24; x < kW; ++x)
            EXPECT_NE(pixels[(std::size_t(y) * kW + std::size_t(x)) * 4 + 1], 0.0f)
                << x << ", " << y;
}
