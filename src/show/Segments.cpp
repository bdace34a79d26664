// The segment scripts: what each kind animates and the order in which it draws its meshes.
#include "Segments.h"


namespace
{

Material MakeMaterial(Float4 color, float specular, float metallic, float roughness)
{
    Material material;
    material.baseColor[0] = color.x;
    material.baseColor[1] = color.y;
    material.baseColor[2] = color.z;
    material.baseColor[3] = color.w;
    material.specular = specular;
    material.metallic = metallic;
    material.roughness = roughness;
    return material;
}

Float4 Yaw(float angle)
{
    return EulerQuaternion(angle, 0.0f, 0.0f);
}

Float4 Roll(float angle)
{
    return EulerQuaternion(0.0f, 0.0f, angle);
}

constexpr Float4 kNoRotation = {0.0f, 0.0f, 0.0f, 1.0f};

Matrix4 Place(Float3 position, Float4 rotation, Float3 scale)
{
    return ComposeMatrix(InitTransform(position, rotation, scale));
}

Matrix4 Place(Float3 position, Float4 rotation, float scale)
{
    return Place(position, rotation, {scale, scale, scale});
}

// Rings 11 to 19 would step past the spectrum's end; the step wraps around it instead, so each
// ring still follows a band of its own (bins 77, 177, ..., 877).
std::size_t RingBin(int ring)
{
    return static_cast<std::size_t>(1 + 100 * ring) % kSpectrumSize;
}

struct RingPiece
{
    float frequency;
    float phase;
    float height;
    std::size_t bin;
};

// Pieces 2 to 5; piece 1 is placed on its own.
constexpr RingPiece kRingPieces[4] = {
    {1.7f, 2.0f, 500.0f, 2},
    {1.75f, 3.0f, 300.0f, 3},
    {1.8f, 2.5f, 400.0f, 4},
    {1.85f, 3.5f, 200.0f, 5},
};

void UpdateRings(SegmentObjects& objects, float L, SpectrumView S)
{
    for (int i = 0; i < kRingCount; ++i)
    {
        const float fi = static_cast<float>(i);
        objects.RingMatrices[i] = Place({0.0f, 100.0f + 40.0f * fi, 0.0f},
                                        Yaw(0.51f * fi - 2.0f * L), 10.95f * S[RingBin(i)] + 0.57f);
    }
    objects.ringPieces[0] = Place({0.0f, 50.0f * Sin(L) + 350.0f, 0.0f}, kNoRotation, S[1] + 1.5f);
    for (int p = 0; p < 4; ++p)
    {
        const RingPiece& piece = kRingPieces[p];
        objects.ringPieces[p + 1] =
            Place({0.0f, 15.0f * Sin(piece.frequency * L + piece.phase) + piece.height, 0.0f},
                  Yaw(-L), 0.5f * S[piece.bin] + 1.0f);
    }
}

void UpdateScene01(SegmentObjects& objects, float t, SpectrumView S)
{
    const Float3 P = Scene01Anchor(t);
    objects.scene01Objects[0] =
        Place(P, EulerQuaternion(-0.5f * t, 0.0f, t), Float3{1 + S[1], 1 + S[2], 1 + S[3]});
    objects.scene01Objects[1] = Place(P, EulerQuaternion(1.25f - 0.65f * t, 0.0f, 1.1f * t),
                                      Float3{1 + S[4], 1 + S[5], 1 + S[6]});
    objects.scene01Objects[2] = Place(P, EulerQuaternion(2.5f - 0.75f * t, 0.0f, 1.2f * t),
                                      Float3{1 + S[7], 1 + S[8], 1 + S[9]});
}

// The step grows with L and is taken once per frame, so the drift accelerates and depends on the
// frame rate.
void UpdateGrinder(SegmentObjects& objects, float L, RandomSource random)
{
    for (Matrix4& instance : objects.InstanceMatrices)
    {
        float* row = instance.m[3];
        row[0] = row[0] - 0.019f * L;
        row[1] = row[1] + 0.025f * L;
        row[2] = row[2] - 0.95f * L;
        if (row[2] < -450.0f)
        {
            const float r1 = random();
            const float r2 = random();
            const float r3 = random();
            row[0] = 60.0f * r1 - 30.0f;
            row[1] = 160.0f * r2 - 150.0f;
            row[2] = 50.0f * r3 + 300.0f;
        }
    }
}

// Forwards a script's calls, dropping draws of meshes the scene does not have.
class ScriptDrawer
{
  public:
    ScriptDrawer(SceneDrawer& drawer, std::uint32_t meshCount)
        : drawer(drawer), meshCount(meshCount)
    {
    }

