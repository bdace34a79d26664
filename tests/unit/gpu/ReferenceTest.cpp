// The CPU references against the values the formulas are known to give, before they judge the
// GPU programs.
#include "References.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(NoiseReferenceTest, IsExactlyZeroAtTheOriginAndSmallAlongTheDiagonal)
{
    EXPECT_EQ(SimplexNoise3DReference({0.0f, 0.0f, 0.0f}), 0.0f);
    // The diagonal is where three non-strict corner comparisons collapse the simplex.
    for (float t : {1e-4f, 0.3f, 1.7f, -2.25f, 40.0f})
    {
        const float onDiagonal = SimplexNoise3DReference({t, t, t});
        const float beside = SimplexNoise3DReference({t, t, t + 1e-4f});
        EXPECT_NEAR(onDiagonal, beside, 2e-3f) << t;
    }
}

TEST(NoiseReferenceTest, IsContinuousAndBounded)
{
    float largest = 0.0f;
    for (int i = 0; i < 20000; ++i)
    {
        const Vec3 p{std::sin(i * 0.37f) * 7.3f, std::cos(i * 0.11f) * 5.1f, i * 0.0013f - 13.0f};
        const float value = SimplexNoise3DReference(p);
        const float nudged = SimplexNoise3DReference({p.x + 1e-4f, p.y - 1e-4f, p.z});
        ASSERT_LT(std::fabs(value - nudged), 0.01f) << i;
        largest = std::max(largest, std::fabs(value));
    }
    EXPECT_LE(largest, 1.1f);
    EXPECT_GT(largest, 0.5f);
}

TEST(ParticleReferenceTest, LifetimeWrapsBelowOneToOneHundred)
{
    struct Case
    {
        float before;
        float after;
    };
    const Case cases[] = {{1.5f, 100.0f},  {2.0f, 1.0f},     {1.0f, 100.0f},
                          {100.0f, 99.0f}, {173.0f, 172.0f}, {0.0f, 100.0f}};
    for (const Case& c : cases)
    {
        const Particle p{{10.0f, 20.0f, 30.0f}, {}, c.before};
        EXPECT_EQ(UpdateParticleReference(p, 0.0f).lifetime, c.after) << c.before;
    }
}

TEST(ParticleReferenceTest, AtTheAttractorTheVelocityIsTheCurlAlone)
{
    const Particle at{{0.0f, 800.0f, 0.0f}, {}, 50.0f};
    const Particle updated = UpdateParticleReference(at, 0.5f);
    for (float v : updated.velocity)
        EXPECT_TRUE(std::isfinite(v));
    // Just beside the attractor the unit pull dominates the difference.
    const Particle beside = UpdateParticleReference({{0.0f, 799.9f, 0.0f}, {}, 50.0f}, 0.5f);
    EXPECT_NEAR(beside.velocity[1] - updated.velocity[1], 1.0f, 0.02f);
}

TEST(ParticleReferenceTest, BrightnessIsZeroAtRestAndSaturatesAtSpeedTimesLifetime1000)
{
    EXPECT_EQ(ParticleColorReference({{}, {0, 0, 0}, 100.0f})[3], 0.0f);
    EXPECT_FLOAT_EQ(ParticleColorReference({{}, {10, 0, 0}, 100.0f})[3], 1.0f);
    EXPECT_NEAR(ParticleColorReference({{}, {0, 5, 0}, 100.0f})[3], 0.5f, 1e-6f);
    const auto full = ParticleColorReference({{}, {0, 0, 20}, 100.0f});
    EXPECT_NEAR(full[0], 0.3f, 1e-6f);
    EXPECT_NEAR(full[1], 0.6f, 1e-6f);
    EXPECT_NEAR(full[2], 0.85f, 1e-6f);
}

TEST(PbrReferenceTest, EnvironmentBrdfAtTheEnds)
{
    struct Case
    {
        float roughness;
        float NdotV;
        float a;
        float b;
    };
    const Case cases[] = {{0.0f, 1.0f, 0.994127f, 0.00587292f}, {1.0f, 1.0f, 0.4524f, -0.0024f}};
    for (const Case& c : cases)
    {
        const EnvBrdf brdf = EnvBrdfReference(c.roughness, c.NdotV);
        EXPECT_NEAR(brdf.a, c.a, 1e-4f) << c.roughness;
        EXPECT_NEAR(brdf.b, c.b, 1e-4f) << c.roughness;
    }
    // A dielectric facing the camera reflects about 4.56 %, at grazing angles about all of it.
    const EnvBrdf head = EnvBrdfReference(0.0f, 1.0f);
    EXPECT_NEAR(0.04f * head.a + head.b, 0.0456f, 1e-4f);
    const EnvBrdf grazing = EnvBrdfReference(0.0f, 0.0f);
    EXPECT_NEAR(0.04f * grazing.a + grazing.b, 1.0424f, 1e-4f);
}

TEST(PostReferenceTest, VignetteScanlinesAndTheBlurGainAtTheCentre)
{
    EXPECT_EQ(VignetteReference(0.0f, 0.0f), 0.0625f);
    EXPECT_EQ(VignetteReference(1.0f, 1.0f), 0.0625f);
    EXPECT_EQ(VignetteReference(0.5f, 0.5f), 1.0f);
    EXPECT_FLOAT_EQ(ScanlineReference(0.5f / 1080.0f, 1080.0f), 0.37f);
    EXPECT_FLOAT_EQ(ScanlineReference(1.5f / 1080.0f, 1080.0f), 1.0f);

    // A uniform scene v at the centre: the dirt, grain and vignette are neutral there, so the
    // tone-mapped, encoded value gives back 1.80999 v.
    Image scene{4, 4, std::vector<float>(64, 0.2f)};
    Image black{4, 4, std::vector<float>(64, 0.0f)};
    const PostInputs in{&scene, &black, &black, 0.0f, 0.0f, 2.0f, 1.0f};
    const Vec3 out = PostPixelReference(in, 0.5f, 0.5f, 0.0f);
    const float col = 0.2f * 1.80999f;
    const float mapped = col / (1.0f + col);
    const float encoded = std::pow(mapped, 1.0f / 2.2f); // v = 0.5 of 2 rows is row 1: s = 1
    const float expected = std::pow((255.0f * encoded - 23.0f) / 167.0f, 1.41f) * 1.45f;
    EXPECT_NEAR(out.x, expected, 1e-3f);
    EXPECT_NEAR(out.y, expected, 1e-3f);
}
