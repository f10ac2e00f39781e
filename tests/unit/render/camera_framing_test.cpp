// The camera placed for a character given on the command line sees all of
// it, below the HUD, whatever its size and place; for a picture without the
// HUD (a square thumbnail) all of it, anywhere in the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/camera.h"
#include "render/camera_framing.h"

namespace {

TEST(CameraFramingTest, EveryCornerIsInViewBelowTheHudAndTheStepFollowsTheSize) {
    for (float aspect : {800.0f / 600.0f, 1.0f}) {
        const float limit = aspect == 1.0f ? 1.0f : kFramingTop;
        const Matrix4 projection = MatrixPerspectiveFovLH(3.1415927f / 4.0f, aspect, 1.0f, 5000.0f);
        struct Case {
            Vector3 low, high;
            float step;
        } cases[] = {
            {{-45, 100, 60}, {45, 228, 140}, 10.0f},          // the program's own character
            {{-220, 140, -90}, {130, 586, 220}, 34.84f},      // larger, off the origin
            {{-500, 0, 0}, {500, 10, 10}, 78.125f},           // wide and flat
            {{0, -2000, 0}, {10, 2000, 10}, 312.5f},          // tall and thin
            {{0.1f, 0.1f, 0.1f}, {0.2f, 0.3f, 0.2f}, 0.01f},  // tiny: held back by the near plane
        };
        for (const Case& c : cases) {
            CameraFraming framing = FrameBox(c.low, c.high, projection, limit);
            EXPECT_NEAR(framing.moveUnits, c.step, 0.01f) << c.high.y;
            Camera camera;
            camera.SetPosition(framing.position);
            Matrix4 view;
            camera.BuildViewMatrix(view);
            float top = -1, bottom = 1, right = -1, left = 1;
            for (int corner = 0; corner < 8; ++corner) {
                Vector3 p((corner & 1) ? c.high.x : c.low.x, (corner & 2) ? c.high.y : c.low.y,
                          (corner & 4) ? c.high.z : c.low.z);
                ASSERT_GE(Vec3TransformCoord(p, view).z, 2.0f) << c.high.y;
                Vector3 ndc = Vec3TransformCoord(p, view * projection);
                top = std::max(top, ndc.y), bottom = std::min(bottom, ndc.y);
                right = std::max(right, ndc.x), left = std::min(left, ndc.x);
            }
            const float edge = kFramingMargin + 1e-4f;
            EXPECT_TRUE(left >= -edge && right <= edge && bottom >= -edge && top <= limit * edge)
                << c.high.y << ": " << left << " " << right << " " << bottom << " " << top;
            // Not lost in the distance: the front fills the window one way.
            bool heldBack = c.low.z - framing.position.z <= 2.001f;
            EXPECT_TRUE(heldBack || top - bottom > (1.0f + limit) * kFramingMargin - 0.01f ||
                        right - left > 2.0f * kFramingMargin - 0.01f)
                << c.high.y;
        }
    }
}

}  // namespace