    void Bind(ShaderSet set) { drawer.BindShaderSet(set); }
    void Use(const Material& material) { drawer.SetMaterial(material); }
    void World(const Matrix4& world) { drawer.SetWorld(world); }
    void Draw(std::uint32_t mesh)
    {
        if (mesh < meshCount)
            drawer.DrawMesh(mesh);
    }

    std::uint32_t MeshCount() const { return meshCount; }

  private:
    SceneDrawer& drawer;
    std::uint32_t meshCount;
};

void DrawRings(ScriptDrawer& d, const SegmentObjects& o)
{
    d.Bind(ShaderSet::Default);
    d.Use(o.TintMaterial);
    d.World(o.IdentityMatrix);
    d.Draw(0);
    d.Bind(ShaderSet::Pbr);
    d.Use(o.TealMetalMaterial);
    d.World(o.ringPieces[1]);
    d.Draw(3);
    d.World(o.ringPieces[2]);
    d.Draw(3);
    d.World(o.ringPieces[3]);
    d.Draw(4);
    d.World(o.ringPieces[4]);
    d.Draw(4);
    d.World(o.ringPieces[0]);
    d.Draw(1);
    for (const Matrix4& ring : o.RingMatrices)
    {
        d.World(ring);
        d.Draw(2);
    }
}

void DrawScene01(ScriptDrawer& d, const SegmentObjects& o)
{
    d.Bind(ShaderSet::Pbr);
    d.Use(o.DeepBlueMaterial);
    d.Draw(5);
    d.World(o.scene01Objects[0]);
    d.Use(o.BrassMaterial);
    d.Draw(4);
    d.Use(o.BronzeMaterial);
    d.Draw(3);
    d.World(o.scene01Objects[1]);
    d.Draw(2);
    d.World(o.scene01Objects[2]);
    d.Draw(1);
}

void DrawTunnel(ScriptDrawer& d, const SegmentObjects& o, float t)
{
    for (int i = 0; i < 5; ++i)
    {
        const float fi = static_cast<float>(i);
        d.World(o.IdentityMatrix);
        d.Bind(ShaderSet::Default);
        d.Use(o.TintMaterial);
        d.Draw(0);
        d.Bind(ShaderSet::Pbr);
        d.Use(o.InkMaterial);
        // Neighbouring sections turn in opposite directions.
        const float sign = i % 2 == 1 ? 1.0f : -1.0f;
        const float height = 210.0f * fi - 300.0f;
        const struct
        {
            std::uint32_t mesh;
            float speed;
        } parts[3] = {{1, 0.55f * fi + 0.65f}, {2, 0.35f * fi + 0.45f}, {3, 0.5f * fi + 0.25f}};
        for (const auto& part : parts)
        {
            d.World(Place({0.0f, height, 0.0f}, Yaw(part.speed * sign * t), 1.0f));
            d.Draw(part.mesh);
        }
    }
}

void DrawLogo(ScriptDrawer& d, const SegmentObjects& o)
{
    d.World(o.IdentityMatrix);
    d.Bind(ShaderSet::Default);
    d.Use(o.TintMaterial);
    d.Draw(0);
    d.World(Place({0.0f, 0.0f, 0.0f}, kNoRotation, 1.05f));
    d.Bind(ShaderSet::Pbr);
    d.Use(o.TealMetalMaterial);
    d.Draw(0);
    d.Draw(1);
}

void DrawGreets(ScriptDrawer& d, const SegmentObjects& o, SpectrumView S)
{
    Matrix4 pulse = o.IdentityMatrix;
    const float pulseScale = 0.35f * S[35] + 0.965f;
    pulse.m[0][0] = pulseScale;
    pulse.m[1][1] = pulseScale;
    pulse.m[2][2] = pulseScale;

    d.Bind(ShaderSet::Default);
    d.Use(o.TintMaterial);
    d.Draw(5);
    d.World(o.IdentityMatrix);
    d.Bind(ShaderSet::Pbr);
    for (std::uint32_t i = 0; i < d.MeshCount(); ++i)
    {
        d.World(i == 5 ? pulse : o.IdentityMatrix);
        d.Bind(ShaderSet::Pbr);
        d.Use(i == 0 || i >= 4 ? o.DeepBlueMaterial : o.TealMetalMaterial);
        // Mesh 3 is drawn three times below instead.
        if (i != 3)
            d.Draw(i);
    }
    for (int k = 0; k < 3; ++k)
    {
        const float fk = static_cast<float>(k);
        d.World(Place({0.0f, 100.0f * fk - 100.0f, 0.0f}, kNoRotation, 0.75f + 0.1f * fk));
        d.Use(o.TealMetalMaterial);
        d.Draw(3);
    }
}

void DrawGrinder(ScriptDrawer& d, const SegmentObjects& o, float L)
{
    d.Bind(ShaderSet::Pbr);
    d.Use(o.TealMetalMaterial);
    constexpr Float3 wheels[3] = {
        {-140.0f, -130.0f, 0.0f}, {140.0f, -130.0f, 0.0f}, {0.0f, 100.0f, 0.0f}};
    for (const Float3& position : wheels)
    {
        d.World(Place(position, Roll(L), 1.0f));
        d.Draw(1);
        d.Draw(2);
    }
    for (const Matrix4& instance : o.InstanceMatrices)
    {
        d.World(instance);
        d.Draw(0);
    }
}

void DrawTarv(ScriptDrawer& d, const SegmentObjects& o)
{
    d.World(o.IdentityMatrix);
    d.Bind(ShaderSet::Default);
    d.Use(o.TintMaterial);
    d.Draw(0);
    d.Draw(1);
    d.Bind(ShaderSet::Pbr);
    d.Use(o.InkMaterial);
    d.Draw(2);
}

void DrawSphere(ScriptDrawer& d, const SegmentObjects& o)
{
    d.World(o.IdentityMatrix);
    d.Bind(ShaderSet::Pbr);
    d.Use(o.TealMetalMaterial);
    d.Draw(0);
    d.Bind(ShaderSet::PbrNoise);
    d.Use(o.DeepBlueMaterial);
    d.Draw(1);
}

} // namespace

