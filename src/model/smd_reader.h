// Line scanners and matrix helpers shared by the reference and animation loaders.
#pragma once

#include "math/matrix4.h"
#include "model/bone.h"
#include "model/smd/bone_pose.h"

namespace smd {

// A node line: index "name" parent. The name (any characters but a double
// quote) is cut to 79 characters. False when the index, the quoted name or
// the parent cannot be read.
bool ScanNodeLine(const char* line, int* index, char (&name)[80], int* parent);

// A bone line: index x y z rx ry rz. Missing numbers after the index read as
// 0. False when the index cannot be read.
bool ScanBoneLine(const char* line, int* index, float values[6]);

// True for "end" and friends: keyword test without regard to case.
bool IsKeyword(const char* word, const char* keyword);

}  // namespace smd
