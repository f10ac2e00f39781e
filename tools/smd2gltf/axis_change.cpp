#include "smd2gltf/axis_change.h"

#include <cfloat>
#include <cmath>

namespace smd2gltf {

namespace {

// Q: SMD axes to glTF axes, row vectors: x → x, y → −z, z → y.
constexpr double kQ[3][3] = {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}};

bool Fits(const double* values, int count) {
    for (int i = 0; i < count; ++i)
        if (!(std::fabs(values[i]) <= FLT_MAX)) return false;
    return true;
}

double Determinant3(const double r[3][3]) {
    return r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1]) -
           r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0]) +
           r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0]);
}

}  // namespace

Mat4d ToDouble(const Matrix4& matrix) {
    Mat4d out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.m[r][c] = matrix.m[r][c];
    return out;
}

Mat4d Multiply(const Mat4d& a, const Mat4d& b) {
    Mat4d out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] +
                          a.m[r][3] * b.m[3][c];
    return out;
}

Mat4d InverseAffine(const Mat4d& matrix) {
    const auto& a = matrix.m;
    double rows[3][3] = {
        {a[0][0], a[0][1], a[0][2]}, {a[1][0], a[1][1], a[1][2]}, {a[2][0], a[2][1], a[2][2]}};
    double det = Determinant3(rows);
    Mat4d out;
    if (!std::isfinite(det) || det == 0.0) return out;
    // The adjugate over the determinant.
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            out.m[r][c] = (rows[r1][c1] * rows[r2][c2] - rows[r1][c2] * rows[r2][c1]) / det;
        }
    for (int c = 0; c < 3; ++c)
        out.m[3][c] = -(a[3][0] * out.m[0][c] + a[3][1] * out.m[1][c] + a[3][2] * out.m[2][c]);
    return out;
}

Vec3d TransformPoint(const Vec3d& p, const Mat4d& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

Vec3d TransformDirection(const Vec3d& v, const Mat4d& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

Vec3d PointToGltf(const Vec3d& p, double metresPerUnit) {
    return {p.x * metresPerUnit, p.z * metresPerUnit, -p.y * metresPerUnit};
}

Vec3d DirectionToGltf(const Vec3d& v) { return {v.x, v.z, -v.y}; }

Mat4d MatrixToGltf(const Mat4d& m, double metresPerUnit) {
    // Rotation part Qᵀ × R × Q, translation (t × Q) scaled.
    double rq[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            rq[r][c] = m.m[r][0] * kQ[0][c] + m.m[r][1] * kQ[1][c] + m.m[r][2] * kQ[2][c];
    Mat4d out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out.m[r][c] = kQ[0][r] * rq[0][c] + kQ[1][r] * rq[1][c] + kQ[2][r] * rq[2][c];
    Vec3d t = PointToGltf({m.m[3][0], m.m[3][1], m.m[3][2]}, metresPerUnit);
    out.m[3][0] = t.x;
    out.m[3][1] = t.y;
    out.m[3][2] = t.z;
    return out;
}

Trs Decompose(const Mat4d& m) {
    Trs trs;
    for (int i = 0; i < 3; ++i) trs.translation[i] = m.m[3][i];
    double rows[3][3];
    for (int r = 0; r < 3; ++r) {
        double length =
            std::sqrt(m.m[r][0] * m.m[r][0] + m.m[r][1] * m.m[r][1] + m.m[r][2] * m.m[r][2]);
        trs.scale[r] = std::fabs(length - 1.0) < 1e-5 ? 1.0 : length;
        for (int c = 0; c < 3; ++c)
            rows[r][c] = length > 1e-12 ? m.m[r][c] / length : (r == c ? 1.0 : 0.0);
    }
    if (Determinant3(rows) < 0) {
        trs.scale[0] = -trs.scale[0];
        for (double& value : rows[0]) value = -value;
    }
    // The rotation as a column-vector matrix is the transpose of the rows.
    auto at = [&](int i, int j) { return rows[j][i]; };
    double trace = at(0, 0) + at(1, 1) + at(2, 2);
    double x, y, z, w;
    if (trace > 0) {
        double s = std::sqrt(trace + 1.0) * 2.0;
        w = 0.25 * s;
        x = (at(2, 1) - at(1, 2)) / s;
        y = (at(0, 2) - at(2, 0)) / s;
        z = (at(1, 0) - at(0, 1)) / s;
    } else if (at(0, 0) > at(1, 1) && at(0, 0) > at(2, 2)) {
        double s = std::sqrt(1.0 + at(0, 0) - at(1, 1) - at(2, 2)) * 2.0;
        w = (at(2, 1) - at(1, 2)) / s;
        x = 0.25 * s;
        y = (at(0, 1) + at(1, 0)) / s;
        z = (at(0, 2) + at(2, 0)) / s;
    } else if (at(1, 1) > at(2, 2)) {
        double s = std::sqrt(1.0 + at(1, 1) - at(0, 0) - at(2, 2)) * 2.0;
        w = (at(0, 2) - at(2, 0)) / s;
        x = (at(0, 1) + at(1, 0)) / s;
        y = 0.25 * s;
        z = (at(1, 2) + at(2, 1)) / s;
    } else {
        double s = std::sqrt(1.0 + at(2, 2) - at(0, 0) - at(1, 1)) * 2.0;
        w = (at(1, 0) - at(0, 1)) / s;
        x = (at(0, 2) + at(2, 0)) / s;
        y = (at(1, 2) + at(2, 1)) / s;
        z = 0.25 * s;
    }
    double norm = std::sqrt(x * x + y * y + z * z + w * w);
    if (!(norm > 0) || !std::isfinite(norm)) return trs;
    trs.rotation[0] = x / norm;
    trs.rotation[1] = y / norm;
    trs.rotation[2] = z / norm;
    trs.rotation[3] = w / norm;
    return trs;
}

Mat4d Compose(const Trs& trs) {
    const double x = trs.rotation[0], y = trs.rotation[1], z = trs.rotation[2], w = trs.rotation[3];
    // Column-vector rotation matrix of the quaternion; row r of the result
    // is its column r times the scale.
    const double rc[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                             {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                             {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    Mat4d out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out.m[r][c] = trs.scale[r] * rc[c][r];
    for (int c = 0; c < 3; ++c) out.m[3][c] = trs.translation[c];
    return out;
}

bool FitsFloat(const Trs& trs) {
    return Fits(trs.translation, 3) && Fits(trs.rotation, 4) && Fits(trs.scale, 3);
}

bool FitsFloat(const Mat4d& m) { return Fits(&m.m[0][0], 16); }

}  // namespace smd2gltf