Float4 EulerQuaternion(float yaw, float pitch, float roll)
{
    const float cy = Cos(yaw * 0.5f);
    const float sy = Sin(yaw * 0.5f);
    const float cp = Cos(pitch * 0.5f);
    const float sp = Sin(pitch * 0.5f);
    const float cr = Cos(roll * 0.5f);
    const float sr = Sin(roll * 0.5f);
    return {cr * sp * cy + sr * cp * sy, cr * cp * sy - sr * sp * cy, sr * cp * cy - cr * sp * sy,
            sr * sp * sy + cr * cp * cy};
}

Transform InitTransform(Float3 position, Float4 rotation, Float3 scale)
{
    Transform transform;
    transform.position = position;
    transform.rotation = rotation;
    transform.scale = scale;
    return transform;
}

Float3 Scene01Anchor(float musicTime)
{
    return {100.0f - 300.0f * Sin(0.1f * musicTime), 50.0f + 15.0f * Sin(musicTime), 0.0f};
}

void InitSegmentObjects(SegmentObjects& objects, Float4 tint, RandomSource random)
{
    objects.IdentityMatrix = MakeIdentity();
    objects.TintMaterial = MakeMaterial(tint, 0.0f, 0.0f, 0.0f);
    objects.DeepBlueMaterial = MakeMaterial({0.0f, 0.0f, 0.05f, 1.0f}, 0.05f, 0.15f, 0.4472f);
    objects.BronzeMaterial = MakeMaterial({0.042f, 0.04f, 0.02f, 1.0f}, 0.5f, 0.49f, 0.4472f);
    objects.InkMaterial = MakeMaterial({0.0042f, 0.004f, 0.02f, 1.0f}, 0.5f, 0.59f, 0.4472f);
    objects.BrassMaterial = MakeMaterial({0.1242f, 0.124f, 0.01242f, 1.0f}, 0.5f, 0.1f, 0.4472f);
    objects.TealMetalMaterial = MakeMaterial({0.02f, 0.23f, 0.22f, 1.0f}, 0.5f, 0.95f, 0.4472f);

    for (Matrix4& matrix : objects.RingMatrices)
        matrix = MakeIdentity();
    for (Matrix4& matrix : objects.ringPieces)
        matrix = MakeIdentity();
    for (Matrix4& matrix : objects.scene01Objects)
        matrix = MakeIdentity();

    for (int j = 0; j < kInstanceCount; ++j)
    {
        const float r1 = random();
        const float r2 = random();
        const float r3 = random();
        objects.InstanceMatrices[j] =
            Place({20.0f * r3 - 10.0f, 260.0f * r2 - 250.0f, 600.0f * r1 - 400.0f},
                  Roll(static_cast<float>(j)), 1.0f);
    }
}

