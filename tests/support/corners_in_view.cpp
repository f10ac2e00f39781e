#include "support/corners_in_view.h"

#include <cmath>

namespace rrtest {

bool CornersInView(const Vector3& low, const Vector3& high, const Matrix4& view,
                   const Matrix4& projection, bool upToFar) {
    const Matrix4 viewProjection = view * projection;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p((corner & 1) ? high.x : low.x, (corner & 2) ? high.y : low.y,
                        (corner & 4) ? high.z : low.z);
        const Vector3 ndc = Vec3TransformCoord(p, viewProjection);
        if (Vec3TransformCoord(p, view).z <= 0 || ndc.z <= 0 || (upToFar && ndc.z >= 1) ||
            std::fabs(ndc.x) > 1 || std::fabs(ndc.y) > 1)
            return false;
    }
    return true;
}

}  // namespace rrtest
