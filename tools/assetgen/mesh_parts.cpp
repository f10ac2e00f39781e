#include "assetgen/mesh_parts.h"

#include <cmath>

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265358979f;

struct GridPoint {
    Vector3 position;  // in the part frame
    Vector3 normal;    // in the part frame, unit length
};

Vector3 ToModel(const PartFrame& f, const Vector3& p) {
    return f.origin + f.x * p.x + f.y * p.y + f.z * p.z;
}

Vector3 DirectionToModel(const PartFrame& f, const Vector3& n) {
    return Vec3Normalize(f.x * n.x + f.y * n.y + f.z * n.z);
}

// Emits the grid rows 0 (south pole) … stacks (north pole), columns
// 0 … slices (the last one repeats the first at u = 1). point(i, j) gives
// the vertex; the pole rows collapse to one point, so one triangle per cell
// is emitted there.
template <typename PointFn>
void EmitGrid(std::vector<SmdTriangle>& out, const PartStyle& style, const PartFrame& frame,
              PointFn point) {
    auto vertex = [&](int i, int j) {
        GridPoint g = point(i, j % style.slices);
        SmdVertex v;
        v.bone = style.bone;
        v.position = ToModel(frame, g.position);
        v.normal = DirectionToModel(frame, g.normal);
        v.u = static_cast<float>(j) / static_cast<float>(style.slices);
        v.v = 1.0f - static_cast<float>(i) / static_cast<float>(style.stacks);
        return v;
    };
    auto emit = [&](const SmdVertex& a, const SmdVertex& b, const SmdVertex& c) {
        SmdTriangle t;
        t.material = style.material;
        t.corners[0] = a;
        t.corners[1] = b;
        t.corners[2] = c;
        out.push_back(t);
    };
    for (int i = 0; i < style.stacks; ++i)
        for (int j = 0; j < style.slices; ++j) {
            SmdVertex a = vertex(i, j), b = vertex(i, j + 1), c = vertex(i + 1, j + 1),
                      d = vertex(i + 1, j);
            // Going round (j) then up (i) is counter-clockwise from outside.
            if (i > 0) emit(a, b, c);
            if (i < style.stacks - 1) emit(a, c, d);
        }
}

}  // namespace

PartFrame FrameAlong(const Vector3& origin, const Vector3& axis) {
    PartFrame f;
    f.origin = origin;
    f.z = Vec3Normalize(axis);
    Vector3 helper = std::fabs(f.z.z) < 0.95f ? Vector3{0, 0, 1} : Vector3{0, -1, 0};
    f.x = Vec3Normalize(Vec3Cross(helper, f.z));
    f.y = Vec3Cross(f.z, f.x);
    return f;
}

void AddEllipsoid(std::vector<SmdTriangle>& out, const PartStyle& style, const PartFrame& frame,
                  const Vector3& radii) {
    EmitGrid(out, style, frame, [&](int i, int j) {
        float theta = -kPi / 2 + kPi * static_cast<float>(i) / static_cast<float>(style.stacks);
        float phi = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(style.slices);
        Vector3 unit{std::cos(theta) * std::cos(phi), std::cos(theta) * std::sin(phi),
                     std::sin(theta)};
        if (i == 0 || i == style.stacks) unit = {0, 0, i == 0 ? -1.0f : 1.0f};
        GridPoint g;
        g.position = {unit.x * radii.x, unit.y * radii.y, unit.z * radii.z};
        g.normal = Vec3Normalize({unit.x / radii.x, unit.y / radii.y, unit.z / radii.z});
        return g;
    });
}

void AddCapsule(std::vector<SmdTriangle>& out, const PartStyle& style, const Vector3& a,
                const Vector3& b, float radiusA, float radiusB) {
    const Vector3 axis = b - a;
    const float length = Vec3Length(axis);
    const PartFrame frame = FrameAlong(a, axis);
    // Both spheres touch the connecting cone at the same latitude alpha.
    const float alpha = std::asin((radiusA - radiusB) / length);
    const int lowerRows = style.stacks / 2;  // rows 0 … lowerRows lie on sphere A
    EmitGrid(out, style, frame, [&](int i, int j) {
        float theta, radius, centre;
        if (i <= lowerRows) {
            theta = -kPi / 2 +
                    (alpha + kPi / 2) * static_cast<float>(i) / static_cast<float>(lowerRows);
            radius = radiusA;
            centre = 0.0f;
        } else {
            int upper = style.stacks - lowerRows - 1;
            theta = alpha + (kPi / 2 - alpha) * static_cast<float>(i - lowerRows - 1) /
                                static_cast<float>(upper);
            radius = radiusB;
            centre = length;
        }
        float phi = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(style.slices);
        float ring = (i == 0 || i == style.stacks) ? 0.0f : std::cos(theta);
        GridPoint g;
        g.normal = {ring * std::cos(phi), ring * std::sin(phi), std::sin(theta)};
        g.position = {g.normal.x * radius, g.normal.y * radius, centre + std::sin(theta) * radius};
        g.normal = Vec3Normalize(g.normal);
        return g;
    });
}

}  // namespace assetgen
