#include "render/camera.h"

void Camera::SetPosition(const Vector3& newPosition) { position = newPosition; }

void Camera::Walk(float units) { position += look * units; }

void Camera::Strafe(float units) { position += right * units; }

void Camera::Fly(float units) { position += up * units; }

// Each turn builds one rotation about its own axis and turns the other two.
void Camera::Pitch(float angle) {
    Matrix4 turn = MatrixRotationAxis(right, angle);
    up = Vec3TransformCoord(up, turn);
    look = Vec3TransformCoord(look, turn);
}

void Camera::Yaw(float angle) {
    Matrix4 turn = MatrixRotationAxis(up, angle);
    right = Vec3TransformCoord(right, turn);
    look = Vec3TransformCoord(look, turn);
}

void Camera::Roll(float angle) {
    Matrix4 turn = MatrixRotationAxis(look, angle);
    right = Vec3TransformCoord(right, turn);
    up = Vec3TransformCoord(up, turn);
}

Matrix4& Camera::BuildViewMatrix(Matrix4& out) {
    // look × right is up and up × look is right in a left-handed frame; the
    // previous up does not enter, so rounding from the turns cannot pile up.
    look = Vec3Normalize(look);
    up = Vec3Normalize(Vec3Cross(look, right));
    right = Vec3Normalize(Vec3Cross(up, look));

    out.m[0][0] = right.x;
    out.m[0][1] = up.x;
    out.m[0][2] = look.x;
    out.m[0][3] = 0.0f;
    out.m[1][0] = right.y;
    out.m[1][1] = up.y;
    out.m[1][2] = look.y;
    out.m[1][3] = 0.0f;
    out.m[2][0] = right.z;
    out.m[2][1] = up.z;
    out.m[2][2] = look.z;
    out.m[2][3] = 0.0f;
    out.m[3][0] = -Vec3Dot(right, position);
    out.m[3][1] = -Vec3Dot(up, position);
    out.m[3][2] = -Vec3Dot(look, position);
    out.m[3][3] = 1.0f;
    return out;
}
