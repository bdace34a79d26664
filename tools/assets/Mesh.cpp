// Builds the triangle meshes of the scenes: lathes, boxes, surfaces and block letters.
#include "Mesh.h"

#include <array>
#include <map>
#include <stdexcept>

namespace assets
{

std::uint32_t Mesh::AddVertex(Vec3 position, Vec3 normal, float u, float v)
{
    vertices.push_back({position, Normalize(normal), Clamp01(u), Clamp01(v)});
    return static_cast<std::uint32_t>(vertices.size() - 1);
}

void Mesh::AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    const Vec3 pa = vertices[a].position;
    const Vec3 face = Cross(vertices[b].position - pa, vertices[c].position - pa);
    if (Dot(face, face) < 1e-12f)
        return; // degenerate (a pole or a zero-length edge): nothing to draw
    const Vec3 normals = vertices[a].normal + vertices[b].normal + vertices[c].normal;
    if (Dot(face, normals) < 0)
        std::swap(b, c);
    indices.insert(indices.end(), {a, b, c});
}

void Mesh::Append(const Mesh& other)
{
    const auto base = static_cast<std::uint32_t>(vertices.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    for (std::uint32_t i : other.indices)
        indices.push_back(base + i);
}

Mesh Lathe(const std::vector<ProfilePoint>& profile, int segments, float angle0, float angle1)
{
    Mesh mesh;
    const int rows = static_cast<int>(profile.size());
    for (int i = 0; i < rows; ++i)
    {
        const ProfilePoint& p = profile[i];
        const float v = rows > 1 ? static_cast<float>(i) / static_cast<float>(rows - 1) : 0;
        for (int s = 0; s <= segments; ++s)
        {
            const float u = static_cast<float>(s) / static_cast<float>(segments);
            const float a = angle0 + (angle1 - angle0) * u;
            const float c = std::cos(a), sn = std::sin(a);
            mesh.AddVertex({p.r * c, p.y, p.r * sn}, {p.nr * c, p.ny, p.nr * sn}, u, v);
        }
    }
    const auto stride = static_cast<std::uint32_t>(segments + 1);
    for (int i = 0; i + 1 < rows; ++i)
    {
        if (!profile[i].joinNext)
            continue;
        for (int s = 0; s < segments; ++s)
        {
            const std::uint32_t a = static_cast<std::uint32_t>(i) * stride + s;
            const std::uint32_t b = a + 1, c = a + stride, d = a + stride + 1;
            mesh.AddTriangle(a, c, b);
            mesh.AddTriangle(b, c, d);
        }
    }
    return mesh;
}

std::vector<ProfilePoint> RectProfile(float r0, float r1, float y0, float y1)
{
    return {{r1, y0, 1, 0, true},  {r1, y1, 1, 0, false}, {r1, y1, 0, 1, true},
            {r0, y1, 0, 1, false}, {r0, y1, -1, 0, true}, {r0, y0, -1, 0, false},
            {r0, y0, 0, -1, true}, {r1, y0, 0, -1, false}};
}

std::vector<ProfilePoint> CircleProfile(float centreR, float centreY, float radius, int steps)
{
    std::vector<ProfilePoint> profile;
    for (int i = 0; i <= steps; ++i)
    {
        const float a = 2 * kPi * static_cast<float>(i) / static_cast<float>(steps);
        profile.push_back({centreR + radius * std::cos(a), centreY + radius * std::sin(a),
                           std::cos(a), std::sin(a), true});
    }
    return profile;
}

Mesh Sphere(float radius, int segments, int rings)
{
    std::vector<ProfilePoint> profile;
    for (int i = 0; i <= rings; ++i)
    {
        const float a = -kPi / 2 + kPi * static_cast<float>(i) / static_cast<float>(rings);
        profile.push_back({radius * std::cos(a), radius * std::sin(a), std::cos(a), std::sin(a)});
    }
    return Lathe(profile, segments);
}

Mesh Torus(float majorRadius, float minorRadius, int segments, int sides)
{
    return Lathe(CircleProfile(majorRadius, 0, minorRadius, sides), segments);
}

Mesh OrientedBox(Vec3 c, Vec3 ax, Vec3 ay, Vec3 az, float hx, float hy, float hz)
{
    Mesh mesh;
    const std::array<Vec3, 3> axes = {ax, ay, az};
    const std::array<float, 3> half = {hx, hy, hz};
    for (int k = 0; k < 3; ++k)
    {
        const Vec3 n = axes[k];
        const Vec3 e1 = axes[(k + 1) % 3] * half[(k + 1) % 3];
        const Vec3 e2 = axes[(k + 2) % 3] * half[(k + 2) % 3];
        for (float side : {1.0f, -1.0f})
        {
            const Vec3 centre = c + n * (half[k] * side);
            const Vec3 normal = n * side;
            const std::uint32_t a = mesh.AddVertex(centre - e1 - e2, normal, 0, 0);
            const std::uint32_t b = mesh.AddVertex(centre + e1 - e2, normal, 1, 0);
            const std::uint32_t d = mesh.AddVertex(centre + e1 + e2, normal, 1, 1);
            const std::uint32_t e = mesh.AddVertex(centre - e1 + e2, normal, 0, 1);
            mesh.AddTriangle(a, b, d);
            mesh.AddTriangle(a, d, e);
        }
    }
    return mesh;
}

Mesh Box(Vec3 c, Vec3 half)
{
    return OrientedBox(c, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, half.x, half.y, half.z);
}

Mesh Surface(int nu, int nv, const std::function<Vec3(float, float)>& at,
             const std::function<Vec3(Vec3)>& outward)
{
    Mesh mesh;
    const float du = 0.25f / static_cast<float>(nu), dv = 0.25f / static_cast<float>(nv);
    for (int j = 0; j <= nv; ++j)
    {
        for (int i = 0; i <= nu; ++i)
        {
            const float u = static_cast<float>(i) / static_cast<float>(nu);
            const float v = static_cast<float>(j) / static_cast<float>(nv);
            const Vec3 p = at(u, v);
            const Vec3 tu = at(u + du, v) - at(u - du, v);
            const Vec3 tv = at(u, v + dv) - at(u, v - dv);
            Vec3 n = Normalize(Cross(tu, tv));
            if (Dot(n, outward(p)) < 0)
                n = -n;
            mesh.AddVertex(p, n, u, v);
        }
    }
    const auto stride = static_cast<std::uint32_t>(nu + 1);
    for (int j = 0; j < nv; ++j)
    {
        for (int i = 0; i < nu; ++i)
        {
            const std::uint32_t a = static_cast<std::uint32_t>(j) * stride + i;
            mesh.AddTriangle(a, a + 1, a + stride);
            mesh.AddTriangle(a + 1, a + stride + 1, a + stride);
        }
    }
    return mesh;
}

Mesh DoubleQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d)
{
    Mesh mesh;
    // From the diagonals, which stay apart even when one edge has zero length.
    const Vec3 n = Normalize(Cross(c - a, d - b));
    for (float side : {1.0f, -1.0f})
    {
        const std::uint32_t i0 = mesh.AddVertex(a, n * side, 0, 0);
        const std::uint32_t i1 = mesh.AddVertex(b, n * side, 1, 0);
        const std::uint32_t i2 = mesh.AddVertex(c, n * side, 1, 1);
        const std::uint32_t i3 = mesh.AddVertex(d, n * side, 0, 1);
        mesh.AddTriangle(i0, i1, i2);
        mesh.AddTriangle(i0, i2, i3);
    }
    return mesh;
}

