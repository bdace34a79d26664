// Triangle meshes in the renderer's axes (Y up) and the shapes the scenes are built from.
#pragma once

#include "Vec.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace assets
{

struct Vertex
{
    Vec3 position;
    Vec3 normal;
    float u = 0, v = 0;
};

// Faces are wound so that (b - a) x (c - a) points out of the surface: clockwise seen from the
// front in the renderer's left-handed axes, the front face of the default rasterizer state.
struct Mesh
{
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices; // three per face

    std::size_t FaceCount() const { return indices.size() / 3; }
    std::uint32_t AddVertex(Vec3 position, Vec3 normal, float u, float v);
    // Adds a triangle, turning it round if its winding disagrees with its vertex normals.
    void AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c);
    void Append(const Mesh& other);
};

// One point of a profile that a lathe turns about the Y axis: radius r at height y, with the
// profile normal (nr, ny). A point with `joinNext` false ends a strip (a hard edge follows).
struct ProfilePoint
{
    float r, y, nr, ny;
    bool joinNext = true;
};

// Texture coordinates stay inside [0, 1]: the sampler clamps, so nothing tiles.
Mesh Lathe(const std::vector<ProfilePoint>& profile, int segments, float angle0 = 0,
           float angle1 = 2 * kPi);
std::vector<ProfilePoint> RectProfile(float r0, float r1, float y0, float y1);
std::vector<ProfilePoint> CircleProfile(float centreR, float centreY, float radius, int steps);
Mesh Sphere(float radius, int segments, int rings);
Mesh Torus(float majorRadius, float minorRadius, int segments, int sides);
// A box of half sizes (hx, hy, hz) about its own axes ax, ay, az (unit, orthogonal), at centre c.
Mesh OrientedBox(Vec3 c, Vec3 ax, Vec3 ay, Vec3 az, float hx, float hy, float hz);
Mesh Box(Vec3 c, Vec3 half);
// A surface from a function of (u, v) in [0, 1]²; normals from finite differences, oriented
// to agree with `outward` (a direction function of the point).
Mesh Surface(int nu, int nv, const std::function<Vec3(float, float)>& at,
             const std::function<Vec3(Vec3)>& outward);
// A flat quad seen from both sides (four corners in order around its edge).
Mesh DoubleQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d);

// Rigid moves and uniform scale; normals follow.
Mesh Transformed(Mesh mesh, const std::function<Vec3(Vec3)>& movePoint,
                 const std::function<Vec3(Vec3)>& moveNormal);
Mesh Translated(Mesh mesh, Vec3 offset);
Mesh Scaled(Mesh mesh, float s);
Vec3 RotateX(Vec3 p, float a);
Vec3 RotateY(Vec3 p, float a);
Vec3 RotateZ(Vec3 p, float a);
Mesh RotatedX(Mesh mesh, float a);
Mesh RotatedY(Mesh mesh, float a);
Mesh RotatedZ(Mesh mesh, float a);

// Block letters of uniform strokes, laid on the XY plane, facing -Z, from x = 0 to the returned
// advance, heights 0 to `height`, depth from -depth/2 to depth/2.
Mesh TextMesh(const std::string& text, float height, float stroke, float depth, float* width);

} // namespace assets
