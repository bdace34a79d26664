// The particle engine on GL: program creation and release, one update step read back against
// the CPU reference, and the points it draws.
#include "GlObjects.h"
#include "GpuPrograms.h"
#include "ParticlesGL.h"
#include "ProgramFixture.h"
#include "References.h"

#include <cmath>
#include <cstring>
#include <string>

namespace
{
constexpr char kBrokenText[] = "#version 450\nnot a program\n";
const GpuProgram kBrokenProgram = {"Broken", kBrokenText, sizeof kBrokenText - 1};

std::vector<Particle> ReadParticles()
{
    std::vector<Particle> particles(kParticleCount);
    glGetNamedBufferSubData(ParticleEngine().slots[0]->buffer, 0,
                            GLsizeiptr(sizeof(Particle)) * kParticleCount, particles.data());
    return particles;
}

// World positions far from the seeded cube, mapped by the test's view-projection onto pixel
// centres of the 64 x 64 target, depth 0.5.
constexpr float kOrigin = 1000.0f;
Particle ParticleAtPixel(int column, int row, float lifetime)
{
    const float x = (float(column) + 0.5f) / 32.0f - 1.0f;
    const float y = 1.0f - (float(row) + 0.5f) / 32.0f;
    return {{kOrigin + x, kOrigin + y, kOrigin}, {}, lifetime};
}
} // namespace

class ParticleEngineTest : public ProgramTest
{
  protected:
    void TearDown() override
    {
        ReleaseParticles();
        ProgramTest::TearDown();
    }
};

TEST_F(ParticleEngineTest, AFailingProgramLogsItsLineAndCreatesNothingAfterIt)
{
    const GpuProgram* vertex = FindGpuProgram("ParticleVS");
    const GpuProgram* pixel = FindGpuProgram("ParticlePS");
    const GpuProgram* compute = FindGpuProgram("ParticleUpdateCS");
    struct Case
    {
        int broken; // 0 vertex, 1 pixel, 2 compute
        const char* line;
    };
    const Case cases[] = {{0, "CreateVertexShader failed.\n"},
                          {1, "CreatePixelShader failed.\n"},
                          {2, "CreateComputeShader failed.\n"}};
    for (const Case& c : cases)
    {
        const int alive = GlObjectsAlive();
        const LogMark mark;
        EXPECT_FALSE(CreateParticleShadersFrom(c.broken == 0 ? &kBrokenProgram : vertex,
                                               c.broken == 1 ? &kBrokenProgram : pixel,
                                               c.broken == 2 ? &kBrokenProgram : compute));
        EXPECT_EQ(mark.Since(), c.line);
        const ParticleEngineGL& engine = ParticleEngine();
        EXPECT_EQ(engine.vertexShader != 0, c.broken > 0) << c.line;
        EXPECT_EQ(engine.pixelShader != 0, c.broken > 1) << c.line;
        EXPECT_EQ(engine.computeShader, 0u) << c.line;
        EXPECT_EQ(GlObjectsAlive(), alive + c.broken) << c.line;
        ReleaseParticles();
        EXPECT_EQ(GlObjectsAlive(), alive) << c.line;
    }
}

TEST_F(ParticleEngineTest, OnlySlotZeroIsFilledAndReleaseEmptiesAllEight)
{
    const int alive = GlObjectsAlive();
    const LogMark mark;
    ASSERT_TRUE(CreateParticleShaders());
    std::vector<Particle> seed(kParticleCount);
    BuildInitialParticles(seed.data());
    InitParticles(seed.data());
    EXPECT_EQ(mark.Since(), "");

    const ParticleEngineGL& engine = ParticleEngine();
    ASSERT_NE(engine.slots[0], nullptr);
    for (std::uint32_t slot = 1; slot < kParticleSlots; ++slot)
        EXPECT_EQ(engine.slots[slot], nullptr) << slot;
    // The GPU keeps its own copy of the seed, byte for byte.
    const std::vector<Particle> uploaded = ReadParticles();
    EXPECT_EQ(std::memcmp(uploaded.data(), seed.data(), seed.size() * sizeof(Particle)), 0);

    ReleaseParticles();
    for (std::uint32_t slot = 0; slot < kParticleSlots; ++slot)
        EXPECT_EQ(engine.slots[slot], nullptr) << slot;
    EXPECT_EQ(engine.vertexShader, 0u);
    EXPECT_EQ(engine.pixelShader, 0u);
    EXPECT_EQ(engine.computeShader, 0u);
    EXPECT_EQ(GlObjectsAlive(), alive);
}

