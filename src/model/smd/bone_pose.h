// Bone matrices from bone lines, and the bind-local step of a reference.
#pragma once

#include "math/matrix4.h"
#include "model/bone.h"
#include "model/mesh_triangle.h"

namespace smd {

// RotationX(rx) × RotationY(ry) × RotationZ(rz) × Translation(x, y, z) for
// values x y z rx ry rz: X rotation first, translation last.
Matrix4 ComposeLocalMatrix(const float values[6]);

// Sets bones[index]'s local matrix from a bone line and its absolute matrix
// from its parent's absolute matrix as it stands now (a root's is its local
// matrix). index lies in 0 .. count - 1; a parent outside it other than -1
// was refused at its node line.
void PoseBone(Bone* bones, int count, int index, const float values[6]);

// Moves every corner of triangles[first .. last - 1] into the local space of
// its bone: position and normal by the inverse of the bone's absolute
// matrix (a bone without an inverse leaves its corners as they are). False
// when there is no memory for the inverses.
bool BindToBones(const Bone* bones, int boneCount, MeshTriangle* triangles, int first, int last);

}  // namespace smd
