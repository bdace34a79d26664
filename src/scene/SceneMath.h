// Vectors and 4x4 matrices of the scene code: row-major, applied to row vectors (p x M).
#pragma once

struct Float3
{
    float x, y, z;
};

struct Float4
{
    float x, y, z, w;
};

struct Matrix4
{
    float m[4][4]; // m[row][column]; translation in row 3
};

constexpr Matrix4 MakeIdentity()
{
    return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

// a x b: applying the result is applying a, then b.
Matrix4 Multiply(const Matrix4& a, const Matrix4& b);
Matrix4 Transpose(const Matrix4& a);
