// Whether a camera sees a whole box: the test of every re-framing.
#pragma once

#include <cmath>

#include "math/matrix4.h"
#include "math/vector3.h"

namespace rrtest {

// True when all eight corners of the box [low, high] lie in front of the
// camera of view, past projection's near plane and inside the picture's
// edges; with upToFar, also short of its far plane.
inline bool CornersInView(const Vector3& low, const Vector3& high, const Matrix4& view,
                          const Matrix4& projection, bool upToFar) {
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p((corner & 1) ? high.x : low.x, (corner & 2) ? high.y : low.y,
                        (corner & 4) ? high.z : low.z);
        const Vector3 ndc = Vec3TransformCoord(p, view * projection);
        if (Vec3TransformCoord(p, view).z <= 0 || ndc.z <= 0 || (upToFar && ndc.z >= 1) ||
            std::fabs(ndc.x) > 1 || std::fabs(ndc.y) > 1)
            return false;
    }
    return true;
}

}  // namespace rrtest
