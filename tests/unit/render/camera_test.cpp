#include <gtest/gtest.h>

#include "render/camera.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kQuarterPi = 0.7853982f;
constexpr float kTolerance = 1e-5f;

void ExpectNear(const Vector3& actual, const Vector3& expected) {
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
    EXPECT_NEAR(actual.z, expected.z, kTolerance);
}

TEST(CameraTurns, PositiveYawTurnsTheViewTowardsPlusX) {
    Camera camera;
    camera.Yaw(kHalfPi);
    ExpectNear(camera.right, {0, 0, -1});
    ExpectNear(camera.look, {1, 0, 0});
    ExpectNear(camera.up, {0, 1, 0});
}

TEST(CameraTurns, PositivePitchTurnsTheViewDownwards) {
    Camera camera;
    camera.Pitch(kHalfPi);
    ExpectNear(camera.up, {0, 0, 1});
    ExpectNear(camera.look, {0, -1, 0});
    ExpectNear(camera.right, {1, 0, 0});
}

TEST(CameraTurns, PositiveRollTurnsRightUpwards) {
    Camera camera;
    camera.Roll(kHalfPi);
    ExpectNear(camera.right, {0, 1, 0});
    ExpectNear(camera.up, {-1, 0, 0});
    ExpectNear(camera.look, {0, 0, 1});
}

TEST(CameraTurns, YawFollowsTheCurrentUpAxisAfterAPitch) {
    Camera camera;
    camera.Pitch(kQuarterPi);
    ExpectNear(camera.up, {0, 0.70711f, 0.70711f});
    ExpectNear(camera.look, {0, -0.70711f, 0.70711f});
    camera.Yaw(kHalfPi);
    ExpectNear(camera.right, {0, 0.70711f, -0.70711f});
    ExpectNear(camera.look, {1, 0, 0});
}

TEST(CameraTurns, NegativeAnglesUndoAndZeroChangesNothing) {
    Camera camera;
    camera.Yaw(0.3f);
    camera.Yaw(-0.3f);
    camera.Pitch(0.0f);
    camera.Roll(0.0f);
    ExpectNear(camera.right, {1, 0, 0});
    ExpectNear(camera.up, {0, 1, 0});
    ExpectNear(camera.look, {0, 0, 1});
}

TEST(CameraMoves, FollowTheCameraOwnAxes) {
    Camera camera;
    camera.SetPosition({0, 100, -200});
    camera.Walk(10);
    ExpectNear(camera.position, {0, 100, -190});

    camera.look = {0, -0.6f, 0.8f};
    camera.Walk(10);
    ExpectNear(camera.position, {0, 94, -182});

    camera.Strafe(-5);
    ExpectNear(camera.position, {-5, 94, -182});
    camera.Fly(3);
    ExpectNear(camera.position, {-5, 97, -182});
    camera.Walk(0);
    ExpectNear(camera.position, {-5, 97, -182});
}

TEST(CameraView, StartViewIsIdentityRotationWithTheEyeMovedToTheOrigin) {
    Camera camera;
    camera.SetPosition({0, 100, -200});
    Matrix4 view;
    Matrix4& returned = camera.BuildViewMatrix(view);
    EXPECT_EQ(&returned, &view);
    const float expected[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, -100, 200, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(view.m[r][c], expected[r][c], kTolerance) << r << c;
}

TEST(CameraView, RebuildsUnitPerpendicularAxesIgnoringTheOldUp) {
    Camera camera;
    camera.look = {0, 0, 2};
    camera.right = {2, 0, 0};
    camera.up = {5, -7, 3};
    Matrix4 view;
    camera.BuildViewMatrix(view);
    ExpectNear(camera.look, {0, 0, 1});
    ExpectNear(camera.up, {0, 1, 0});
    ExpectNear(camera.right, {1, 0, 0});
}

TEST(CameraView, ManyTurnsStayOrthonormalAfterARebuild) {
    Camera camera;
    for (int i = 0; i < 1000; ++i) {
        camera.Yaw(0.013f);
        camera.Pitch(-0.007f);
        camera.Roll(0.011f);
    }
    Matrix4 view;
    camera.BuildViewMatrix(view);
    EXPECT_NEAR(Vec3Length(camera.right), 1.0f, kTolerance);
    EXPECT_NEAR(Vec3Length(camera.up), 1.0f, kTolerance);
    EXPECT_NEAR(Vec3Length(camera.look), 1.0f, kTolerance);
    EXPECT_NEAR(Vec3Dot(camera.right, camera.up), 0.0f, kTolerance);
    EXPECT_NEAR(Vec3Dot(camera.up, camera.look), 0.0f, kTolerance);
    EXPECT_NEAR(Vec3Dot(camera.look, camera.right), 0.0f, kTolerance);
    // Left-handed: right × up = look.
    ExpectNear(Vec3Cross(camera.right, camera.up), camera.look);
}

}  // namespace
