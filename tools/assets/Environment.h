// The procedural lighting environment and the two image-based-lighting cube maps made from it.
#pragma once

#include "Vec.h"

#include <cstdint>
#include <vector>

namespace assets
{

// Linear HDR radiance seen in direction `d` (unit, renderer axes, Y up).
Vec3 EnvironmentRadiance(Vec3 d);

// The direction of the centre of the light panel nearest to direction `d` (unit).
Vec3 NearestLightPanel(Vec3 d);

// The unit direction through the centre of texel (x, y) of cube face `face` (+X, -X, +Y, -Y,
// +Z, -Z) of a face `size` texels wide, in the Direct3D cube-map convention.
Vec3 CubeDirection(int face, float x, float y, int size);

// RGBA16F pixel data in DDS order (faces, each with its levels).
std::vector<std::uint8_t> IrradiancePixels(int size);
std::vector<std::uint8_t> PrefilterPixels(int size, int levels);
int FullMipCount(int size);

} // namespace assets