void SetTint(SegmentObjects& objects, Float4 tint)
{
    objects.TintMaterial.baseColor[0] = tint.x;
    objects.TintMaterial.baseColor[1] = tint.y;
    objects.TintMaterial.baseColor[2] = tint.z;
    objects.TintMaterial.baseColor[3] = tint.w;
}

void UpdateSegmentObjects(SegmentObjects& objects, SegmentKind kind, float musicTime,
                          float segmentTime, SpectrumView spectrum, RandomSource random)
{
    switch (kind)
    {
    case Rings:
        UpdateRings(objects, segmentTime, spectrum);
        break;
    case Scene01:
        UpdateScene01(objects, musicTime, spectrum);
        break;
    case Grinder:
        UpdateGrinder(objects, segmentTime, random);
        break;
    case Tunnel:
    case Logo:
    case Greets:
    case Tarv:
    case Sphere:
        break;
    }
}

void BeginSceneDrawing(SceneDrawer& drawer, const SegmentObjects& objects)
{
    drawer.SetWorld(objects.IdentityMatrix);
    drawer.BindShaderSet(ShaderSet::Default);
}

void DrawSegment(SceneDrawer& drawer, SegmentKind kind, const SegmentObjects& objects,
                 std::uint32_t meshCount, float musicTime, float segmentTime, SpectrumView spectrum)
{
    ScriptDrawer d(drawer, meshCount);
    switch (kind)
    {
    case Rings:
        DrawRings(d, objects);
        break;
    case Scene01:
        DrawScene01(d, objects);
        break;
    case Tunnel:
        DrawTunnel(d, objects, musicTime);
        break;
    case Logo:
        DrawLogo(d, objects);
        break;
    case Greets:
        DrawGreets(d, objects, spectrum);
        break;
    case Grinder:
        DrawGrinder(d, objects, segmentTime);
        break;
    case Tarv:
        DrawTarv(d, objects);
        break;
    case Sphere:
        DrawSphere(d, objects);
        break;
    }
}
