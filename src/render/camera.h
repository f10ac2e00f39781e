// The free-flying viewer: a position and three axes that moves and turns
// along its own axes, and the view matrix built from them.
//
// Left-handed: with right = +X and up = +Y the camera looks along +Z. None of
// the moves or turns rebuilds the view; the owner calls BuildViewMatrix.
#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"

struct Camera {
    Vector3 position{0.0f, 0.0f, 0.0f};
    Vector3 right{1.0f, 0.0f, 0.0f};
    Vector3 up{0.0f, 1.0f, 0.0f};
    Vector3 look{0.0f, 0.0f, 1.0f};

    void SetPosition(const Vector3& newPosition);

    // Moves by units along look, right or up (negative moves back).
    void Walk(float units);
    void Strafe(float units);
    void Fly(float units);

    // Turns by angle (radians) about right, up or look.
    void Pitch(float angle);
    void Yaw(float angle);
    void Roll(float angle);

    // Re-orthonormalises the axes (look kept, up and right rebuilt from it)
    // and writes the view matrix into out; returns out.
    Matrix4& BuildViewMatrix(Matrix4& out);
};
