// The program's frame on the OpenGL device, run as the message loop runs it:
// after the first frames our own code allocates nothing (counted by caller,
// counting_allocator.h, and only around RenderFrame), and each frame is one
// GL draw for the sky, one per mesh and one for the whole HUD.
#include <gtest/gtest.h>

#include <vector>

#include "counting_allocator.h"
#include "platform/gfx/gl/gl_backend.h"
#include "support/app_scene_gl.h"

namespace {

void PumpMessages(Application& app) {
    while (PeekMessageA(&app.message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!GetMessageA(&app.message, nullptr, 0, 0)) return;
        TranslateMessage(&app.message);
        DispatchMessageA(&app.message);
    }
}

// The program's scene with the Run clip.
struct FrameTest : rrtest::AppSceneGlTest {
    FrameTest() { clipPaths = {"Model\\SMD\\Pudo_Red\\Ani_Red(Run).smd"}; }
};

TEST_F(FrameTest, SteadyFramesAllocateNothingInOurCodeAndDrawOncePerPart) {
    alloctest::PrepareCounting();
    const SkinnedModel* model = app.scene.model;
    ASSERT_GT(model->clipCount, 0);
    gfx::Device* device = app.renderer.device;

    // The counter sees an allocation of ours.
    alloctest::StartCounting();
    std::vector<int>* volatile made = new std::vector<int>(3);
    delete made;
    EXPECT_EQ(alloctest::StopCounting().ours, 2u);

    PumpMessages(app);
    app.RenderFrame();  // the first frame makes what later frames reuse

    const uint64_t expectedDraws = 1 + uint64_t(model->meshCount) + 1;
    alloctest::AllocationCounts total;
    for (int frame = 0; frame < 300; ++frame) {
        PumpMessages(app);
        const uint64_t drawsBefore = gfx::gl::GetGlDrawCallCount(device);
        alloctest::StartCounting();
        app.RenderFrame();
        alloctest::AllocationCounts counts = alloctest::StopCounting();
        total.ours += counts.ours;
        total.libraries += counts.libraries;
        ASSERT_EQ(counts.ours, 0u) << "frame " << frame + 2;
        ASSERT_EQ(gfx::gl::GetGlDrawCallCount(device) - drawsBefore, expectedDraws)
            << "frame " << frame + 2 << ": sky 1, model 1 per mesh, HUD 1";
    }
    std::printf("allocations in 300 frames: ours %llu, libraries' %llu\n",
                static_cast<unsigned long long>(total.ours),
                static_cast<unsigned long long>(total.libraries));

    // With the viewer panel shown (Dear ImGui is linked in: its allocations
    // count as ours) the same holds after its first 60 frames.
    app.panel.visible = true;
    uint64_t firstFrames = 0;
    for (int frame = 0; frame < 60; ++frame) {
        PumpMessages(app);
        alloctest::StartCounting();
        app.RenderFrame();
        firstFrames += alloctest::StopCounting().ours;
    }
    EXPECT_GT(firstFrames, 0u) << "the counter sees ImGui's allocations as ours";
    ASSERT_NE(app.panel.renderer.effect, nullptr) << "the panel was not drawn";
    for (int frame = 0; frame < 300; ++frame) {
        PumpMessages(app);
        alloctest::StartCounting();
        app.RenderFrame();
        ASSERT_EQ(alloctest::StopCounting().ours, 0u) << "panel frame " << frame + 61;
    }
}

}  // namespace
