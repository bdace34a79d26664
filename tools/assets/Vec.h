// Small vector maths for building meshes and images in the asset generator.
#pragma once

#include <cmath>

namespace assets
{

struct Vec3
{
    float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(Vec3 a)
{
    return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(Vec3 a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator*(float s, Vec3 a)
{
    return a * s;
}
inline Vec3 Mul(Vec3 a, Vec3 b)
{
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}
inline float Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a)
{
    return std::sqrt(Dot(a, a));
}
inline Vec3 Normalize(Vec3 a)
{
    const float len = Length(a);
    return len > 0 ? a * (1.0f / len) : Vec3{0, 1, 0};
}
inline Vec3 Lerp(Vec3 a, Vec3 b, float t)
{
    return a + (b - a) * t;
}

inline float Clamp01(float v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline float Smoothstep(float e0, float e1, float x)
{
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

constexpr float kPi = 3.14159265358979f;

} // namespace assets
