// One frame of the presentation, from binding the scene pass to the post pass's draw.
#pragma once

#include "Segments.h"
#include "Timeline.h"

#include <cstdint>

// The eight textures in load order.
enum SceneTexture : std::int32_t
{
    Irradiance = 0,
    Prefilter = 1,
    DirtMask = 2,
    DirtScratches = 3,
    Intro = 4,
    Credits = 5,
    IronAlbedo = 6,
    IronMetallic = 7,
};
constexpr int kTextureCount = 8;

inline constexpr const char* TextureFiles[kTextureCount] = {
    "data\\irradiance.dds",    "data\\prefilter2048.dds", "data\\dirtmask.dds",
    "data\\dirtscratches.dds", "data\\intro.dds",         "data\\credits.dds",
    "data\\iron_albedo.dds",   "data\\iron_metallic.dds",
};

// Pixel slots 0 to 3 while scenes are drawn.
inline constexpr SceneTexture kSceneTextures[4] = {Irradiance, Prefilter, IronAlbedo, IronMetallic};

// The credits replace the intro as overlay from this time on (strictly after it).
constexpr float kCreditsTime = 137.0f;

bool DrawsParticles(SegmentKind kind);

// Lens dirt (post slot 1) and overlay image (post slot 2) of a frame.
struct PostTextures
{
    SceneTexture dirt;
    SceneTexture overlay;
};
PostTextures ChoosePostTextures(float musicTime, SegmentKind kind);

// Everything that moves, kept from frame to frame.
struct Presentation
{
    TimelineState timeline;
    SegmentObjects objects;
    SceneNode cameraTarget;
    CameraNode camera;
};

// Start-up: the identity matrix, the camera and its target, the start tint, the materials, the 40
// Grinder instances (which draw 120 values from random) and a reset timeline.
void InitPresentation(Presentation& presentation, RandomSource random);

// The device calls of a frame: the programs' is DisplayFrameDevice, the tests' record.
class FrameDevice : public SceneDrawer
{
  public:
    virtual void BeginScenePass() = 0; // bind and clear the off-screen colour and depth targets
    virtual void WriteFrameConstants(CameraNode& camera, float musicTime, float deltaTime,
                                     float fade, float spectrumLevel) = 0;
    virtual void BindSceneTextures() = 0;
    virtual std::uint32_t MeshCount(SegmentKind kind) = 0; // of the kind's scene
    virtual void DrawParticles() = 0;
    virtual void BeginPostPass() = 0; // back buffer target, post-processing shader set
    virtual void BindPostTextures(PostTextures textures) = 0;
    virtual void DrawPostQuad() = 0;

  protected:
    ~FrameDevice() = default;
};

// One frame: scene pass, timeline, frame constants, the kind's drawing, particles where the kind
// shows them, post pass. Presenting is left to the caller.
void RunFrame(Presentation& presentation, FrameDevice& device, float musicTime, float deltaTime,
              SpectrumView spectrum, RandomSource random);
