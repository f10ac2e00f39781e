#include "render/orbit_camera.h"

#include <algorithm>
#include <cmath>

#include "render/camera_framing.h"

Vector3 OrbitCamera::Look() const {
    return Vector3(std::sin(yaw) * std::cos(pitch), -std::sin(pitch),
                   std::cos(yaw) * std::cos(pitch));
}

// Horizontal: the world's up axis × look, left-handed.
Vector3 OrbitCamera::Right() const { return Vector3(std::cos(yaw), 0.0f, -std::sin(yaw)); }

Vector3 OrbitCamera::Up() const { return Vec3Cross(Look(), Right()); }

Vector3 OrbitCamera::Eye() const { return target - Look() * distance; }

void OrbitCamera::Orbit(float dx, float dy) {
    yaw = std::remainder(yaw + dx * kOrbitRadiansPerPixel, 2.0f * 3.1415927f);
    pitch = std::clamp(pitch + dy * kOrbitRadiansPerPixel, -kOrbitMaxPitch, kOrbitMaxPitch);
}

void OrbitCamera::Zoom(float notches) {
    distance = std::clamp(distance * std::pow(kZoomPerNotch, notches), minDistance, maxDistance);
}

void OrbitCamera::Pan(float dx, float dy) {
    const float scale = distance * kPanPerPixel;
    // Dragging right moves the picture right: the target goes left.
    target = target - Right() * (dx * scale) + Up() * (dy * scale);
}

void OrbitCamera::LookFrom(const Vector3& eye, const Vector3& newTarget) {
    target = newTarget;
    const Vector3 toTarget = newTarget - eye;
    const float length = Vec3Length(toTarget);
    if (!(length > 0.0f)) {
        distance = minDistance;
        return;
    }
    distance = std::clamp(length, minDistance, maxDistance);
    const Vector3 look = toTarget * (1.0f / length);
    pitch =
        std::clamp(std::asin(std::clamp(-look.y, -1.0f, 1.0f)), -kOrbitMaxPitch, kOrbitMaxPitch);
    yaw = std::atan2(look.x, look.z);
}

void OrbitCamera::FrameBox(const Vector3& boxMin, const Vector3& boxMax,
                           const Matrix4& projection) {
    const CameraFraming framing = ::FrameBox(boxMin, boxMax, projection);
    target = (boxMin + boxMax) * 0.5f;
    yaw = 0.0f;
    pitch = 0.0f;
    const float framed = target.z - framing.position.z;
    const float nearPlane = -projection.m[3][2] / projection.m[2][2];
    minDistance = std::max(framed / 100.0f, 2.0f * nearPlane);
    maxDistance = std::max(framed * 100.0f, minDistance);
    distance = std::clamp(framed, minDistance, maxDistance);
}

void OrbitCamera::Apply(Camera* camera) const {
    camera->position = Eye();
    camera->look = Look();
    camera->right = Right();
    camera->up = Up();
}

Matrix4 OrbitCamera::ViewMatrix() const {
    Camera camera;
    Apply(&camera);
    Matrix4 view;
    camera.BuildViewMatrix(view);
    return view;
}
