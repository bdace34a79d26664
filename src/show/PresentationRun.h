// The start-up and shutdown of the display, the GPU programs, the data and the particles: the part
// of the programs' life that the capture tool runs too, in the same order with the same log lines.
#pragma once

#include "DisplayFrameDevice.h"
#include "ShaderInterface.h"

// What start-up creates and shutdown releases; plain pointers and handles, owned here.
struct PresentationRun
{
    FrameResources frame;
    Presentation presentation;
    TextureHandle sceneColorTarget{0};
    TextureHandle sceneDepthTarget{0};
    Particle* particleSeed = nullptr;
};

// Creates the display and initialises it on `window`, then the two scene targets, the constant
// buffers, the shader sets, the particle programs, the viewport, the textures, the scenes, the
// presentation's start state and the particle seed and its upload. The first failing step reports
// its message through Logger::Error and returns false, releasing nothing.
bool StartDisplayAndData(PresentationRun& run, const DisplayMode& mode, bool fullscreen,
                         WindowHandle window);

// Releases, in order, the scenes, the textures, the particle seed and buffers, the shader sets,
// the constant buffers, the two targets and the display.
void ShutdownDisplayAndData(PresentationRun& run);
