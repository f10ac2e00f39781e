// The camera placed for a character given on the command line sees all of
// it, below the HUD, whatever its size and place.
#include <gtest/gtest.h>

#include <cmath>

#include "render/camera.h"
#include "render/camera_framing.h"

namespace {

const Matrix4 kProjection = MatrixPerspectiveFovLH(3.1415927f / 4.0f, 800.0f / 600.0f, 1.0f, 5000.0f);

TEST(CameraFramingTest, EveryCornerOfTheBoxIsInViewBelowTheHud) {
    struct Case {
        Vector3 low, high;
    } cases[] = {
        {{-45, 100, 60}, {45, 229, 140}},       // the program's own character
        {{-220, 140, -90}, {130, 586, 220}},    // a larger one, off the origin
        {{-500, 0, 0}, {500, 10, 10}},          // wide and flat
        {{0, -2000, 0}, {10, 2000, 10}},        // tall and thin
        {{0.1f, 0.1f, 0.1f}, {0.2f, 0.3f, 0.2f}},  // tiny: kept beyond the near plane
    };
    for (const Case& c : cases) {
        CameraFraming framing = FrameBox(c.low, c.high, kProjection);
        Camera camera;
        camera.SetPosition(framing.position);
        Matrix4 view;
        camera.BuildViewMatrix(view);
        Matrix4 viewProjection = view * kProjection;
        float top = -1.0f, bottom = 1.0f, right = -1.0f, left = 1.0f;
        for (int corner = 0; corner < 8; ++corner) {
            Vector3 p((corner & 1) ? c.high.x : c.low.x, (corner & 2) ? c.high.y : c.low.y,
                      (corner & 4) ? c.high.z : c.low.z);
            Vector3 eye = Vec3TransformCoord(p, view);
            ASSERT_GE(eye.z, 2.0f) << c.high.x << " corner " << corner;
            Vector3 ndc = Vec3TransformCoord(p, viewProjection);
            EXPECT_LE(std::fabs(ndc.x), kFramingMargin + 1e-4f) << c.high.x << " corner " << corner;
            EXPECT_LE(ndc.y, kFramingTop * kFramingMargin + 1e-4f) << c.high.x << " corner " << corner;
            EXPECT_GE(ndc.y, -kFramingMargin - 1e-4f) << c.high.x << " corner " << corner;
            top = std::max(top, ndc.y);
            bottom = std::min(bottom, ndc.y);
            right = std::max(right, ndc.x);
            left = std::min(left, ndc.x);
        }
        // Not lost in the distance: its front fills the window one way,
        // unless it is so small that the near plane keeps the camera back.
        bool heldBack = c.low.z - framing.position.z <= 2.001f;
        EXPECT_TRUE(heldBack || top - bottom > 1.34f || right - left > 1.79f) << c.high.x;
    }
}

TEST(CameraFramingTest, MoveStepFollowsTheLargestSide) {
    EXPECT_NEAR(FrameBox({-45, 100, 60}, {45, 228, 140}, kProjection).moveUnits, 10.0f, 0.01f);
    EXPECT_NEAR(FrameBox({0, 0, 0}, {10, 1280, 10}, kProjection).moveUnits, 100.0f, 0.01f);
    EXPECT_GT(FrameBox({1, 1, 1}, {1, 1, 1}, kProjection).moveUnits, 0.0f);
}

}  // namespace
