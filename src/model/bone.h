// One node of a skeleton: a bind-pose bone of a mesh or a bone of a keyframe.
#pragma once

#include "math/matrix4.h"

struct Bone {
    // Index of the parent in the same array; -1 marks a root.
    int parentIndex = -1;
    // Node name from the file (at most 79 characters are stored).
    char name[128] = {};
    // Transform relative to the parent bone.
    Matrix4 localMatrix;
    // Transform into model space: localMatrix × parent's absoluteMatrix.
    Matrix4 absoluteMatrix;
};
