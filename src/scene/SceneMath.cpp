// Plain float32 4x4 products, the only matrix arithmetic of the scene code.
#include "SceneMath.h"

Matrix4 Multiply(const Matrix4& a, const Matrix4& b)
{
    Matrix4 r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            r.m[row][col] = a.m[row][0] * b.m[0][col] + a.m[row][1] * b.m[1][col] +
                            a.m[row][2] * b.m[2][col] + a.m[row][3] * b.m[3][col];
    return r;
}

Matrix4 Transpose(const Matrix4& a)
{
    Matrix4 r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            r.m[row][col] = a.m[col][row];
    return r;
}
