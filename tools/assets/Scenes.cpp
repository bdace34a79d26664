// Builds the eight scenes; mesh k of each is what that segment's script draws as mesh k.
#include "Scenes.h"

#include "Environment.h"
#include "Random.h"

#include <algorithm>
#include <stdexcept>

namespace assets
{

namespace
{

// A block between radii r0 and r1 and heights y0 and y1 over the angles a0..a1, with end caps.
Mesh SectorBlock(float r0, float r1, float y0, float y1, float a0, float a1, int segments)
{
    Mesh mesh = Lathe(RectProfile(r0, r1, y0, y1), segments, a0, a1);
    for (float a : {a0, a1})
    {
        const Vec3 radial{std::cos(a), 0, std::sin(a)};
        const Vec3 n = (a == a0 ? -1.0f : 1.0f) * Vec3{-std::sin(a), 0, std::cos(a)};
        const std::uint32_t i0 = mesh.AddVertex(radial * r0 + Vec3{0, y0, 0}, n, 0, 0);
        const std::uint32_t i1 = mesh.AddVertex(radial * r1 + Vec3{0, y0, 0}, n, 1, 0);
        const std::uint32_t i2 = mesh.AddVertex(radial * r1 + Vec3{0, y1, 0}, n, 1, 1);
        const std::uint32_t i3 = mesh.AddVertex(radial * r0 + Vec3{0, y1, 0}, n, 0, 1);
        mesh.AddTriangle(i0, i1, i2);
        mesh.AddTriangle(i0, i2, i3);
    }
    return mesh;
}

// A bar of square section `thickness` from p0 to p1.
Mesh Bar(Vec3 p0, Vec3 p1, float thickness)
{
    const Vec3 d = Normalize(p1 - p0);
    const Vec3 helper = std::fabs(d.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    const Vec3 side = Normalize(Cross(helper, d));
    const Vec3 up = Cross(d, side);
    const float h = thickness * 0.5f;
    return OrientedBox((p0 + p1) * 0.5f, d, side, up, Length(p1 - p0) * 0.5f, h, h);
}

// A cylinder of radius r about the Y axis from y0 to y1, capped.
Mesh Cylinder(float r, float y0, float y1, int segments)
{
    return Lathe(RectProfile(0, r, y0, y1), segments);
}

// Unlit backdrop around the Y axis: vertical slats and hoops seen from inside, with gaps so
// that the flat tint reads as structure against the clear colour.
Mesh SlattedBackdrop(float radius, float y0, float y1, int slats, float slatWidth,
                     float hoopSpacing)
{
    Mesh mesh;
    const float step = 2 * kPi / static_cast<float>(slats);
    for (int i = 0; i < slats; ++i)
    {
        const float a0 = step * static_cast<float>(i), a1 = a0 + step * slatWidth;
        const Vec3 p0{radius * std::cos(a0), 0, radius * std::sin(a0)};
        const Vec3 p1{radius * std::cos(a1), 0, radius * std::sin(a1)};
        mesh.Append(DoubleQuad(p0 + Vec3{0, y0, 0}, p1 + Vec3{0, y0, 0}, p1 + Vec3{0, y1, 0},
                               p0 + Vec3{0, y1, 0}));
    }
    for (float y = y0; y <= y1; y += hoopSpacing)
    {
        const float r = radius * 0.97f;
        mesh.Append(Lathe({{r, y, -1, 0, true}, {r, y + hoopSpacing * 0.06f, -1, 0, false}}, 96));
    }
    return mesh;
}

// Makes the faces of `mesh` that look along `front` a mirror that shows `viewer` the sky in
// direction `sky`: each of their normals lies half way between the directions to the two.
Mesh Mirroring(Mesh mesh, Vec3 front, Vec3 viewer, Vec3 sky)
{
    for (Vertex& v : mesh.vertices)
        if (Dot(v.normal, front) > 0.99f)
            v.normal = Normalize(Normalize(viewer - v.position) + sky);
    return mesh;
}

// Text centred on `centre`, its front turned towards `viewer` about the vertical axis.
// Shallow strokes, so that seen at an angle their sides do not run the letters together. The
// script draws the letters in a dark metal, which shows what it mirrors: their faces mirror
// the light panel nearest the viewer into its eye, letter by letter.
Mesh Word(const std::string& text, float height, Vec3 centre, Vec3 viewer, float* width)
{
    Mesh mesh = TextMesh(text, height, height * 0.15f, height * 0.1f, width);
    mesh = Translated(std::move(mesh), {-*width * 0.5f, -height * 0.5f, 0});
    const Vec3 d = viewer - centre;
    mesh = Translated(RotatedY(std::move(mesh), std::atan2(-d.x, -d.z)), centre);
    return Mirroring(std::move(mesh), Normalize({d.x, 0, d.z}), viewer,
                     NearestLightPanel(Normalize(d)));
}

Scene BuildRings()
{
    Scene scene{"rings", {}};
    // Sparse, so that the flat tint frames the stack instead of filling every shot behind it.
    scene.meshes.push_back({"backdrop", SlattedBackdrop(650, -300, 1300, 24, 0.05f, 400)});

    Mesh core = Sphere(14, 32, 16);
    core.Append(Torus(19, 1.2f, 64, 8));
    core.Append(RotatedX(Torus(21, 1.0f, 64, 8), kPi / 2));
    core.Append(RotatedZ(Torus(23, 0.8f, 64, 8), kPi / 2));
    scene.meshes.push_back({"core", core});

    // The particles gather in a column about the axis, wider than the old rings of radius 30 at
    // their quiet scale (0.57 + 10.95 x a treble bin). Radius 175 stands the rings round the
    // outside of it, 100 at that scale. Only the orbiting shot's camera (150 to 250 from the
    // axis, 179 to 321 high) comes level with a ring, rings 2 to 5, which stay inside it while
    // their bins read below 0.025; the sub-bass ring 0 lies below every camera, whatever its
    // size. Lugs on the rim show the turn of each ring.
    Mesh ring = Lathe(RectProfile(160, 175, -4, 4), 192);
    for (int i = 0; i < 12; ++i)
    {
        const float a = 2 * kPi * static_cast<float>(i) / 12;
        const Vec3 radial{std::cos(a), 0, std::sin(a)};
        ring.Append(
            OrientedBox(radial * 170, radial, {0, 1, 0}, {-radial.z, 0, radial.x}, 6, 7, 5));
    }
    scene.meshes.push_back({"ring", ring});

    // Faceted double cones with a halo: the first kind of floating piece.
    Mesh crystal = Lathe({{0, -12, 0.9f, -0.45f, true},
                          {6, 0, 0.9f, -0.45f, false},
                          {6, 0, 0.9f, 0.45f, true},
                          {0, 12, 0.9f, 0.45f, false}},
                         6);
    crystal.Append(Torus(9, 0.6f, 48, 6));
    scene.meshes.push_back({"crystal", Scaled(std::move(crystal), 1.8f)});

    // A cube frame: the second kind.
    Mesh frame;
    const float s = 7;
    for (int axis = 0; axis < 3; ++axis)
    {
        for (float a : {-s, s})
        {
            for (float b : {-s, s})
            {
                Vec3 p0, p1;
                if (axis == 0)
                    p0 = {-s, a, b}, p1 = {s, a, b};
                else if (axis == 1)
                    p0 = {a, -s, b}, p1 = {a, s, b};
                else
                    p0 = {a, b, -s}, p1 = {a, b, s};
                frame.Append(Bar(p0 - (p1 - p0) * 0.07f, p1 + (p1 - p0) * 0.07f, 1.6f));
            }
        }
    }
    frame.Append(Sphere(3.5f, 16, 8));
    scene.meshes.push_back({"cubeframe", Scaled(std::move(frame), 1.8f)});
    return scene;
}

Scene BuildScene01()
{
    Scene scene{"scene01", {}};
    Random random(101);

    // Mesh order: 1 inner core (object Z), 2 middle ring (Y), 3 studs and 4 outer ring (X).
    Mesh floor;
    for (int ix = 0; ix < 40; ++ix)
    {
        for (int iz = 0; iz < 20; ++iz)
        {
            const float x = -300 + 20 * static_cast<float>(ix),
                        z = -190 + 20 * static_cast<float>(iz);
            const float top =
                -30 + 8 * std::sin(x * 0.02f) * std::cos(z * 0.03f) + random.Range(-6, 6);
            floor.Append(Box({x, (top - 90) * 0.5f, z}, {9, (top + 90) * 0.5f, 9}));
        }
    }
    // Stumps that end below the gyroscope (y = 35 to 65): taller posts stood between it and the
    // cameras above it.
    for (int i = 0; i < 24; ++i)
    {
        const float x = random.Range(-320, 520);
        const float z = (i % 2 ? 1.0f : -1.0f) * random.Range(70, 190);
        floor.Append(Translated(Cylinder(6, -40, random.Range(-10, 20), 16), {x, 0, z}));
    }

    // Radii leave the closest camera (about 12.7 from the centre) outside even at scale 1.45;
    // bands broad and deep enough to hold their shape against the particles from 60 units.
    Mesh core = Sphere(2.4f, 32, 16);
    core.Append(Torus(3.2f, 0.45f, 48, 8));
    Mesh middle = RotatedX(Lathe(RectProfile(4.0f, 5.1f, -0.8f, 0.8f), 96), kPi / 2);
    for (float a : {0.0f, kPi})
        middle.Append(
            Translated(Sphere(0.8f, 12, 6), {4.55f * std::cos(a), 4.55f * std::sin(a), 0}));
    Mesh studs;
    for (int i = 0; i < 24; ++i)
    {
        const float a = 2 * kPi * static_cast<float>(i) / 24;
        const Vec3 radial{std::cos(a), std::sin(a), 0};
        studs.Append(OrientedBox(radial * 8.15f, radial, {-radial.y, radial.x, 0}, {0, 0, 1}, 0.4f,
                                 i % 6 == 0 ? 0.7f : 0.3f, 0.8f));
    }
    Mesh outer = RotatedX(Lathe(RectProfile(6.3f, 7.8f, -1.1f, 1.1f), 128), kPi / 2);

    // Mesh 0 is not drawn by the script; a small placeholder keeps the indices aligned.
    scene.meshes.push_back({"spare", Sphere(0.5f, 8, 4)});
    scene.meshes.push_back({"core", core});
    scene.meshes.push_back({"middle_ring", middle});
    scene.meshes.push_back({"studs", studs});
    scene.meshes.push_back({"outer_ring", outer});
    scene.meshes.push_back({"environment", floor});
    return scene;
}

Scene BuildTunnel()
{
    Scene scene{"tunnel", {}};
    scene.meshes.push_back({"backdrop", SlattedBackdrop(300, -450, 900, 28, 0.55f, 70)});

    // One 210-unit section about +Y; the script stacks five and turns each mesh about Y.
    Mesh walls;
    for (int row = 0; row < 3; ++row)
    {
        const float y0 = 4 + 70 * static_cast<float>(row);
        for (int i = 0; i < 10; ++i)
        {
            const float a0 =
                2 * kPi * (static_cast<float>(i) + 0.08f * static_cast<float>(row)) / 10;
            walls.Append(SectorBlock(110, 118, y0, y0 + 62, a0, a0 + 2 * kPi / 10 * 0.8f, 12));
        }
    }
    scene.meshes.push_back({"walls", walls});

    Mesh struts;
    for (int i = 0; i < 8; ++i)
    {
        const float a = 2 * kPi * static_cast<float>(i) / 8;
        // Ends held in from the section's 0..210 so the tilted bar's corners stay inside it.
        const Vec3 p0{102 * std::cos(a), 3, 102 * std::sin(a)};
        const Vec3 p1{102 * std::cos(a + 0.35f), 207, 102 * std::sin(a + 0.35f)};
        struts.Append(Bar(p0, p1, 5));
    }
    scene.meshes.push_back({"struts", struts});

    Mesh ribs;
    for (int i = 0; i < 5; ++i)
    {
        const float y = 21 + 42 * static_cast<float>(i);
        ribs.Append(Lathe(RectProfile(88, 96, y - 3, y + 3), 72));
    }
    scene.meshes.push_back({"ribs", ribs});
    return scene;
}

Scene BuildLogo()
{
    Scene scene{"logo", {}};
    float width = 0;
    Mesh title = TextMesh("OMBREL", 6, 1.0f, 2, &width);
    scene.meshes.push_back({"title", Translated(std::move(title), {-width * 0.5f, -3.0f, 0})});

    const float hw = width * 0.5f + 2.5f, hh = 5.5f, z = 1.8f;
    Mesh frame;
    frame.Append(Bar({-hw, hh, z}, {hw, hh, z}, 1));
    frame.Append(Bar({-hw, -hh, z}, {hw, -hh, z}, 1));
    frame.Append(Bar({-hw, -hh, z}, {-hw, hh, z}, 1));
    frame.Append(Bar({hw, -hh, z}, {hw, hh, z}, 1));
    frame.Append(Bar({-hw + 2, -hh + 1.6f, z}, {hw - 2, -hh + 1.6f, z}, 0.35f));
    for (float x : {-hw, hw})
        for (float y : {-hh, hh})
            frame.Append(Translated(Sphere(1.1f, 16, 8), {x, y, z}));
    scene.meshes.push_back({"frame", frame});
    return scene;
}

// The greets hall: a tiled floor, columns along its walls, walls and ceiling beams.
Mesh GreetsHall(float floorY, float ceilingY)
{
    Mesh hall;
    for (int ix = 0; ix < 15; ++ix)
        for (int iz = 0; iz < 13; ++iz)
            hall.Append(Box({-420 + 60 * static_cast<float>(ix), floorY - 5,
                             -360 + 60 * static_cast<float>(iz)},
                            {29, 5, 29}));
    for (float x = -400; x <= 460; x += 86)
    {
        for (float z : {-380.0f, 380.0f})
            hall.Append(Translated(Cylinder(12, floorY, ceilingY, 24), {x, 0, z}));
    }
    for (float z = -300; z <= 300; z += 100)
    {
        for (float x : {-440.0f, 500.0f})
            hall.Append(Translated(Cylinder(12, floorY, ceilingY, 24), {x, 0, z}));
    }
    hall.Append(Box({30, 50, -400}, {480, 180, 6}));
    hall.Append(Box({30, 50, 400}, {480, 180, 6}));
    hall.Append(Box({-460, 50, 0}, {6, 180, 410}));
    hall.Append(Box({520, 50, 0}, {6, 180, 410}));
    for (float x = -380; x <= 480; x += 120)
        hall.Append(Box({x, ceilingY, 0}, {8, 8, 400}));
    return hall;
}

// The emblem the last shot looks at: the script stacks three at heights -100, 0 and 100 about
// the origin at scales 0.75 to 0.95. The word shots look across the hall past the origin up to
// 13 units above it, and one camera climbs past the axis, 22 units off at height 32: the
// emblem rides 30 above its placement, so the middle one (19 to 32 high, 9 across) stands
// above those lines of sight and clear of that camera.
Mesh GreetsEmblem()
{
    Mesh emblem = Torus(10, 1.4f, 64, 10);
    emblem.Append(RotatedX(Torus(6.5f, 1.0f, 48, 8), kPi / 2));
    emblem.Append(Sphere(3, 24, 12));
    for (int i = 0; i < 4; ++i)
    {
        const float a = 2 * kPi * static_cast<float>(i) / 4 + kPi / 4;
        emblem.Append(Translated(Sphere(1.8f, 12, 6), {10 * std::cos(a), 0, 10 * std::sin(a)}));
    }
    return Translated(std::move(emblem), {0, 30, 0});
}

// A pedestal on the floor under the stack: where it stood before, above eye level, one shot
// ran its camera through it.
Mesh GreetsPedestal(float floorY)
{
    return Lathe({{0, floorY, 0, -1, true},
                  {34, floorY, 0, -1, false},
                  {34, floorY, 1, 0, true},
                  {34, floorY + 6, 1, 0, false},
                  {34, floorY + 6, 0.5f, 0.87f, true},
                  {18, floorY + 16, 0.5f, 0.87f, false},
                  {18, floorY + 16, 0, 1, true},
                  {0, floorY + 16, 0, 1, false}},
                 48);
}

Scene BuildGreets()
{
    Scene scene{"greets", {}};
    const float floorY = -130, ceilingY = 230;

    const Mesh hall = GreetsHall(floorY, ceilingY);

    struct Placed
    {
        const char* text;
        float height;
        Vec3 centre, viewer;
    };
    // Each word as wide as about half the frame of its shot at the nearest, turned to face that
    // shot's camera half way through the segment. The first shot's camera sees the second word
    // at its right: a word longer than six letters ran behind that word's board.
    const Placed words[] = {
        {"GREETS", 52, {317, 0, -75}, {-75, 0, 0}},
        {"HELLO", 64, {64, 0, -230}, {-50, 0, 122}},
        {"THANKS", 36, {-240, 0, -115}, {-50, 0, -12}},
        {"RESPECT", 46, {-245, 0, 170}, {-20, 70, -22}},
        {"CHEERS", 52, {120, 0, 220}, {-60, -20, 0}},
    };
    // Words in the two teal meshes; the deep-blue mesh 4 is a board behind each. The words float:
    // the plinths they stood on came between the other shots' cameras and their words.
    Mesh teal1, teal2, boards;
    for (int i = 0; i < 5; ++i)
    {
        const Placed& w = words[i];
        float width = 0;
        (i % 2 == 0 ? teal1 : teal2).Append(Word(w.text, w.height, w.centre, w.viewer, &width));
        const Vec3 d = Normalize({w.viewer.x - w.centre.x, 0, w.viewer.z - w.centre.z});
        const Vec3 side{-d.z, 0, d.x};
        // Close behind the letters, so that seen at an angle they still stand on it: 22 back,
        // half a word slid off its board into the dark. Its margins are narrow for the same
        // reason as the short first word. It mirrors the dark ground behind the bright letters.
        boards.Append(
            Mirroring(OrientedBox(w.centre - d * (w.height * 0.05f + 5), side, {0, 1, 0}, d,
                                  width * 0.5f + w.height * 0.25f, w.height * 0.85f, 2),
                      d, w.viewer, {0, -1, 0}));
    }

    const Mesh emblem = GreetsEmblem();
    const Mesh centrepiece = GreetsPedestal(floorY);

    scene.meshes.push_back({"hall", hall});
    scene.meshes.push_back({"words_a", teal1});
    scene.meshes.push_back({"words_b", teal2});
    scene.meshes.push_back({"emblem", emblem});
    scene.meshes.push_back({"boards", boards});
    scene.meshes.push_back({"centrepiece", centrepiece});
    return scene;
}

constexpr float kGrinderDepth = 150, kPinionDepth = 60, kPinionScale = 0.52f;

// A spur wheel in the XY plane (axis Z): 24 teeth between radii 112 and 134 on a rim, six
// spokes and a hub ring, open between them. From any distance it reads as a wheel: teeth on
// the outline, spokes against what lies behind, the hub mesh in its bore.
Mesh Wheel()
{
    const int teeth = 24, perTooth = 8, samples = teeth * perTooth;
    const float rim = 94, root = 112, tip = 134, hz = 8;
    // Tooth shape over one pitch: root, flank up, top land, flank down.
    auto radius = [&](int i)
    {
        switch (i % perTooth)
        {
        case 2:
        case 6:
            return (root + tip) * 0.5f;
        case 3:
        case 4:
        case 5:
            return tip;
        default:
            return root;
        }
    };
    Mesh mesh;
    std::vector<Vec3> outline(samples + 1);
    for (int i = 0; i <= samples; ++i)
    {
        const float a = 2 * kPi * static_cast<float>(i) / static_cast<float>(samples);
        outline[i] = Vec3{std::cos(a), std::sin(a), 0} * radius(i % samples);
    }
    auto uv = [](Vec3 p) { return std::pair{0.5f + p.x / 300, 0.5f + p.y / 300}; };
    for (float side : {-1.0f, 1.0f})
    {
        const Vec3 n{0, 0, side};
        const Vec3 z{0, 0, side * hz};
        for (int i = 0; i < samples; ++i)
        {
            const float a0 = 2 * kPi * static_cast<float>(i) / static_cast<float>(samples);
            const float a1 = 2 * kPi * static_cast<float>(i + 1) / static_cast<float>(samples);
            const Vec3 corners[4] = {outline[i] + z, outline[i + 1] + z,
                                     Vec3{std::cos(a0), std::sin(a0), 0} * rim + z,
                                     Vec3{std::cos(a1), std::sin(a1), 0} * rim + z};
            std::uint32_t k[4];
            for (int c = 0; c < 4; ++c)
                k[c] = mesh.AddVertex(corners[c], n, uv(corners[c]).first, uv(corners[c]).second);
            mesh.AddTriangle(k[0], k[1], k[2]);
            mesh.AddTriangle(k[1], k[3], k[2]);
        }
    }
    for (int i = 0; i < samples; ++i)
    {
        const Vec3 a = outline[i], b = outline[i + 1];
        // The outline runs anticlockwise, so edge x Z points out of the wheel, flanks included.
        const Vec3 out = Normalize(Cross(b - a, {0, 0, 1}));
        const float u0 = static_cast<float>(i) / static_cast<float>(samples);
        const float u1 = static_cast<float>(i + 1) / static_cast<float>(samples);
        const std::uint32_t p = mesh.AddVertex(a + Vec3{0, 0, -hz}, out, u0, 0);
        const std::uint32_t q = mesh.AddVertex(b + Vec3{0, 0, -hz}, out, u1, 0);
        const std::uint32_t r = mesh.AddVertex(b + Vec3{0, 0, hz}, out, u1, 1);
        const std::uint32_t s = mesh.AddVertex(a + Vec3{0, 0, hz}, out, u0, 1);
        mesh.AddTriangle(p, q, r);
        mesh.AddTriangle(p, r, s);
    }
    // The rim's inside, facing the axis, and the hub ring around the bore.
    mesh.Append(RotatedX(Lathe({{rim, -hz, -1, 0, true}, {rim, hz, -1, 0, false}}, 96), kPi / 2));
    mesh.Append(RotatedX(Lathe(RectProfile(34, 50, -hz, hz), 64), kPi / 2));
    // Spokes a little thinner than the rim, so their edges catch the light apart from it.
    for (int i = 0; i < 6; ++i)
    {
        const float a = 2 * kPi * static_cast<float>(i) / 6;
        const Vec3 radial{std::cos(a), std::sin(a), 0};
        mesh.Append(OrientedBox(radial * 72, radial, {-radial.y, radial.x, 0}, {0, 0, 1}, 24, 8,
                                hz * 0.7f));
    }
    return mesh;
}

Scene BuildGrinder()
{
    Scene scene{"grinder", {}};
    Mesh bolt = Lathe(RectProfile(0, 4.5f, 4, 8), 6);
    bolt.Append(Cylinder(2, -8, 4, 16));
    for (int i = 0; i < 5; ++i)
        bolt.Append(
            Translated(Torus(2.1f, 0.35f, 16, 6), {0, -6.5f + 2.2f * static_cast<float>(i), 0}));
    scene.meshes.push_back({"bolt", bolt});
    // The script turns the wheels about Z, so depth is ours to choose: set back from the close
    // shot's camera at z = -19, which at z = 0 grazed the nearest rim from a few units away, and
    // still whole in the wide shot from z = -350. That camera looks along the wheels' planes
    // past their rims, so each shaft also carries a pinion nearer to it, which the close shot
    // sees across its face.
    const Vec3 back{0, 0, kGrinderDepth};
    Mesh wheel = Translated(Wheel(), back);
    // Flat, its face mirrored the dark sky and ground to those cameras; shaded as a cone
    // (normals leaning out by 0.8 rad), it mirrors the light panels. The cone is round, so the
    // turning wheel keeps its highlights in place while the teeth pass through them.
    Mesh pinion = Scaled(Wheel(), kPinionScale);
    for (Vertex& v : pinion.vertices)
        if (v.normal.z < -0.99f)
            v.normal = Normalize(Normalize({v.position.x, v.position.y, 0}) * std::sin(0.8f) +
                                 Vec3{0, 0, -std::cos(0.8f)});
    wheel.Append(Translated(std::move(pinion), {0, 0, kPinionDepth}));
    wheel.Append(RotatedX(Cylinder(22, kPinionDepth, kGrinderDepth, 32), kPi / 2));
    scene.meshes.push_back({"wheel", wheel});

    Mesh hub = RotatedX(Cylinder(30, -14, 14, 48), kPi / 2);
    for (int i = 0; i < 6; ++i)
    {
        const float a = 2 * kPi * static_cast<float>(i) / 6 + kPi / 6;
        Mesh head = RotatedX(Lathe(RectProfile(0, 4, 14, 18), 6), -kPi / 2);
        hub.Append(Translated(std::move(head), {20 * std::cos(a), 20 * std::sin(a), 0}));
    }
    hub.Append(RotatedX(Cylinder(9, -17, 17, 24), kPi / 2));
    scene.meshes.push_back({"hub", Translated(std::move(hub), back)});
    return scene;
}

// Fractal value noise in [0, 1] for the terrain.
float ValueNoise(float x, float z, std::uint32_t seed)
{
    const float fx = std::floor(x), fz = std::floor(z);
    const auto ix = static_cast<std::int32_t>(fx), iz = static_cast<std::int32_t>(fz);
    const float tx = Smoothstep(0, 1, x - fx), tz = Smoothstep(0, 1, z - fz);
    const float a = HashUnit(ix, iz, seed), b = HashUnit(ix + 1, iz, seed);
    const float c = HashUnit(ix, iz + 1, seed), d = HashUnit(ix + 1, iz + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * tz;
}

float Ridges(float x, float z)
{
    float sum = 0, amplitude = 0.5f, frequency = 1.0f / 260;
    for (int octave = 0; octave < 5; ++octave)
    {
        const float n = 1 - std::fabs(2 * ValueNoise(x * frequency, z * frequency, 7 + octave) - 1);
        sum += amplitude * n * n;
        amplitude *= 0.5f;
        frequency *= 2.1f;
    }
    return sum;
}

Scene BuildTarv()
{
    Scene scene{"tarv", {}};

    // A striped sun low over the horizon, straight ahead of the camera path.
    Mesh sky;
    const Vec3 sun{0, 230, 820};
    const float radius = 260;
    int band = 0;
    for (float y = -radius; y < radius; ++band)
    {
        const float rel = (y + radius) / (2 * radius);
        const float height = 10 + 40 * rel;
        const float gap = y < 60 ? 5 * (1 - rel) + 2 : 0;
        const float y1 = std::min(y + height, radius);
        const float half0 = std::sqrt(std::max(radius * radius - y * y, 0.0f));
        const float half1 = std::sqrt(std::max(radius * radius - y1 * y1, 0.0f));
        sky.Append(DoubleQuad(sun + Vec3{-half0, y, 0}, sun + Vec3{half0, y, 0},
                              sun + Vec3{half1, y1, 0}, sun + Vec3{-half1, y1, 0}));
        y = y1 + gap;
    }
    sky.Append(DoubleQuad({-1400, -4, 900}, {1400, -4, 900}, {1400, 6, 900}, {-1400, 6, 900}));
    scene.meshes.push_back({"sky", sky});

    Mesh grid;
    const float w = 1.6f, y = 0.5f; // several pixels wide at 600 units, so no line drops out
    // Lines in 100-unit pieces, so no single quad spans from behind the camera to the horizon.
    for (float x = -1000; x <= 1000; x += 50)
        for (float z = -700; z < 900; z += 100)
            grid.Append(
                DoubleQuad({x - w, y, z}, {x + w, y, z}, {x + w, y, z + 100}, {x - w, y, z + 100}));
    for (float z = -700; z <= 900; z += 50)
        for (float x = -1000; x < 1000; x += 100)
            grid.Append(
                DoubleQuad({x, y, z - w}, {x, y, z + w}, {x + 100, y, z + w}, {x + 100, y, z - w}));
    scene.meshes.push_back({"grid", grid});

    // The foothills start below the grid: a skirt that only just clears it reads as a flat lit
    // slab, and a steep front seen broadside as a wall. The side ranges rise gently, further back.
    auto height = [](float x, float z)
    {
        const float sides = Smoothstep(400, 800, std::fabs(x)) * Smoothstep(-100, 400, z);
        const float back = Smoothstep(250, 700, z);
        const float mask = std::min(1.0f, sides + back);
        return -40 + mask * (60 + 260 * Ridges(x + 1000, z + 1000));
    };
    Mesh terrain = Surface(
        180, 140,
        [&](float u, float v)
        {
            const float x = -1100 + 2200 * u, z = -700 + 1650 * v;
            return Vec3{x, height(x, z), z};
        },
        [](Vec3) {
            return Vec3{0, 1, 0};
        });
    // The valley floor goes: under the grid it mirrored the light into a flat bright slab, and
    // the grid reads best over black.
    std::vector<std::uint32_t> kept;
    for (std::size_t f = 0; f < terrain.FaceCount(); ++f)
    {
        const std::uint32_t* face = &terrain.indices[3 * f];
        if (std::max({terrain.vertices[face[0]].position.y, terrain.vertices[face[1]].position.y,
                      terrain.vertices[face[2]].position.y}) > 0)
            kept.insert(kept.end(), face, face + 3);
    }
    terrain.indices = std::move(kept);
    scene.meshes.push_back({"terrain", terrain});
    return scene;
}

Scene BuildSphere()
{
    Scene scene{"sphere", {}};
    Mesh rings = Torus(36, 1.2f, 128, 12);
    rings.Append(RotatedX(Torus(40, 0.8f, 128, 8), 0.45f));
    rings.Append(RotatedZ(Torus(43, 0.8f, 128, 8), -0.4f));
    for (int i = 0; i < 12; ++i)
    {
        const float a = 2 * kPi * static_cast<float>(i) / 12;
        rings.Append(Translated(Sphere(1.8f, 12, 6), {36 * std::cos(a), 0, 36 * std::sin(a)}));
    }
    scene.meshes.push_back({"rings", rings});
    scene.meshes.push_back({"sphere", Sphere(22, 200, 160)});
    return scene;
}

} // namespace

const std::vector<std::string>& SceneNames()
{
    static const std::vector<std::string> names = {"rings",  "scene01", "tunnel", "logo",
                                                   "greets", "grinder", "tarv",   "sphere"};
    return names;
}

Scene BuildScene(const std::string& name)
{
    if (name == "rings")
        return BuildRings();
    if (name == "scene01")
        return BuildScene01();
    if (name == "tunnel")
        return BuildTunnel();
    if (name == "logo")
        return BuildLogo();
    if (name == "greets")
        return BuildGreets();
    if (name == "grinder")
        return BuildGrinder();
    if (name == "tarv")
        return BuildTarv();
    if (name == "sphere")
        return BuildSphere();
    throw std::invalid_argument("unknown scene '" + name + "'");
}

} // namespace assets
