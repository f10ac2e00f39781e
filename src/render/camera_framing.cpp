#include "render/camera_framing.h"

#include <algorithm>

namespace {
// The program's own character is about 128 units tall: it keeps its step of 10.
constexpr float kStepsPerSize = 12.8f;
constexpr float kSmallestStep = 0.01f;
}  // namespace

CameraFraming FrameBox(const Vector3& boxMin, const Vector3& boxMax, const Matrix4& projection,
                       float top) {
    // A left-handed perspective projection: x and y scale by the cotangents
    // of the half fields of view; the near plane is -m32 / m22.
    float tanHalfX = 1.0f / projection.m[0][0];
    float tanHalfY = 1.0f / projection.m[1][1];
    float nearPlane = -projection.m[3][2] / projection.m[2][2];

    Vector3 size = boxMax - boxMin;
    Vector3 centre = (boxMin + boxMax) * 0.5f;
    // The normalised window the box's front face must fit: x in
    // [-margin, margin], y in [-margin, top × margin]. Deeper points of the
    // box land nearer the middle, so a front face that fits means all fits.
    float windowWidth = 2.0f * kFramingMargin;
    float windowHeight = (1.0f + top) * kFramingMargin;
    float distance =
        std::max(size.x / (windowWidth * tanHalfX), size.y / (windowHeight * tanHalfY));
    distance = std::max(distance, 2.0f * nearPlane);
    // The window's middle sits below the picture's middle by this much.
    float windowMiddle = (top - 1.0f) * 0.5f * kFramingMargin;

    CameraFraming framing;
    framing.position =
        Vector3(centre.x, centre.y - windowMiddle * distance * tanHalfY, boxMin.z - distance);
    float largest = std::max({size.x, size.y, size.z});
    framing.moveUnits = std::max(largest / kStepsPerSize, kSmallestStep);
    return framing;
}
