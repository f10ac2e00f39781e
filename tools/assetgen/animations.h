// The character's three looping clips. A clip stores per keyframe the local
// matrix of every bone (same bone order as the character), so the SMD writer
// can turn each one into a bone line.
#pragma once

#include <string>
#include <vector>

#include "assetgen/character.h"
#include "math/matrix4.h"
#include "math/vector3.h"

namespace assetgen {

struct Clip {
    std::string name;                          // "Attack", "Run", "Stun"
    std::vector<std::vector<Matrix4>> locals;  // [keyframe][bone]
};

// A pose as offsets from the bind pose: per bone a turn about its joint,
// given as angles in degrees about the model axes (X first, then Y, then Z),
// and a shift of the pelvis in model units.
struct Pose {
    std::vector<Vector3> turns;
    Vector3 pelvisShift;
};

Pose BindPose(const Character& character);
// Local matrices of every bone for a pose.
std::vector<Matrix4> PoseLocals(const Character& character, const Pose& pose);
// Absolute matrices (bone space → model space) from local ones; parents
// come before children.
std::vector<Matrix4> AbsoluteFromLocals(const Character& character,
                                        const std::vector<Matrix4>& locals);

// Attack (30 keyframes), Run (20) and Stun (30), in that order.
std::vector<Clip> BuildClips(const Character& character);

// The largest turn in degrees of any bone's absolute matrix between
// neighbouring keyframes, the last one leading back into the first.
float LargestKeyframeStepDegrees(const Character& character, const Clip& clip);

}  // namespace assetgen
