// The viewer's orbit camera: it looks at a target from a distance, turned by
// yaw (about the world's up axis) and pitch (up and down, short of the
// poles). The mouse orbits, zooms and pans it; it hands its eye and axes to
// the free camera (Apply), whose view matrix the frame draws with.
//
// Left-handed as Camera: at yaw 0 and pitch 0 it looks along +Z, right +X,
// up +Y. A positive pitch looks down from above.
#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"
#include "render/camera.h"

inline constexpr float kOrbitRadiansPerPixel = 0.01f;
inline constexpr float kOrbitMaxPitch = 1.5533430f;  // 89 degrees
inline constexpr float kZoomPerNotch = 0.85f;        // the distance kept per wheel notch in
// A pan of the window's height moves the target by about the distance.
inline constexpr float kPanPerPixel = 0.0015f;

struct OrbitCamera {
    Vector3 target{0.0f, 0.0f, 0.0f};
    float distance = 100.0f;
    float yaw = 0.0f;
    float pitch = 0.0f;
    float minDistance = 1.0f;
    float maxDistance = 10000.0f;

    // Unit vector from the eye to the target.
    Vector3 Look() const;
    Vector3 Right() const;
    Vector3 Up() const;
    Vector3 Eye() const;

    // Turns around the target by pixels dragged: dx to yaw, dy to pitch
    // (clamped to ±kOrbitMaxPitch). The distance to the target stays.
    void Orbit(float dx, float dy);
    // Wheel notches: positive comes nearer (kZoomPerNotch each), negative
    // goes back; the distance stays in [minDistance, maxDistance].
    void Zoom(float notches);
    // Moves target and eye alike across the view by pixels dragged (the
    // picture follows the mouse), scaled with the distance.
    void Pan(float dx, float dy);
    // Looks at target from eye: distance, yaw and pitch from their
    // difference (eye on the target: the distance becomes minDistance).
    void LookFrom(const Vector3& eye, const Vector3& newTarget);
    // Looks at the box's centre along +Z from the distance camera_framing's
    // FrameBox chooses for it with this projection (the whole box in view);
    // the zoom range becomes 1/100 to 100 times that distance, never nearer
    // than twice the near plane.
    void FrameBox(const Vector3& boxMin, const Vector3& boxMax, const Matrix4& projection);
    // The free camera put at the eye with the orbit's axes.
    void Apply(Camera* camera) const;
    Matrix4 ViewMatrix() const;
};
