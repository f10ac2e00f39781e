// The orbit camera: orbiting keeps the distance to the target, zoom stays in
// its range, pan moves target and eye alike, re-framing puts the whole box
// in view, and the view matrix is the free camera's for the same eye and axes.
#include <gtest/gtest.h>

#include <cmath>

#include "render/camera.h"
#include "render/orbit_camera.h"
#include "support/corners_in_view.h"

namespace {

const Matrix4 kProjection =
    MatrixPerspectiveFovLH(3.1415927f / 4.0f, 800.0f / 600.0f, 1.0f, 5000.0f);

float Apart(const Vector3& a, const Vector3& b) { return Vec3Length(a - b); }

TEST(OrbitCameraTest, MovesKeepWhatTheyMustKeep) {
    struct Case {
        const char* name;
        void (*move)(OrbitCamera*);
        bool keepsTarget;
        bool keepsDistance;
        bool keepsAngles;
    } cases[] = {
        {"orbit", [](OrbitCamera* o) { o->Orbit(120, -45); }, true, true, false},
        {"orbit past the pole", [](OrbitCamera* o) { o->Orbit(0, 10000); }, true, true, false},
        {"zoom in", [](OrbitCamera* o) { o->Zoom(2); }, true, false, true},
        {"zoom out", [](OrbitCamera* o) { o->Zoom(-3); }, true, false, true},
        {"pan", [](OrbitCamera* o) { o->Pan(35, -20); }, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrbitCamera orbit;
        orbit.target = Vector3(10, 20, 30);
        orbit.distance = 200;
        orbit.yaw = 0.3f;
        orbit.pitch = 0.2f;
        const OrbitCamera before = orbit;
        c.move(&orbit);
        EXPECT_NEAR(Apart(orbit.Eye(), orbit.target), orbit.distance, 1e-2f);
        if (c.keepsTarget) {
            EXPECT_LT(Apart(orbit.target, before.target), 1e-4f);
        }
        if (c.keepsDistance) {
            EXPECT_FLOAT_EQ(orbit.distance, before.distance);
        }
        if (c.keepsAngles) {
            EXPECT_FLOAT_EQ(orbit.yaw, before.yaw);
            EXPECT_FLOAT_EQ(orbit.pitch, before.pitch);
            // Same direction: the eye and the target moved alike (pan) or
            // along the look (zoom).
            EXPECT_LT(Apart(orbit.Look(), before.Look()), 1e-5f);
        }
        EXPECT_LE(std::fabs(orbit.pitch), kOrbitMaxPitch);
    }
}

// Pan moves target and eye alike across the view, with the mouse; zoom
// steps by kZoomPerNotch and stops at its range's ends.
TEST(OrbitCameraTest, PanFollowsTheMouseAndZoomClampsToItsRange) {
    OrbitCamera orbit;
    orbit.distance = 100;
    orbit.yaw = 0.5f;
    const Vector3 eye = orbit.Eye();
    orbit.Pan(10, 0);  // the picture follows the mouse: the camera goes left
    const Vector3 moved = orbit.target;
    EXPECT_LT(Apart(orbit.Eye() - eye, moved), 1e-4f);
    EXPECT_LT(Vec3Dot(moved, orbit.Right()), 0.0f);
    EXPECT_NEAR(Vec3Dot(moved, orbit.Look()), 0.0f, 1e-5f);
    EXPECT_NEAR(Vec3Length(moved), 10 * 100 * kPanPerPixel, 1e-4f);

    orbit.minDistance = 10;
    orbit.maxDistance = 1000;
    for (auto [notches, distance] :
         {std::pair{1, 100 * kZoomPerNotch}, {1000, 10.0f}, {-1000, 1000.0f}}) {
        orbit.Zoom(float(notches));
        EXPECT_FLOAT_EQ(orbit.distance, distance) << notches;
    }
}

TEST(OrbitCameraTest, FrameBoxPutsEveryCornerInTheViewAndLookFromKeepsTheEye) {
    struct Case {
        Vector3 low, high;
    } cases[] = {
        {{-45, 100, 60}, {45, 228, 140}},          // the program's own character
        {{-220, 140, -90}, {130, 586, 220}},       // larger, off the origin
        {{0, -2000, 0}, {10, 2000, 10}},           // tall and thin
        {{0.1f, 0.1f, 0.1f}, {0.2f, 0.3f, 0.2f}},  // tiny
    };
    for (const Case& c : cases) {
        OrbitCamera orbit;
        orbit.FrameBox(c.low, c.high, kProjection);
        EXPECT_LT(Apart(orbit.target, (c.low + c.high) * 0.5f), 1e-4f);
        EXPECT_LE(orbit.minDistance, orbit.distance);
        EXPECT_GE(orbit.maxDistance, orbit.distance);
        // In front of the camera and inside the picture's edges (the far
        // plane is the renderer's: a box thousands of units deep may reach it).
        EXPECT_TRUE(rrtest::CornersInView(c.low, c.high, orbit.ViewMatrix(), kProjection, false))
            << c.high.y;
        // Looking at the centre from an eye elsewhere keeps that eye.
        const Vector3 eye = c.high + Vector3(5, 7, -30);
        orbit.LookFrom(eye, orbit.target);
        EXPECT_LT(Apart(orbit.Eye(), eye), 1e-2f * Apart(eye, orbit.target));
    }
}

TEST(OrbitCameraTest, ItsViewIsTheFreeCamerasForTheSameEyeAndAxes) {
    OrbitCamera orbit;
    orbit.target = Vector3(1, 2, 3);
    orbit.distance = 50;
    orbit.yaw = -0.7f;
    orbit.pitch = 0.4f;
    Camera camera;
    orbit.Apply(&camera);
    Matrix4 view;
    camera.BuildViewMatrix(view);
    EXPECT_TRUE(view == orbit.ViewMatrix());
    // The target is straight ahead, at the distance.
    const Vector3 ahead = Vec3TransformCoord(orbit.target, view);
    EXPECT_LT(Apart(ahead, Vector3(0, 0, 50)), 1e-3f);
    // At yaw 0, pitch 0 the axes are the free camera's construction axes.
    OrbitCamera straight;
    EXPECT_EQ(straight.Look(), Vector3(0, 0, 1));
    EXPECT_EQ(straight.Right(), Vector3(1, 0, 0));
    EXPECT_EQ(straight.Up(), Vector3(0, 1, 0));
}

}  // namespace
