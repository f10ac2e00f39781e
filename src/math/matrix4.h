// 4 × 4 single-precision matrix, row-major, used with row vectors:
// a point p is transformed as p × M, and A × B applies A first.
// The coordinate system is left-handed: right +X, up +Y, forward +Z.
#pragma once

struct Vector3;

struct Matrix4 {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    Matrix4 operator*(const Matrix4& other) const;
    bool operator==(const Matrix4& other) const;
};

Matrix4 MatrixIdentity();
Matrix4 MatrixMultiply(const Matrix4& a, const Matrix4& b);
// Writes the inverse into out and returns true; returns false and leaves out
// untouched when m has no inverse (zero or non-finite determinant).
bool MatrixInverse(const Matrix4& m, Matrix4* out);
Matrix4 MatrixTranspose(const Matrix4& m);
Matrix4 MatrixTranslation(float x, float y, float z);
Matrix4 MatrixScaling(float x, float y, float z);
// Rotation about X by a: rows (1,0,0), (0,cos a,sin a), (0,−sin a,cos a).
Matrix4 MatrixRotationX(float angle);
// Rotation about Y by a: rows (cos a,0,−sin a), (0,1,0), (sin a,0,cos a).
Matrix4 MatrixRotationY(float angle);
// Rotation about Z by a: rows (cos a,sin a,0), (−sin a,cos a,0), (0,0,1).
Matrix4 MatrixRotationZ(float angle);
// Rotation about an arbitrary axis (normalised here), same sense as X/Y/Z.
Matrix4 MatrixRotationAxis(const Vector3& axis, float angle);
// RotationZ(roll) × RotationX(pitch) × RotationY(yaw): roll first, yaw last.
Matrix4 MatrixRotationYawPitchRoll(float yaw, float pitch, float roll);
// Left-handed perspective: view-space z in [zn, zf] maps to depth [0, 1].
Matrix4 MatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf);
