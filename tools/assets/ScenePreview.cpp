// ombrel-scenepreview: a rough software rendering of every camera shot of every segment kind, to
// check the framing of the generated scenes before the real frame code can draw them. Lighting
// is a plain two-light Lambert term; materials are reduced to a colour each.
#include "Images.h"
#include "PngWriter.h"
#include "Random.h"
#include "Scenes.h"

#include <array>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

namespace
{

using namespace assets;

struct Matrix
{
    std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Vec3 Point(Vec3 p) const
    {
        return {p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12],
                p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
                p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]};
    }
    Vec3 Direction(Vec3 p) const
    {
        return {p.x * m[0] + p.y * m[4] + p.z * m[8], p.x * m[1] + p.y * m[5] + p.z * m[9],
                p.x * m[2] + p.y * m[6] + p.z * m[10]};
    }
};

// Position, yaw about Y, roll about Z (the scripts' rotation order), uniform scale.
Matrix Compose(Vec3 position, float yaw, float roll, float scale)
{
    const float cy = std::cos(yaw / 2), sy = std::sin(yaw / 2), cr = std::cos(roll / 2),
                sr = std::sin(roll / 2);
    const float x = sr * sy, y = cr * sy, z = sr * cy, w = cr * cy;
    Matrix r;
    r.m = {scale * (1 - 2 * (y * y + z * z)),
           scale * 2 * (x * y + w * z),
           scale * 2 * (x * z - w * y),
           0,
           scale * 2 * (x * y - w * z),
           scale * (1 - 2 * (x * x + z * z)),
           scale * 2 * (y * z + w * x),
           0,
           scale * 2 * (x * z + w * y),
           scale * 2 * (y * z - w * x),
           scale * (1 - 2 * (x * x + y * y)),
           0,
           position.x,
           position.y,
           position.z,
           1};
    return r;
}

struct Shot
{
    Vec3 eye, at;
    float roll;
};

struct Draw
{
    int mesh;
    Matrix world;
    Vec3 colour;
    bool unlit;
};

struct View
{
    std::string label;
    Shot shot;
    std::vector<Draw> draws;
};

constexpr float kB = 0.12f, kS = 0.1f; // a moderately loud spectrum
const Vec3 kTint{0.9f * 0.75f, 1.08f * 0.8f, 0.6f}, kTeal{0.1f, 0.45f, 0.45f},
    kBlue{0.08f, 0.1f, 0.25f}, kBrass{0.55f, 0.5f, 0.15f}, kBronze{0.35f, 0.25f, 0.12f},
    kInk{0.12f, 0.12f, 0.22f};

