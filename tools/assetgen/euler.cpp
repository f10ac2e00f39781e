#include "assetgen/euler.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

Matrix4 ComposeBoneTransform(const BoneTransform& t) {
    return MatrixRotationX(t.angles.x) * MatrixRotationY(t.angles.y) * MatrixRotationZ(t.angles.z) *
           MatrixTranslation(t.position.x, t.position.y, t.position.z);
}

BoneTransform DecomposeBoneTransform(const Matrix4& local) {
    // With row vectors, RotX(a) × RotY(b) × RotZ(c) has
    //   m[0] = ( cb·cc,            cb·sc,            −sb   )
    //   m[1] = ( sa·sb·cc − ca·sc, sa·sb·sc + ca·cc, sa·cb )
    //   m[2] = ( ca·sb·cc + sa·sc, ca·sb·sc − sa·cc, ca·cb )
    // Worked in double so that angles near gimbal lock keep their accuracy.
    const auto& m = local.m;
    double sb = std::clamp(-static_cast<double>(m[0][2]), -1.0, 1.0);
    double cb =
        std::sqrt(static_cast<double>(m[0][0]) * m[0][0] + static_cast<double>(m[0][1]) * m[0][1]);
    double a, b, c;
    if (cb > 1e-5) {
        a = std::atan2(static_cast<double>(m[1][2]), static_cast<double>(m[2][2]));
        b = std::atan2(sb, cb);
        c = std::atan2(static_cast<double>(m[0][1]), static_cast<double>(m[0][0]));
    } else {
        // cb = 0: only a − c (sb = 1) or a + c (sb = −1) is defined; take c = 0.
        // Then m[1][0] = sa·sb and m[1][1] = ca.
        b = sb > 0 ? M_PI / 2 : -M_PI / 2;
        c = 0.0;
        a = std::atan2(sb > 0 ? static_cast<double>(m[1][0]) : -static_cast<double>(m[1][0]),
                       static_cast<double>(m[1][1]));
    }
    BoneTransform out;
    out.angles = {static_cast<float>(a), static_cast<float>(b), static_cast<float>(c)};
    out.position = {m[3][0], m[3][1], m[3][2]};
    return out;
}

float RotationAngleBetween(const Matrix4& a, const Matrix4& b) {
    // trace(Aᵀ·B) = 1 + 2·cos(angle) for rotations A and B.
    double trace = 0.0;
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) trace += static_cast<double>(a.m[r][k]) * b.m[r][k];
    double cosAngle = std::clamp((trace - 1.0) / 2.0, -1.0, 1.0);
    return static_cast<float>(std::acos(cosAngle));
}

}  // namespace assetgen