Mesh Transformed(Mesh mesh, const std::function<Vec3(Vec3)>& movePoint,
                 const std::function<Vec3(Vec3)>& moveNormal)
{
    for (Vertex& v : mesh.vertices)
    {
        v.position = movePoint(v.position);
        v.normal = Normalize(moveNormal(v.normal));
    }
    return mesh;
}

Mesh Translated(Mesh mesh, Vec3 offset)
{
    return Transformed(
        std::move(mesh), [&](Vec3 p) { return p + offset; }, [](Vec3 n) { return n; });
}

Mesh Scaled(Mesh mesh, float s)
{
    return Transformed(
        std::move(mesh), [&](Vec3 p) { return p * s; }, [](Vec3 n) { return n; });
}

Vec3 RotateX(Vec3 p, float a)
{
    const float c = std::cos(a), s = std::sin(a);
    return {p.x, c * p.y - s * p.z, s * p.y + c * p.z};
}

Vec3 RotateY(Vec3 p, float a)
{
    const float c = std::cos(a), s = std::sin(a);
    return {c * p.x + s * p.z, p.y, -s * p.x + c * p.z};
}

Vec3 RotateZ(Vec3 p, float a)
{
    const float c = std::cos(a), s = std::sin(a);
    return {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
}

Mesh RotatedX(Mesh mesh, float a)
{
    auto f = [a](Vec3 p) { return RotateX(p, a); };
    return Transformed(std::move(mesh), f, f);
}

Mesh RotatedY(Mesh mesh, float a)
{
    auto f = [a](Vec3 p) { return RotateY(p, a); };
    return Transformed(std::move(mesh), f, f);
}

Mesh RotatedZ(Mesh mesh, float a)
{
    auto f = [a](Vec3 p) { return RotateZ(p, a); };
    return Transformed(std::move(mesh), f, f);
}

namespace
{

using Stroke = std::vector<std::array<float, 2>>;

// Letters on a grid 4 wide and 6 high, as polylines of stroke centres.
const std::map<char, std::vector<Stroke>>& Font()
{
    static const std::map<char, std::vector<Stroke>> font = {
        {'A', {{{0, 0}, {2, 6}, {4, 0}}, {{1, 2.5f}, {3, 2.5f}}}},
        {'B',
         {{{0, 0}, {0, 6}, {3, 6}, {4, 5}, {4, 4}, {3, 3}, {0, 3}},
          {{3, 3}, {4, 2}, {4, 1}, {3, 0}, {0, 0}}}},
        {'C', {{{4, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}, {4, 0}}}},
        {'E', {{{4, 6}, {0, 6}, {0, 0}, {4, 0}}, {{0, 3}, {3, 3}}}},
        {'G', {{{4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}, {3, 0}, {4, 1}, {4, 3}, {2, 3}}}},
        {'H', {{{0, 0}, {0, 6}}, {{4, 0}, {4, 6}}, {{0, 3}, {4, 3}}}},
        {'I', {{{2, 0}, {2, 6}}, {{1, 6}, {3, 6}}, {{1, 0}, {3, 0}}}},
        {'K', {{{0, 0}, {0, 6}}, {{4, 6}, {0, 2.5f}}, {{1.3f, 3.6f}, {4, 0}}}},
        {'L', {{{0, 6}, {0, 0}, {4, 0}}}},
        {'M', {{{0, 0}, {0, 6}, {2, 3}, {4, 6}, {4, 0}}}},
        {'N', {{{0, 0}, {0, 6}, {4, 0}, {4, 6}}}},
        {'O', {{{1, 0}, {0, 1}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 1}, {3, 0}, {1, 0}}}},
        {'P', {{{0, 0}, {0, 6}, {3, 6}, {4, 5}, {4, 4}, {3, 3}, {0, 3}}}},
        {'R', {{{0, 0}, {0, 6}, {3, 6}, {4, 5}, {4, 4}, {3, 3}, {0, 3}}, {{2, 3}, {4, 0}}}},
        {'S',
         {{{4, 5},
           {3, 6},
           {1, 6},
           {0, 5},
           {0, 4},
           {1, 3},
           {3, 3},
           {4, 2},
           {4, 1},
           {3, 0},
           {1, 0},
           {0, 1}}}},
        {'T', {{{0, 6}, {4, 6}}, {{2, 6}, {2, 0}}}},
    };
    return font;
}

} // namespace

Mesh TextMesh(const std::string& text, float height, float stroke, float depth, float* width)
{
    const float unit = height / 6.0f;
    Mesh mesh;
    float x = 0;
    for (char ch : text)
    {
        if (ch != ' ')
        {
            const auto found = Font().find(ch);
            if (found == Font().end())
                throw std::runtime_error(std::string("no block letter for '") + ch + "'");
            for (const Stroke& line : found->second)
            {
                for (std::size_t i = 0; i + 1 < line.size(); ++i)
                {
                    const Vec3 p0{x + line[i][0] * unit, line[i][1] * unit, 0};
                    const Vec3 p1{x + line[i + 1][0] * unit, line[i + 1][1] * unit, 0};
                    const Vec3 d = Normalize(p1 - p0);
                    const Vec3 side{-d.y, d.x, 0};
                    mesh.Append(OrientedBox((p0 + p1) * 0.5f, d, side, {0, 0, 1},
                                            Length(p1 - p0) * 0.5f + stroke * 0.5f, stroke * 0.5f,
                                            depth * 0.5f));
                }
            }
        }
        x += 5.5f * unit;
    }
    if (width)
        *width = x - 1.5f * unit;
    return mesh;
}

} // namespace assets