std::vector<View> Views()
{
    std::vector<View> views;
    // Rings at t = 72 (L = 11).
    for (int shot = 0; shot < 3; ++shot)
    {
        const float t = 72, L = 11, R = 50 * std::cos(t / 2) + 200;
        Shot s;
        if (shot == 0)
            s = {{R * std::sin(t / 2), 50 * std::sin(t / 2) + R + 50, -R * std::cos(t / 2)},
                 {50 * std::sin(0.2f * t), 50 * std::cos(t) + 350, 0},
                 -0.31415f * std::sin(t)};
        else if (shot == 1)
            s = {{200, 250, -100}, {50, 20 * std::cos(0.1f * t) + 350, 0}, -0.31415f};
        else
            s = {{150 - 20 * std::sin(t / 2), 500, -100},
                 {-50, 20 * std::cos(0.1f * t) + 350, 0},
                 -0.6283f};
        View v{"rings " + std::to_string(shot), s, {}};
        v.draws.push_back({0, {}, kTint, true});
        const float h[4] = {500, 300, 400, 200}, f[4] = {1.7f, 1.75f, 1.8f, 1.85f},
                    p[4] = {2, 3, 2.5f, 3.5f};
        for (int i = 0; i < 4; ++i)
            v.draws.push_back({i < 2 ? 3 : 4,
                               Compose({0, 15 * std::sin(f[i] * L + p[i]) + h[i], 0}, -L, 0, 1.05f),
                               kTeal, false});
        v.draws.push_back(
            {1, Compose({0, 50 * std::sin(L) + 350, 0}, 0, 0, kB + 1.5f), kTeal, false});
        for (int i = 0; i < 20; ++i)
            v.draws.push_back(
                {2, Compose({0, 100 + 40.0f * i, 0}, 0.51f * i - 2 * L, 0, 10.95f * kS + 0.57f),
                 kTeal, false});
        views.push_back(v);
    }
    // Scene01 at t = 27.
    for (int shot = 0; shot < 4; ++shot)
    {
        const float t = 27;
        const Vec3 P{100 - 300 * std::sin(0.1f * t), 50 + 15 * std::sin(t), 0};
        Shot s;
        if (shot == 0)
        {
            const Vec3 T{P.x - 10 * std::sin(0.1f * t), P.y - 50, 0};
            const float d = 50 - 40 * kB;
            s = {{T.x + d * std::sin(0.15f * t), T.y + d + 40, -d * std::cos(0.15f * t) - 50 * kS},
                 T,
                 0};
        }
        else if (shot < 3)
        {
            const Vec3 T{P.x - 10 * std::sin(0.1f * t), P.y + 5, 0};
            const float d = 30 - 10 * kB;
            s = shot == 1 ? Shot{{T.x - d + 5 * std::sin(0.15f * t), T.y + d,
                                  -d * std::cos(0.15f * t) - 10 * kS},
                                 T,
                                 0}
                          : Shot{{T.x + d - 2 * std::sin(0.15f * t), T.y - d - 1,
                                  -d * std::cos(0.15f * t) - 10 * kS},
                                 T,
                                 0};
        }
        else
        {
            const float d = 10 - 2 * kB;
            s = {{P.x + d * std::sin(0.15f * t), P.y + d, -d * std::cos(0.15f * t) - 5 * kS}, P, 0};
        }
        s.roll = -0.31415f * std::sin(t);
        View v{"scene01 " + std::to_string(shot), s, {}};
        v.draws.push_back({5, {}, kBlue, false});
        const Matrix X = Compose(P, -0.5f * t, t, 1.1f),
                     Y = Compose(P, 1.25f - 0.65f * t, 1.1f * t, 1.1f),
                     Z = Compose(P, 2.5f - 0.75f * t, 1.2f * t, 1.1f);
        v.draws.push_back({4, X, kBrass, false});
        v.draws.push_back({3, X, kBronze, false});
        v.draws.push_back({2, Y, kBronze, false});
        v.draws.push_back({1, Z, kBronze, false});
        views.push_back(v);
    }
    // Tunnel at t = 89 (L = 6).
    for (int shot = 0; shot < 3; ++shot)
    {
        const float t = 89, L = 6;
        const Shot s = shot == 0 ? Shot{{50, 10 * L - 255, -50}, {0, 50 * L - 255, 0}, 0}
                       : shot == 1
                           ? Shot{{-50, 255 - 30 * L, 50}, {10, 250 - 10 * L, 10}, -0.31415f}
                           : Shot{{-50, 55 - 30 * L, -50}, {-10, 50 - 10 * L, -10}, -1.57075f};
        View v{"tunnel " + std::to_string(shot), s, {}};
        v.draws.push_back({0, {}, kTint, true});
        for (int i = 0; i < 5; ++i)
        {
            const float sign = i % 2 ? 1.0f : -1.0f, hgt = 210.0f * i - 300;
            const float speeds[3] = {0.55f * i + 0.65f, 0.35f * i + 0.45f, 0.5f * i + 0.25f};
            for (int k = 0; k < 3; ++k)
                v.draws.push_back(
                    {k + 1, Compose({0, hgt, 0}, speeds[k] * sign * t, 0, 1), kInk, false});
        }
        views.push_back(v);
    }
    // Logo at L = 5.
    for (int shot = 0; shot < 2; ++shot)
    {
        const float L = 5;
        const Shot s = shot == 0 ? Shot{{L - 10, 5, -22}, {0, 0, 0}, 0.157075f}
                                 : Shot{{0, 15 - L, -19}, {0, 0, 0}, 0.157075f};
        View v{"logo " + std::to_string(shot), s, {}};
        v.draws.push_back({0, {}, kTint, true});
        v.draws.push_back({0, Compose({0, 0, 0}, 0, 0, 1.05f), kTeal, false});
        v.draws.push_back({1, Compose({0, 0, 0}, 0, 0, 1.05f), kTeal, false});
        views.push_back(v);
    }
    // Greets at L = 5.
    for (int shot = 0; shot < 6; ++shot)
    {
        const float L = 5;
        const Shot shots[6] = {{{5 * L - 100, 0, 0}, {317, 0, -75}, 0.2356125f},
                               {{10 * L - 100, 0, 122}, {64, 0, -230}, 0.2356125f},
                               {{10 * L - 100, 10 * L - 50, -12}, {-240, 0, -115}, 0.2670275f},
                               {{10 * L - 70, 70, -22}, {-245, 0, 170}, 0.1413675f},
                               {{8 * L - 100, -20, 0}, {120, 0, 220}, 0.2984425f},
                               {{10 * L - 100, 50, -122}, {0, 0, 0}, 0.157075f}};
        View v{"greets " + std::to_string(shot), shots[shot], {}};
        v.draws.push_back({5, {}, kTint, true});
        for (int i : {0, 1, 2, 4, 5})
            v.draws.push_back({i, i == 5 ? Compose({0, 0, 0}, 0, 0, 1.0f) : Matrix{},
                               (i == 0 || i >= 4) ? kBlue : kTeal, false});
        for (int k = 0; k < 3; ++k)
            v.draws.push_back(
                {3, Compose({0, 100.0f * k - 100, 0}, 0, 0, 0.75f + 0.1f * k), kTeal, false});
        views.push_back(v);
    }
    // Grinder at L = 8.
    for (int shot = 0; shot < 4; ++shot)
    {
        const float L = 8, b = kB;
        const Shot shots[4] = {{{L - 10, -25 - 50 * b, -350}, {0, 0, 500}, 0.157075f},
                               {{-100, -5 - 50 * b, -19}, {0, 0, 0}, 0.5183475f},
                               {{100, -50 * b, -119}, {0, 0, 20}, -0.8639125f},
                               {{-200, -50 * b, -200}, {0, 0, 20}, -0.31415f}};
        View v{"grinder " + std::to_string(shot), shots[shot], {}};
        for (Vec3 c : {Vec3{-140, -130, 0}, Vec3{140, -130, 0}, Vec3{0, 100, 0}})
        {
            v.draws.push_back({1, Compose(c, 0, L, 1), kTeal, false});
            v.draws.push_back({2, Compose(c, 0, L, 1), kTeal, false});
        }
        Random random(5);
        for (int j = 0; j < 40; ++j)
            v.draws.push_back(
                {0,
                 Compose({random.Range(-10, 10), random.Range(-250, 10), random.Range(-400, 200)},
                         0, static_cast<float>(j), 1),
                 kTeal, false});
        views.push_back(v);
    }
    // Tarv at L = 8 and L = 16 of the closing segment.
    for (int shot = 0; shot < 2; ++shot)
    {
        const float L = shot == 0 ? 8 : 16;
        const Shot s = shot == 0
                           ? Shot{{50 * L - 400, 125 - 50 * kB, -550}, {0, 100, 0}, 0.157075f}
                           : Shot{{50 * L - 400, 100 - 50 * kB, -500}, {0, 100, 0}, 0.157075f};
        View v{"tarv " + std::to_string(shot), s, {}};
        v.draws.push_back({0, {}, kTint, true});
        v.draws.push_back({1, {}, kTint, true});
        v.draws.push_back({2, {}, kInk, false});
        views.push_back(v);
    }
    // Sphere at L = 4.
    for (int shot = 0; shot < 3; ++shot)
    {
        const float L = 4, b = kB;
        const Shot shots[3] = {
            {{25 * std::sin(L) - 30, 15 * b + 50, -30}, {-10, -10, 0}, 0.2356125f},
            {{50 * std::sin(L) - 25, 5 * b - 40, -25}, {-20, 5, 0}, 0.157075f},
            {{25 - 50 * std::sin(L), 5 * b - 40, 25}, {20, -5, 0}, 0.2670275f}};
        View v{"sphere " + std::to_string(shot), shots[shot], {}};
        v.draws.push_back({0, {}, kTeal, false});
        v.draws.push_back({1, {}, kBlue, false});
        views.push_back(v);
    }
    return views;
}