TEST_F(ParticleEngineTest, UpdateStepMatchesTheReferenceAndDrawsColouredPoints)
{
    ASSERT_TRUE(CreateParticleShaders());
    std::vector<Particle> seed(kParticleCount);
    BuildInitialParticles(seed.data());
    // The attractor itself, the lifetime wrap rule, and points on known pixels.
    seed[0] = {{0.0f, 800.0f, 0.0f}, {}, 1.5f};
    seed[1].lifetime = 2.0f;
    seed[2].lifetime = 0.25f;
    struct Dot
    {
        std::uint32_t index;
        int column;
        int row;
    };
    const Dot dots[] = {{3, 0, 0}, {4, 63, 0}, {5, 10, 20}, {6, 40, 50}, {7, 63, 63}, {8, 31, 32}};
    for (int k = 0; const Dot& dot : dots)
        seed[dot.index] = ParticleAtPixel(dot.column, dot.row, 20.0f + 30.0f * float(k++));
    InitParticles(seed.data());

    CBufferFrameData frame = IdentityFrame();
    frame.ViewProjectionMatrix[3][0] = -kOrigin;
    frame.ViewProjectionMatrix[3][1] = -kOrigin;
    frame.ViewProjectionMatrix[3][2] = 0.5f - kOrigin;
    frame.DeltaTime = 0.0f;
    SetFrame(frame);
    BindFloatTarget(64, 64);
    UpdateAndDrawParticles();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(display->PrimitiveTopology(), GLenum(GL_TRIANGLES));
    GLint vertexArray = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(GLuint(vertexArray), display->VertexArray());

    // DeltaTime 0: every position kept, every lifetime counted down by the wrap rule.
    const std::vector<Particle> stepped = ReadParticles();
    for (std::uint32_t i = 0; i < kParticleCount; ++i)
    {
        const Particle& before = seed[i];
        const Particle& after = stepped[i];
        ASSERT_EQ(std::memcmp(after.position, before.position, sizeof before.position), 0) << i;
        const float expected = before.lifetime - 1.0f < 1.0f ? 100.0f : before.lifetime - 1.0f;
        ASSERT_EQ(after.lifetime, expected) << i;
    }
    EXPECT_EQ(stepped[0].lifetime, 100.0f);
    EXPECT_EQ(stepped[1].lifetime, 1.0f);
    EXPECT_EQ(stepped[2].lifetime, 100.0f);

    // Velocities: the unit pull plus the curl of the reference noise, on a spread of particles.
    // Near the attractor only the curl is left, and it stays finite.
    for (std::uint32_t i = 0; i < kParticleCount; i += i < 16 ? 1 : 613)
    {
        const Particle expected = UpdateParticleReference(seed[i], 0.0f);
        for (int axis = 0; axis < 3; ++axis)
            ASSERT_NEAR(stepped[i].velocity[axis], expected.velocity[axis], 5e-4f)
                << "particle " << i << " axis " << axis;
    }

    // The points: one pixel each, coloured by speed and lifetime; the rest stays clear.
    const std::vector<float> pixels = ReadTarget();
    int lit = 0;
    for (std::size_t p = 0; p < pixels.size(); p += 4)
        lit += pixels[p + 3] != 1.0f || pixels[p] != 0.012f;
    EXPECT_EQ(lit, int(std::size(dots)));
    for (const Dot& dot : dots)
    {
        const std::array<float, 4> expected = ParticleColorReference(stepped[dot.index]);
        const float* pixel = &pixels[(std::size_t(dot.row) * 64 + std::size_t(dot.column)) * 4];
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(pixel[c], expected[c], 1e-5f)
                << "particle " << dot.index << " channel " << c;
    }

    // A second step with time passing moves each particle by 5 v dt.
    frame.DeltaTime = 0.25f;
    SetFrame(frame);
    UpdateAndDrawParticles();
    const std::vector<Particle> moved = ReadParticles();
    for (std::uint32_t i = 0; i < kParticleCount; i += 997)
    {
        const Particle expected = UpdateParticleReference(stepped[i], 0.25f);
        for (int axis = 0; axis < 3; ++axis)
            ASSERT_NEAR(moved[i].position[axis], expected.position[axis], 1e-3f)
                << "particle " << i << " axis " << axis;
        ASSERT_EQ(moved[i].lifetime, expected.lifetime) << i;
    }
}

TEST_F(ParticleEngineTest, ThreadsPastTheLastParticleWriteNothing)
{
    ASSERT_TRUE(CreateParticleShaders());
    // The compute program over a buffer one group longer than the particles: the 176 idle
    // threads of the last group, and the group after it, must leave their records alone.
    const std::uint32_t records = kParticleGroups * kParticleGroupSize + kParticleGroupSize;
    std::vector<Particle> data(records, Particle{{1.0f, 2.0f, 3.0f}, {4.0f, 5.0f, 6.0f}, 50.0f});
    GLuint buffer = 0;
    glCreateBuffers(1, &buffer);
    glNamedBufferStorage(buffer, GLsizeiptr(records * sizeof(Particle)), data.data(), 0);
    SetFrame(IdentityFrame());
    glUseProgramStages(display->Pipeline(), GL_COMPUTE_SHADER_BIT, ParticleEngine().computeShader);
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, buffer);
    glDispatchCompute(kParticleGroups + 1, 1, 1);
    glMemoryBarrier(GL_BUFFER_UPDATE_BARRIER_BIT);
    glUseProgramStages(display->Pipeline(), GL_COMPUTE_SHADER_BIT, 0);
    std::vector<Particle> after(records);
    glGetNamedBufferSubData(buffer, 0, GLsizeiptr(records * sizeof(Particle)), after.data());
    glDeleteBuffers(1, &buffer);

    EXPECT_EQ(after[kParticleCount - 1].lifetime, 49.0f);
    for (std::uint32_t i = kParticleCount; i < records; ++i)
        ASSERT_EQ(std::memcmp(&after[i], &data[i], sizeof(Particle)), 0) << i;
}
