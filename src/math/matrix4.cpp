#include "math/matrix4.h"

#include <cmath>

#include "math/vector3.h"

Matrix4 Matrix4::operator*(const Matrix4& other) const { return MatrixMultiply(*this, other); }

bool Matrix4::operator==(const Matrix4& other) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != other.m[r][c]) return false;
    return true;
}

Matrix4 MatrixIdentity() { return Matrix4{}; }

Matrix4 MatrixMultiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] +
                          a.m[r][3] * b.m[3][c];
    return out;
}

bool MatrixInverse(const Matrix4& source, Matrix4* out) {
    // Cofactor expansion in double precision: the result is rounded to float
    // once, so bind-pose inverses of deep bone chains keep their accuracy.
    double a[16];
    for (int i = 0; i < 16; ++i) a[i] = source.m[i / 4][i % 4];
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] +
             a[9] * a[7] * a[14] + a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] -
             a[8] * a[7] * a[14] - a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] +
             a[8] * a[7] * a[13] + a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] -
              a[8] * a[6] * a[13] - a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] -
             a[9] * a[3] * a[14] - a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] +
             a[8] * a[3] * a[14] + a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] -
             a[8] * a[3] * a[13] - a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] +
              a[8] * a[2] * a[13] + a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] -
             a[4] * a[3] * a[14] - a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] +
              a[4] * a[3] * a[13] + a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] -
              a[4] * a[2] * a[13] - a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] -
             a[5] * a[3] * a[10] - a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];

    double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (det == 0.0 || !std::isfinite(det)) return false;

    Matrix4 result;
    for (int i = 0; i < 16; ++i) {
        float value = static_cast<float>(inv[i] / det);
        if (!std::isfinite(value)) return false;
        result.m[i / 4][i % 4] = value;
    }
    *out = result;
    return true;
}

Matrix4 MatrixTranspose(const Matrix4& m) {
    Matrix4 out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.m[r][c] = m.m[c][r];
    return out;
}

Matrix4 MatrixTranslation(float x, float y, float z) {
    Matrix4 out;
    out.m[3][0] = x;
    out.m[3][1] = y;
    out.m[3][2] = z;
    return out;
}

Matrix4 MatrixScaling(float x, float y, float z) {
    Matrix4 out;
    out.m[0][0] = x;
    out.m[1][1] = y;
    out.m[2][2] = z;
    return out;
}

Matrix4 MatrixRotationX(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    Matrix4 out;
    out.m[1][1] = c;
    out.m[1][2] = s;
    out.m[2][1] = -s;
    out.m[2][2] = c;
    return out;
}

Matrix4 MatrixRotationY(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    Matrix4 out;
    out.m[0][0] = c;
    out.m[0][2] = -s;
    out.m[2][0] = s;
    out.m[2][2] = c;
    return out;
}

Matrix4 MatrixRotationZ(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    Matrix4 out;
    out.m[0][0] = c;
    out.m[0][1] = s;
    out.m[1][0] = -s;
    out.m[1][1] = c;
    return out;
}

Matrix4 MatrixRotationAxis(const Vector3& axis, float angle) {
    Vector3 v = Vec3Normalize(axis);
    float c = std::cos(angle), s = std::sin(angle), d = 1.0f - c;
    Matrix4 out;
    out.m[0][0] = d * v.x * v.x + c;
    out.m[0][1] = d * v.x * v.y + s * v.z;
    out.m[0][2] = d * v.x * v.z - s * v.y;
    out.m[1][0] = d * v.x * v.y - s * v.z;
    out.m[1][1] = d * v.y * v.y + c;
    out.m[1][2] = d * v.y * v.z + s * v.x;
    out.m[2][0] = d * v.x * v.z + s * v.y;
    out.m[2][1] = d * v.y * v.z - s * v.x;
    out.m[2][2] = d * v.z * v.z + c;
    return out;
}

Matrix4 MatrixRotationYawPitchRoll(float yaw, float pitch, float roll) {
    // Closed form of RotationZ(roll) × RotationX(pitch) × RotationY(yaw).
    float sr = std::sin(roll), cr = std::cos(roll);
    float sp = std::sin(pitch), cp = std::cos(pitch);
    float sy = std::sin(yaw), cy = std::cos(yaw);
    Matrix4 out;
    out.m[0][0] = sr * sp * sy + cr * cy;
    out.m[0][1] = sr * cp;
    out.m[0][2] = sr * sp * cy - cr * sy;
    out.m[1][0] = cr * sp * sy - sr * cy;
    out.m[1][1] = cr * cp;
    out.m[1][2] = cr * sp * cy + sr * sy;
    out.m[2][0] = cp * sy;
    out.m[2][1] = -sp;
    out.m[2][2] = cp * cy;
    return out;
}

Matrix4 MatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
    float yScale = 1.0f / std::tan(fovY / 2.0f);
    Matrix4 out;
    out.m[0][0] = yScale / aspect;
    out.m[1][1] = yScale;
    out.m[2][2] = zf / (zf - zn);
    out.m[2][3] = 1.0f;
    out.m[3][2] = -zn * zf / (zf - zn);
    out.m[3][3] = 0.0f;
    return out;
}
