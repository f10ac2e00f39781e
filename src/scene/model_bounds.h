// The box a character takes up in the world, for placing the camera in
// front of it: every corner of every mesh skinned in the pose it is first
// drawn in, then moved by the world matrix.
#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"

struct SkinnedModel;

// The pose is the first keyframe of clip clipIndex when that clip is loaded
// (bones the clip lacks keep their bind pose, as in playback), else the bind
// pose. False, with the box untouched, when the model has no triangle.
bool ModelWorldBounds(const SkinnedModel& model, int clipIndex, const Matrix4& world,
                      Vector3* boxMin, Vector3* boxMax);

// Widens the box [*low, *high] to hold p. While *found is false the box is
// taken to be empty: it becomes p alone, and *found true.
void WidenBox(const Vector3& p, bool* found, Vector3* low, Vector3* high);
