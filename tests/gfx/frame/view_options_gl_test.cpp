// The view options on the OpenGL device with the program's own character:
// the built-in effects compile, the pictures show what each option asks
// (textured differs from the reflection, the skeleton's colour over the
// model, the flat background), and steady frames with every option on
// allocate nothing in our code.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "counting_allocator.h"
#include "support/app_scene_gl.h"

namespace {

// The frame's picture as the screenshot takes it.
FrameCapture Picture(Application& app, const ViewOptions& view) {
    app.settings.view = view;
    FrameCapture capture;
    FrameRenderer frame = app.Frame();
    frame.settings.capture = &capture;
    frame.RenderFrame();
    return capture;
}

// Pixels whose colour lies within tolerance of rgb.
int PixelsNear(const FrameCapture& picture, uint32_t rgb, int tolerance) {
    int count = 0;
    for (size_t i = 0; i + 3 < picture.rgba.size(); i += 4) {
        const int r = picture.rgba[i], g = picture.rgba[i + 1], b = picture.rgba[i + 2];
        count += std::abs(r - int(rgb >> 16 & 0xFF)) <= tolerance &&
                 std::abs(g - int(rgb >> 8 & 0xFF)) <= tolerance &&
                 std::abs(b - int(rgb & 0xFF)) <= tolerance;
    }
    return count;
}

int PixelsDiffering(const FrameCapture& a, const FrameCapture& b) {
    int count = 0;
    for (size_t i = 0; i + 3 < a.rgba.size() && i + 3 < b.rgba.size(); i += 4)
        count += a.rgba[i] != b.rgba[i] || a.rgba[i + 1] != b.rgba[i + 1] ||
                 a.rgba[i + 2] != b.rgba[i + 2];
    return count;
}

using ViewOptionsGlTest = rrtest::AppSceneGlTest;

TEST_F(ViewOptionsGlTest, PicturesShowEachOptionAndSteadyFramesAllocateNothing) {
    alloctest::PrepareCounting();
    app.settings.animationTimeStep = 0.0f;  // one pose for every picture

    const FrameCapture reflect = Picture(app, ViewOptions{});
    ASSERT_TRUE(reflect.taken);
    EXPECT_EQ(app.display.lit.effect, nullptr);  // nothing made at the defaults

    const FrameCapture texturedPicture = Picture(app, {.shading = Shading::Textured});
    ASSERT_NE(app.display.lit.effect, nullptr) << "Shaders/Textured.fx did not compile";
    // The character's red textures: the model's pixels change, the sky not.
    EXPECT_GT(PixelsDiffering(reflect, texturedPicture), 5000);
    EXPECT_GT(PixelsNear(texturedPicture, 0xC02020, 70), 2000);
    EXPECT_LT(PixelsNear(reflect, 0xC02020, 70), 100);

    EXPECT_GT(PixelsDiffering(texturedPicture, Picture(app, {.shading = Shading::PlainLit})), 5000);

    const FrameCapture skeletonPicture = Picture(app, {.skeleton = true});
    ASSERT_NE(app.display.overlay.effect, nullptr) << "Shaders/Overlay.fx did not compile";
    EXPECT_GT(PixelsNear(skeletonPicture, kBoneColour & 0xFFFFFF, 8), 50);
    EXPECT_GT(PixelsNear(skeletonPicture, kJointColour & 0xFFFFFF, 8), 20);
    EXPECT_EQ(PixelsNear(reflect, kBoneColour & 0xFFFFFF, 8), 0);

    // Everything but the character and the HUD is the flat colour.
    const FrameCapture flatPicture =
        Picture(app, {.background = Background::FlatColour, .flatColour = 0xFF206040u});
    EXPECT_GT(PixelsNear(flatPicture, 0x206040, 1), 800 * 600 / 2);

    // Every option on at once: after the first frames, nothing allocated in
    // our code per frame.
    app.settings.view = {.shading = Shading::Textured,
                         .cullBackFaces = false,
                         .skeleton = true,
                         .normals = true,
                         .boundingBox = true,
                         .facing = ModelFacing::FrontPlusY};
    app.settings.animationTimeStep = 0.01f;
    for (int frame = 0; frame < 3; ++frame) app.RenderFrame();
    for (int frame = 0; frame < 60; ++frame) {
        alloctest::StartCounting();
        app.RenderFrame();
        ASSERT_EQ(alloctest::StopCounting().ours, 0u) << "frame " << frame + 4;
    }
}

}  // namespace
