// Line scanners and matrix helpers shared by the reference and animation loaders.
#pragma once

#include "math/matrix4.h"
#include "model/bone.h"

namespace smd {

// A node line: index "name" parent. The name (any characters but a double
// quote) is cut to 79 characters. False when the index, the quoted name or
// the parent cannot be read.
bool ScanNodeLine(const char* line, int* index, char (&name)[80], int* parent);

// A bone line: index x y z rx ry rz. Missing numbers after the index read as
// 0. False when the index cannot be read.
bool ScanBoneLine(const char* line, int* index, float values[6]);

// RotationX(rx) × RotationY(ry) × RotationZ(rz) × Translation(x, y, z):
// X rotation first, translation last, multiplied left to right.
Matrix4 ComposeLocalMatrix(const float values[6]);

// Sets bones[index]'s local matrix from a bone line and its absolute matrix
// from the parent's absolute matrix as it stands now. The caller has checked
// index; a parent outside [0, count) other than -1 was refused at the node line.
void PoseBone(Bone* bones, int count, int index, const float values[6]);

// True for "end" and friends: keyword test without regard to case.
bool IsKeyword(const char* word, const char* keyword);

}  // namespace smd
