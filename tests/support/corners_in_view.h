// Whether a camera sees a whole box: the test of every re-framing.
#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"

namespace rrtest {

// True when all eight corners of the box [low, high] lie in front of the
// camera of view, past projection's near plane and inside the picture's
// edges; with upToFar, also short of its far plane.
bool CornersInView(const Vector3& low, const Vector3& high, const Matrix4& view,
                   const Matrix4& projection, bool upToFar);

}  // namespace rrtest
