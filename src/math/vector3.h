// Three-component vector and the operations the scene, camera and skinning
// use. Points and normals are row vectors multiplied on the left of a Matrix4.
#pragma once

struct Matrix4;

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float xValue, float yValue, float zValue) : x(xValue), y(yValue), z(zValue) {}

    Vector3 operator+(const Vector3& other) const {
        return {x + other.x, y + other.y, z + other.z};
    }
    Vector3 operator-(const Vector3& other) const {
        return {x - other.x, y - other.y, z - other.z};
    }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vector3& operator+=(const Vector3& other) {
        x += other.x;
        y += other.y;
        z += other.z;
        return *this;
    }
    bool operator==(const Vector3& other) const = default;
};

float Vec3Dot(const Vector3& a, const Vector3& b);
// a × b = (a.y·b.z − a.z·b.y, a.z·b.x − a.x·b.z, a.x·b.y − a.y·b.x)
Vector3 Vec3Cross(const Vector3& a, const Vector3& b);
float Vec3Length(const Vector3& v);
// Unit vector in the direction of v; the zero vector stays zero.
Vector3 Vec3Normalize(const Vector3& v);
// (x, y, z, 1) × m, divided by the resulting w.
Vector3 Vec3TransformCoord(const Vector3& v, const Matrix4& m);
// (x, y, z) × the upper 3 × 3 part of m; the length is not restored.
Vector3 Vec3TransformNormal(const Vector3& v, const Matrix4& m);
