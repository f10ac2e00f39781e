// Rigid mesh parts for the character: ellipsoids and tapered capsules as
// latitude/longitude grids with analytic (smooth) normals. Every vertex of a
// part follows one bone. Triangles wind counter-clockwise seen from outside
// in the right-handed model frame, as SMD exports do.
#pragma once

#include <vector>

#include "math/vector3.h"

namespace assetgen {

// A share of a vertex's skinning given to a bone (SMD weight links).
struct SmdLink {
    int bone = 0;
    float weight = 0.0f;
};

struct SmdVertex {
    int bone = 0;
    Vector3 position;
    Vector3 normal;
    float u = 0.0f;
    float v = 0.0f;
    // Written after u v when there are any; `bone` then names the bone that
    // takes what the weights leave of 1.
    std::vector<SmdLink> links;
};

struct SmdTriangle {
    int material = 0;
    SmdVertex corners[3];
};

// An orthonormal right-handed frame (z = x × y) placed at origin.
struct PartFrame {
    Vector3 origin;
    Vector3 x{1, 0, 0};
    Vector3 y{0, 1, 0};
    Vector3 z{0, 0, 1};
};

// A frame at origin whose z axis points along axis; x is kept horizontal
// (perpendicular to model +Z) unless axis is vertical.
PartFrame FrameAlong(const Vector3& origin, const Vector3& axis);

struct PartStyle {
    int bone = 0;
    int material = 0;
    int slices = 16;  // around the axis
    int stacks = 10;  // pole to pole
};

// An ellipsoid with semi-axes radii along the frame's x, y and z.
void AddEllipsoid(std::vector<SmdTriangle>& out, const PartStyle& style, const PartFrame& frame,
                  const Vector3& radii);

// The hull of a sphere of radius radiusA at a and one of radiusB at b
// (|radiusA − radiusB| < |b − a|): round ends centred on the two points, so
// a part that turns about either point keeps that end in place.
void AddCapsule(std::vector<SmdTriangle>& out, const PartStyle& style, const Vector3& a,
                const Vector3& b, float radiusA, float radiusB);

}  // namespace assetgen
