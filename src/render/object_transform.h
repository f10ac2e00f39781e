// Where the model stands in the world: position, angles and scale.
#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"

struct ObjectTransform {
    Vector3 position{0.0f, 0.0f, 0.0f};
    float pitch = -1.5707964f;  // about X, radians (−π/2)
    float yaw = 3.1415927f;     // about Y, radians (π)
    float roll = 0.0f;          // about Z, radians
    Vector3 scale{1.0f, 1.0f, 1.0f};

    // (S × R) × T: a point is scaled, then rotated (roll, pitch, yaw), then moved.
    Matrix4 BuildWorldMatrix() const;
};
