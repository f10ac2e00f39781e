// From SMD model space to glTF's.
//
// SMD characters are modelled right-handed with +Z up (the face towards −Y)
// in inches; glTF is right-handed with +Y up (the face towards +Z) in
// metres. The change is the rotation (x, y, z) → (x, z, −y) followed by a
// uniform scale: a proper rotation, so triangles keep their winding.
//
// Bone matrices are the program's: row vectors, a point p goes to p × M,
// and A × B applies A first. Bone spaces change with the model space, so a
// bone matrix M becomes C⁻¹ × M × C (C the change above): its rotation is
// turned with the axes and its translation turned and scaled.
#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"

namespace smd2gltf {

// One inch in metres, the default size of an SMD unit.
constexpr double kMetresPerInch = 0.0254;

struct Vec3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// An affine matrix in double precision, row vectors like Matrix4.
struct Mat4d {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

Mat4d ToDouble(const Matrix4& matrix);
// a × b: a applied first.
Mat4d Multiply(const Mat4d& a, const Mat4d& b);
// The inverse of an affine matrix (last column 0, 0, 0, 1); the identity
// when its 3 × 3 part has no inverse.
Mat4d InverseAffine(const Mat4d& matrix);
// (x, y, z, 1) × m.
Vec3d TransformPoint(const Vec3d& p, const Mat4d& m);
// (x, y, z) × the 3 × 3 part of m.
Vec3d TransformDirection(const Vec3d& v, const Mat4d& m);

// A point of SMD model space in glTF's, scaled by metresPerUnit.
Vec3d PointToGltf(const Vec3d& p, double metresPerUnit);
// A direction (normal) in glTF's axes, not scaled.
Vec3d DirectionToGltf(const Vec3d& v);
// C⁻¹ × m × C: a bone matrix in glTF's axes and units.
Mat4d MatrixToGltf(const Mat4d& m, double metresPerUnit);

// A node transform as glTF keeps it.
struct Trs {
    double translation[3] = {0, 0, 0};
    double rotation[4] = {0, 0, 0, 1};  // unit quaternion x, y, z, w
    double scale[3] = {1, 1, 1};
};

// Translation, rotation and scale of an affine matrix (row vectors, glTF
// axes). Scales within 1e-5 of 1 are taken as 1; a mirroring matrix gets a
// negative x scale.
Trs Decompose(const Mat4d& m);
// The matrix of a TRS, row vectors: scale, then rotation, then translation.
Mat4d Compose(const Trs& trs);

// True when every value is a finite number within the range of floats
// (glTF stores floats; a huge bone offset times --scale may pass it).
bool FitsFloat(const Trs& trs);
bool FitsFloat(const Mat4d& m);

}  // namespace smd2gltf
