// Bone transforms as SMD bone lines store them: a position and three angles
// (radians) with local = RotationX(rx) × RotationY(ry) × RotationZ(rz) ×
// Translation(position), row vectors (the X turn applies first).
#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"

namespace assetgen {

struct BoneTransform {
    Vector3 position;
    Vector3 angles;  // rx, ry, rz in radians
};

// RotationX(rx) × RotationY(ry) × RotationZ(rz) × Translation(position).
Matrix4 ComposeBoneTransform(const BoneTransform& transform);

// The inverse of ComposeBoneTransform for a matrix whose upper 3 × 3 part is
// a rotation. At gimbal lock (ry = ±90°) rz is set to 0 and rx takes the
// whole remaining turn. The returned angles lie in (−π, π].
BoneTransform DecomposeBoneTransform(const Matrix4& local);

// The angle in radians of the rotation that takes the upper 3 × 3 part of a
// to that of b (both taken as rotations).
float RotationAngleBetween(const Matrix4& a, const Matrix4& b);

}  // namespace assetgen
