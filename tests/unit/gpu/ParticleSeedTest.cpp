// The CPU half of the particle engine: the random source and the initial particle array.
#include "Particles.h"
#include "RandomUnit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(RandomUnitTest, FollowsTheWindowsRuntimeSequenceFromItsDefaultSeed)
{
    // rand() of the Windows C runtime in a process that never called srand.
    CrtRandom crt;
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464})
        EXPECT_EQ(crt.Next(), expected);

    RestartRandomUnit();
    EXPECT_EQ(RandomUnit(), 41.0f / 32767.0f);
    EXPECT_EQ(RandomUnit(), 18467.0f / 32767.0f);
    RestartRandomUnit();
    EXPECT_EQ(RandomUnit(), 41.0f / 32767.0f);
}

TEST(RandomUnitTest, StaysInTheUnitRangeOnMultiplesOf1Over32767)
{
    float lowest = 1.0f;
    float highest = 0.0f;
    for (int i = 0; i < 200000; ++i)
    {
        const float r = RandomUnit();
        ASSERT_GE(r, 0.0f);
        ASSERT_LE(r, 32766.0f / 32767.0f);
        const float steps = r * 32767.0f;
        ASSERT_NEAR(steps, std::round(steps), 0.01f) << r;
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_LT(lowest, 0.001f);
    EXPECT_GT(highest, 0.999f);
}

class InitialParticlesTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        RestartRandomUnit();
        for (float& r : firstRandoms)
            r = RandomUnit();
        RestartRandomUnit();
        particles = new std::vector<Particle>(kParticleCount);
        BuildInitialParticles(particles->data());
    }
    static void TearDownTestSuite()
    {
        delete particles;
        particles = nullptr;
    }

    static inline float firstRandoms[3] = {};
    static inline std::vector<Particle>* particles = nullptr;
};

TEST_F(InitialParticlesTest, FirstParticleTakesTheFirstThreeRandomValuesAsXYZ)
{
    const Particle& first = (*particles)[0];
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_EQ(first.position[axis], (firstRandoms[axis] * 2.0f - 1.0f) * 100.0f) << axis;
}

TEST_F(InitialParticlesTest, PositionsFillTheCubeAndStopJustShortOfPlus100)
{
    const float top = (32766.0f / 32767.0f * 2.0f - 1.0f) * 100.0f;
    float lowest[3] = {1e9f, 1e9f, 1e9f};
    float highest[3] = {-1e9f, -1e9f, -1e9f};
    for (const Particle& particle : *particles)
        for (int axis = 0; axis < 3; ++axis)
        {
            const float c = particle.position[axis];
            ASSERT_GE(c, -100.0f);
            ASSERT_LE(c, top);
            lowest[axis] = std::min(lowest[axis], c);
            highest[axis] = std::max(highest[axis], c);
        }
    for (int axis = 0; axis < 3; ++axis)
    {
        EXPECT_EQ(lowest[axis], -100.0f) << axis;
        EXPECT_EQ(highest[axis], top) << axis;
    }
}

TEST_F(InitialParticlesTest, VelocityIsZeroAndLifetimeIsTheDistanceFromTheOrigin)
{
    float longest = 0.0f;
    for (const Particle& particle : *particles)
    {
        ASSERT_EQ(particle.velocity[0], 0.0f);
        ASSERT_EQ(particle.velocity[1], 0.0f);
        ASSERT_EQ(particle.velocity[2], 0.0f);
        const float* p = particle.position;
        const double distance =
            std::sqrt(double(p[0]) * p[0] + double(p[1]) * p[1] + double(p[2]) * p[2]);
        ASSERT_NEAR(particle.lifetime, distance, 1e-4 * distance + 1e-6);
        longest = std::max(longest, particle.lifetime);
    }
    EXPECT_LE(longest, 173.3f);
    EXPECT_GT(longest, 165.0f); // some particles sit near the cube's corners
}