const char* SceneOf(const std::string& label)
{
    static const std::string names[] = {"rings",  "scene01", "tunnel", "logo",
                                        "greets", "grinder", "tarv",   "sphere"};
    for (const std::string& n : names)
        if (label.rfind(n, 0) == 0)
            return n.c_str();
    return "";
}

// Renders one view with the timeline's camera (field of view 60°, 16:9, near 1, far 1500).
void Render(const View& view, const Scene& scene, int width, int height, std::vector<Vec3>& colour)
{
    const Vec3 eye = view.shot.eye;
    Vec3 f = view.shot.at - eye;
    f = f * (1.0f / Length(f));
    const Vec3 r{f.z, 0, -f.x};
    const Vec3 u = Cross(f, r);
    const float cr = std::cos(view.shot.roll), sr = std::sin(view.shot.roll);
    const float ys = 1.0f / std::tan(1.0471667f / 2), xs = ys / 1.7777778f;
    std::vector<float> depth(static_cast<std::size_t>(width) * height, 1e30f);
    colour.assign(depth.size(), Vec3{0.01f, 0.01f, 0.015f});
    const Vec3 light1 = Normalize({-0.4f, 0.8f, -0.5f}), light2 = Normalize({0.7f, 0.2f, 0.6f});
    for (const Draw& draw : view.draws)
    {
        if (draw.mesh >= static_cast<int>(scene.meshes.size()))
            continue;
        const Mesh& mesh = scene.meshes[draw.mesh].mesh;
        std::vector<Vec3> screen(mesh.vertices.size());
        std::vector<float> w(mesh.vertices.size());
        std::vector<Vec3> normal(mesh.vertices.size());
        for (std::size_t i = 0; i < mesh.vertices.size(); ++i)
        {
            const Vec3 p = draw.unlit ? mesh.vertices[i].position
                                      : draw.world.Point(mesh.vertices[i].position);
            const Vec3 d = p - eye;
            float vx = Dot(d, r), vy = Dot(d, u);
            const float vz = Dot(d, f);
            const float rx = vx * cr - vy * sr, ry = vx * sr + vy * cr;
            vx = rx, vy = ry;
            w[i] = vz;
            screen[i] = {(vx * xs / vz * 0.5f + 0.5f) * width,
                         (0.5f - vy * ys / vz * 0.5f) * height, vz};
            normal[i] = Normalize(draw.world.Direction(mesh.vertices[i].normal));
        }
        for (std::size_t t = 0; t + 2 < mesh.indices.size(); t += 3)
        {
            const std::uint32_t a = mesh.indices[t], b = mesh.indices[t + 1],
                                c = mesh.indices[t + 2];
            if (w[a] < 1 || w[b] < 1 || w[c] < 1 || w[a] > 1500 || w[b] > 1500 || w[c] > 1500)
                continue;
            const Vec3 n = Normalize(normal[a] + normal[b] + normal[c]);
            const float lambert = 0.25f + 0.6f * std::max(0.0f, Dot(n, light1)) +
                                  0.35f * std::max(0.0f, Dot(n, light2));
            const Vec3 shade = draw.unlit ? draw.colour : draw.colour * lambert * 2.0f;
            const Vec3 A = screen[a], B = screen[b], C = screen[c];
            const float area = (B.x - A.x) * (C.y - A.y) - (B.y - A.y) * (C.x - A.x);
            if (std::fabs(area) < 1e-6f)
                continue;
            const int x0 = std::max(0, static_cast<int>(std::min({A.x, B.x, C.x})));
            const int x1 = std::min(width - 1, static_cast<int>(std::max({A.x, B.x, C.x})));
            const int y0 = std::max(0, static_cast<int>(std::min({A.y, B.y, C.y})));
            const int y1 = std::min(height - 1, static_cast<int>(std::max({A.y, B.y, C.y})));
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                {
                    const float px = static_cast<float>(x) + 0.5f,
                                py = static_cast<float>(y) + 0.5f;
                    const float wa = ((B.x - px) * (C.y - py) - (B.y - py) * (C.x - px)) / area;
                    const float wb = ((C.x - px) * (A.y - py) - (C.y - py) * (A.x - px)) / area;
                    const float wc = 1 - wa - wb;
                    if (wa < 0 || wb < 0 || wc < 0)
                        continue;
                    const float z = wa * A.z + wb * B.z + wc * C.z;
                    float& stored = depth[static_cast<std::size_t>(y) * width + x];
                    if (z < stored)
                    {
                        stored = z;
                        colour[static_cast<std::size_t>(y) * width + x] = shade;
                    }
                }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) == "--help")
    {
        std::fprintf(argc < 2 ? stderr : stdout,
                     "Usage: ombrel-scenepreview OUT.png\n"
                     "Renders every camera shot of every segment kind into one contact sheet.\n");
        return argc < 2 ? 2 : 0;
    }
    try
    {
        // An optional second argument keeps only the shots whose label starts with it, larger.
        const std::string only = argc > 2 ? argv[2] : "";
        std::vector<View> views;
        for (const View& v : Views())
            if (v.label.rfind(only, 0) == 0)
                views.push_back(v);
        const int w = only.empty() ? 384 : 960, h = only.empty() ? 216 : 540;
        const int columns = only.empty() ? 5 : 2;
        const int rows = static_cast<int>((views.size() + columns - 1) / columns);
        Image sheet{
            w * columns, h * rows, 3,
            std::vector<std::uint8_t>(static_cast<std::size_t>(w * columns) * h * rows * 3, 40)};
        std::string lastScene;
        Scene scene;
        for (std::size_t i = 0; i < views.size(); ++i)
        {
            if (lastScene != SceneOf(views[i].label))
            {
                lastScene = SceneOf(views[i].label);
                scene = BuildScene(lastScene);
            }
            std::vector<Vec3> colour;
            Render(views[i], scene, w - 2, h - 2, colour);
            const int ox = static_cast<int>(i % columns) * w,
                      oy = static_cast<int>(i / columns) * h;
            for (int y = 0; y < h - 2; ++y)
                for (int x = 0; x < w - 2; ++x)
                {
                    const Vec3 c = colour[static_cast<std::size_t>(y) * (w - 2) + x];
                    std::uint8_t* p =
                        &sheet
                             .pixels[(static_cast<std::size_t>(oy + y) * sheet.width + ox + x) * 3];
                    p[0] = static_cast<std::uint8_t>(Clamp01(std::sqrt(c.x)) * 255);
                    p[1] = static_cast<std::uint8_t>(Clamp01(std::sqrt(c.y)) * 255);
                    p[2] = static_cast<std::uint8_t>(Clamp01(std::sqrt(c.z)) * 255);
                }
            DrawLabel(sheet, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", views[i].label, 14,
                      ox + 6, oy + 18, 255, 255, 255);
        }
        if (!WritePng(argv[1], sheet.width, sheet.height, sheet.pixels))
            throw std::runtime_error(std::string("cannot write ") + argv[1]);
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "ombrel-scenepreview: %s\n", e.what());
        return 1;
    }
    return 0;
}
