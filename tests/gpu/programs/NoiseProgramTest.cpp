// SimplexNoise3D on the GPU, through a probe compute program, against the CPU reference.
#include "DispGL.h"
#include "GpuPrograms.h"
#include "ProgramFixture.h"
#include "References.h"
#include "ShaderGL.h"

#include "NoiseProbeCS.glsl.h"

#include <cmath>

namespace
{
struct NoiseSample
{
    float x, y, z, value;
};

std::vector<NoiseSample> NoisePoints()
{
    std::vector<NoiseSample> points;
    const auto add = [&](float x, float y, float z) { points.push_back({x, y, z, -9.0f}); };
    add(0.0f, 0.0f, 0.0f);
    // The main diagonal, where the corner order has ties in all three comparisons.
    for (int i = -20; i <= 20; ++i)
        add(i * 0.37f, i * 0.37f, i * 0.37f);
    // Lattice corners (integer points whose coordinate sum is a multiple of 3), integer points,
    // and the planes where two offsets tie.
    for (int x = -3; x <= 3; ++x)
        for (int y = -3; y <= 3; ++y)
            for (int z = -3; z <= 3; ++z)
            {
                add(float(x), float(y), float(z));
                add(x + 0.25f, x + 0.25f, z * 0.5f);
            }
    // Large coordinates, as the particle field and displaced meshes reach them.
    for (int i = 0; i < 200; ++i)
        add(std::sin(i * 1.3f) * 900.0f, std::cos(i * 0.7f) * 650.0f, i * 4.75f - 475.0f);
    while (points.size() < 4096)
    {
        const float i = float(points.size());
        add(std::sin(i * 0.731f) * 9.0f, std::cos(i * 0.377f) * 9.0f, std::sin(i * 0.19f) * 9.0f);
    }
    return points;
}
} // namespace

class NoiseProgramTest : public ProgramTest
{
};

TEST_F(NoiseProgramTest, GpuNoiseEqualsTheReferenceAndIsExactlyZeroAtTheOrigin)
{
    const GpuProgram probe = {"NoiseProbeCS", kNoiseProbeCS, sizeof kNoiseProbeCS - 1};
    GLuint program = CreateProgram(GL_COMPUTE_SHADER, &probe);
    ASSERT_NE(program, 0u);

    std::vector<NoiseSample> points = NoisePoints();
    GLuint buffer = 0;
    glCreateBuffers(1, &buffer);
    glNamedBufferStorage(buffer, GLsizeiptr(points.size() * sizeof(NoiseSample)), points.data(), 0);
    glUseProgramStages(display->Pipeline(), GL_COMPUTE_SHADER_BIT, program);
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, buffer);
    glDispatchCompute(GLuint(points.size() / 64), 1, 1);
    glMemoryBarrier(GL_BUFFER_UPDATE_BARRIER_BIT);
    glUseProgramStages(display->Pipeline(), GL_COMPUTE_SHADER_BIT, 0);
    glGetNamedBufferSubData(buffer, 0, GLsizeiptr(points.size() * sizeof(NoiseSample)),
                            points.data());
    glDeleteBuffers(1, &buffer);
    DeleteProgram(program);

    EXPECT_EQ(points[0].value, 0.0f);
    float largest = 0.0f;
    for (const NoiseSample& p : points)
    {
        const float expected = SimplexNoise3DReference({p.x, p.y, p.z});
        ASSERT_NEAR(p.value, expected, 1e-5f) << "at " << p.x << ", " << p.y << ", " << p.z;
        largest = std::max(largest, std::fabs(p.value));
    }
    EXPECT_GT(largest, 0.5f); // the points exercise the noise, not only its zeros
}
