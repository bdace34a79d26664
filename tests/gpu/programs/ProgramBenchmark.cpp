// Benchmark, not a test: the particle step with its draw and the post pass at 1920 x 1080,
// timed on the GPU with timer queries (on llvmpipe, the time the rasteriser threads take), and
// the particle seeding on the CPU.
#include "ConstantBuffer.h"
#include "DispGL.h"
#include "ParticlesGL.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr std::uint32_t kWidth = 1920;
constexpr std::uint32_t kHeight = 1080;

struct Stage
{
    SDL_Window* window = nullptr;
    DispGL* display = nullptr;
    RenderTargetPair scenePass;
    TextureHandle dirt;
    TextureHandle overlay;
    std::unique_ptr<Shader> post;
    GLuint query = 0;
};
Stage stage;

bool Open()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return false;
    SetGlContextAttributes();
    stage.window =
        SDL_CreateWindow("bench", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    stage.display = new DispGL;
    g_display = stage.display;
    if (!stage.window || !stage.display->Init({kWidth, kHeight, RGBA8, 60}, false, stage.window))
        return false;
    if (!CreateConstantBuffers() || !CreateParticleShaders())
        return false;

    stage.scenePass = {stage.display->CreateRenderTarget(kWidth, kHeight, RGBA16F, 1, 0),
                       stage.display->CreateDepthTarget(kWidth, kHeight, D24S8, 1, 0)};
    std::vector<std::uint8_t> image(std::size_t(kWidth) * kHeight * 4);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint8_t(i * 2654435761u >> 24);
    stage.dirt =
        stage.display->CreateTexture(kWidth, kHeight, RGBA8, 1, 0, image.data(), image.size());
    stage.overlay =
        stage.display->CreateTexture(kWidth, kHeight, RGBA8, 1, 0, image.data(), image.size());
    stage.post.reset(CreatePostShaders());
    if (!stage.post)
        return false;

    std::vector<Particle> seed(kParticleCount);
    BuildInitialParticles(seed.data());
    InitParticles(seed.data());

    // A camera 400 units back looking at the particle cube, and the frame values of a busy frame.
    CBufferFrameData frame = {};
    const float focal = 1.0f / 0.57735f;
    frame.ViewProjectionMatrix[0][0] = focal * kHeight / kWidth;
    frame.ViewProjectionMatrix[1][1] = focal;
    frame.ViewProjectionMatrix[2][2] = 1.0f;
    frame.ViewProjectionMatrix[2][3] = 1.0f;
    frame.ViewProjectionMatrix[3][2] = 399.0f;
    frame.ViewProjectionMatrix[3][3] = 400.0f;
    frame.DeltaTime = 1.0f / 60.0f;
    frame.Time = 42.0f;
    frame.FFT = 0.4f;
    frame.Fade = 0.8f;
    frame.Resolution[0] = kWidth;
    frame.Resolution[1] = kHeight;
    frame.Resolution[2] = 1.0f / kWidth;
    frame.Resolution[3] = 1.0f / kHeight;
    std::memcpy(g_frameConstants->Map(), &frame, sizeof frame);
    g_frameConstants->Unmap();
    g_frameConstants->Bind(ComputeStage, kFrameConstantsSlot);
    stage.display->SetViewport(0, 0, kWidth, kHeight);
    glCreateQueries(GL_TIME_ELAPSED, 1, &stage.query);
    return true;
}

template <typename Pass> void TimeOnGpu(benchmark::State& state, Pass pass)
{
    for (auto _ : state)
    {
        glBeginQuery(GL_TIME_ELAPSED, stage.query);
        pass();
        glEndQuery(GL_TIME_ELAPSED);
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(stage.query, GL_QUERY_RESULT, &nanoseconds);
        state.SetIterationTime(double(nanoseconds) * 1e-9);
    }
}

void ParticleUpdateAndDraw(benchmark::State& state)
{
    stage.display->SetRenderTarget(stage.scenePass);
    TimeOnGpu(state, [] { UpdateAndDrawParticles(); });
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kParticleCount);
}

void PostPass(benchmark::State& state)
{
    TimeOnGpu(
        state,
        []
        {
            stage.display->SetRenderTarget({stage.display->GetBackBuffer(), stage.scenePass.depth});
            stage.post->Bind();
            stage.display->BindTexture(0, stage.scenePass.color);
            stage.display->BindTexture(1, stage.dirt);
            stage.display->BindTexture(2, stage.overlay);
            stage.display->SetPrimitiveTopology(GL_TRIANGLE_STRIP);
            stage.display->Draw(4, 0);
            stage.display->SetPrimitiveTopology(GL_TRIANGLES);
        });
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kWidth * kHeight);
}

// The start-up seeding of all particles on the CPU.
void BuildParticleSeed(benchmark::State& state)
{
    std::vector<Particle> seed(kParticleCount);
    for (auto _ : state)
    {
        BuildInitialParticles(seed.data());
        benchmark::DoNotOptimize(seed.data());
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kParticleCount);
}

BENCHMARK(BuildParticleSeed)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ParticleUpdateAndDraw)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PostPass)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
} // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    if (!Open())
    {
        std::fprintf(stderr, "bench: cannot open a 1920x1080 GL display: %s\n", SDL_GetError());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
