// The viewer panel's model without a display: F1 shows and hides it, the
// messages go to ImGui only while it is shown and only those it wants, a
// hidden panel makes no device call, and the messages list holds every note.
#include <imgui.h>

#include <cmath>
#include <utility>

#include "app/panel_messages.h"
#include "app/viewer_panel.h"
#include "app_fixture.h"
#include "model/skinned_model.h"
#include "scene/playback_control.h"
#include "scene/scene.h"
#include "scene/view_options.h"

namespace {

LPARAM Point(int x, int y) { return MAKELPARAM(uint32_t(x), uint32_t(y)); }

class PanelModelTest : public ::testing::Test {
protected:
    void SetUp() override { panel.Create(); }
    // One frame of the panel's widgets with nothing bound, 800 × 600.
    void Frame() { panel.BuildFrame(800, 600, 1.0f / 60.0f, PanelTargets{}); }
    ViewerPanel panel;
};

TEST_F(PanelModelTest, F1TogglesAndIsTakenEitherWay) {
    EXPECT_FALSE(panel.visible);
    for (bool shown : {true, false}) {
        EXPECT_TRUE(panel.OnMessage(WM_KEYDOWN, VK_F1, 0));
        EXPECT_EQ(panel.visible, shown);
    }
}

// A HiDPI display scales the panel's text and sizes; nonsense stays in 1..4.
TEST_F(PanelModelTest, ScaleFollowsTheDisplaysDotsPerInch) {
    const float baseSpacing = ImGui::GetStyle().ItemSpacing.x;
    for (auto [dpi, scale] : {std::pair{96u, 1.0f}, std::pair{192u, 2.0f}, std::pair{10u, 1.0f},
                              std::pair{2000u, 4.0f}, std::pair{144u, 1.5f}}) {
        panel.ScaleForDpi(dpi);
        ImGui::SetCurrentContext(panel.context);
        EXPECT_FLOAT_EQ(ImGui::GetIO().FontGlobalScale, scale) << dpi;
        EXPECT_FLOAT_EQ(ImGui::GetStyle().ItemSpacing.x, std::floor(baseSpacing * scale)) << dpi;
    }
}

// Over the panel (at the right edge) the mouse is ImGui's; elsewhere, and
// for the program's keys, the program's. Hidden, everything is the program's.
TEST_F(PanelModelTest, MessagesGoToImGuiOnlyWhileShownAndWanted) {
    const LPARAM in = Point(700, 100), out = Point(100, 300);
    const WPARAM wheel = WPARAM(120) << 16;
    const struct {
        const char* name;
        bool visible;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool taken;
    } cases[] = {
        {"hidden: click where the panel is", false, WM_LBUTTONDOWN, 0, in, false},
        {"hidden: wheel", false, WM_MOUSEWHEEL, wheel, in, false},
        {"hidden: key", false, WM_KEYDOWN, 'W', 0, false},
        {"shown: move over the panel", true, WM_MOUSEMOVE, 0, in, true},
        {"shown: click over the panel", true, WM_LBUTTONDOWN, 0, in, true},
        {"shown: release over the panel", true, WM_LBUTTONUP, 0, in, false},
        {"shown: right drag over the panel", true, WM_RBUTTONDOWN, 0, in, true},
        {"shown: wheel over the panel", true, WM_MOUSEWHEEL, wheel, in, true},
        {"shown: move beside it", true, WM_MOUSEMOVE, 0, out, false},
        {"shown: right drag beside it", true, WM_RBUTTONDOWN, 0, out, false},
        {"shown: middle drag beside it", true, WM_MBUTTONDOWN, 0, out, false},
        {"shown: a program key", true, WM_KEYDOWN, 'W', 0, false},
        {"shown: a key release", true, WM_KEYUP, 'W', 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        panel.visible = c.visible;
        // Where the pointer is decides what ImGui wants at the next frame.
        panel.OnMessage(WM_MOUSEMOVE, 0, c.lParam);
        Frame();
        Frame();
        ImGui::SetCurrentContext(panel.context);
        const ImVec2 before = ImGui::GetIO().MousePos;
        EXPECT_EQ(panel.OnMessage(c.message, c.wParam, c.lParam), c.taken);
        if (!c.visible) {
            // Hidden: ImGui saw nothing.
            EXPECT_EQ(ImGui::GetIO().MousePos.x, before.x);
            EXPECT_FALSE(ImGui::GetIO().KeysDown['W']);
        }
        for (UINT up : {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP}) panel.OnMessage(up, 0, c.lParam);
        panel.visible = true;
        panel.OnMessage(WM_KEYUP, 'W', 0);
        Frame();
    }
}

// A press and release between two frames (a quick click) is still a click.
TEST_F(PanelModelTest, ClickBetweenTwoFramesIsSeen) {
    panel.visible = true;
    Frame();
    panel.OnMessage(WM_LBUTTONDOWN, 0, Point(700, 100));
    panel.OnMessage(WM_LBUTTONUP, 0, Point(700, 100));
    Frame();
    ImGui::SetCurrentContext(panel.context);
    EXPECT_TRUE(ImGui::GetIO().MouseClicked[0]);
    EXPECT_FALSE(ImGui::GetIO().MouseDown[0]);  // released for the next frame
    Frame();
    EXPECT_TRUE(ImGui::GetIO().MouseReleased[0]);
}

// What each Display and Clips control does to the state the frame reads.
TEST(PanelControlsTest, ShadingChoicesSetTheEffectAndItsRatio) {
    const struct {
        ShadingChoice choice;
        Shading shading;
        float ratio;  // fRef after the choice, from 1.5
    } cases[] = {
        {ShadingChoice::Reflect, Shading::Effect, 2.0f},
        {ShadingChoice::Refract, Shading::Effect, 0.5f},
        {ShadingChoice::Textured, Shading::Textured, 1.5f},
        {ShadingChoice::PlainLit, Shading::PlainLit, 1.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.choice));
        ViewOptions view;
        FrameSettings frame;
        frame.reflectionFactor = 1.5f;
        ChooseShading(c.choice, &view, &frame);
        EXPECT_EQ(view.shading, c.shading);
        EXPECT_EQ(frame.reflectionFactor, c.ratio);
        EXPECT_EQ(ShadingChoiceOf(view, frame), c.choice);
    }
}

TEST(PanelControlsTest, ClipControlsPlayStepAndScrub) {
    SkinnedModel model;
    model.clipCount = 2;
    ASSERT_TRUE(model.clips[0].AllocateFrames(21, 3));
    ASSERT_TRUE(model.clips[1].AllocateFrames(5, 3));
    FrameSettings frame;
    PlaybackControl playback;
    PlayClip(1, &frame, &playback);
    EXPECT_EQ(frame.clipIndex, 1);
    EXPECT_TRUE(playback.playing);
    StepKeyframe(+1, frame, &playback, &model);
    EXPECT_FALSE(playback.playing);
    EXPECT_EQ(ClipPosition(model, 1), 1.0f);
    StepKeyframe(-1, frame, &playback, &model);
    StepKeyframe(-1, frame, &playback, &model);  // wraps while looping
    EXPECT_EQ(ClipPosition(model, 1), 4.0f);
    PlayClip(0, &frame, &playback);
    ScrubClip(12.25f, frame, &playback, &model);
    EXPECT_FALSE(playback.playing);
    EXPECT_FLOAT_EQ(ClipPosition(model, 0), 12.25f);
    EXPECT_EQ(ClipPosition(model, 1), 4.0f);  // the other clip stays
}

// Every section, drawn with a model of two clips, its notes and all its
// state bound, changes nothing by being drawn.
TEST_F(PanelModelTest, EverySectionDrawsWithEverythingBound) {
    Scene scene;
    scene.model = new SkinnedModel;  // the scene releases it
    scene.model->clipCount = 2;
    ASSERT_TRUE(scene.model->clips[0].AllocateFrames(4, 2));
    ASSERT_TRUE(scene.model->clips[1].AllocateFrames(3, 2));
    scene.description.clipPaths = {"a/walk.smd"};  // clip 1 without a path
    PanelMessages messages;
    messages.Add("a note");
    ViewOptions view;
    FrameSettings frame;
    PlaybackControl playback;
    const Matrix4 world;
    PanelTargets targets{&playback, &view, &frame, &scene, &world, &messages};
    ImGui::SetCurrentContext(panel.context);
    ImGui::GetIO().DisplaySize = ImVec2(800, 600);
    ImGui::GetIO().Fonts->Build();
    for (int i = 0; i < 3; ++i) {
        ImGui::NewFrame();
        ImGui::Begin("sections");
        PanelClips(targets);
        PanelCamera(targets);
        PanelDisplay(targets);
        PanelInformation(targets, &panel.sections);
        ImGui::End();
        ImGui::Render();
    }
    EXPECT_GT(ImGui::GetDrawData()->TotalVtxCount, 1000);
    EXPECT_EQ(frame.reflectionFactor, 2.0f);
    EXPECT_TRUE(playback.playing);
    EXPECT_EQ(view.flatColour, ViewOptions{}.flatColour);
    EXPECT_EQ(panel.sections.boundsModel, scene.model);
}

TEST(PanelMessagesTest, NotesAreKeptNewestFirstAndStillGoOn) {
    std::vector<std::string> passed;
    MessageTee tee;
    PanelMessages messages;
    tee.messages = &messages;
    tee.next.context = &passed;
    tee.next.note = [](void* context, const char* text) {
        static_cast<std::vector<std::string>*>(context)->push_back(text);
    };
    ReportSink sink = TeeReport(&tee);
    EXPECT_EQ(sink.box, nullptr);  // a route without boxes stays without
    sink.Note("first");
    sink.NoteFormat("second %d", 2);
    ASSERT_EQ(messages.newestFirst.size(), 2u);
    EXPECT_EQ(messages.newestFirst[0], "second 2");
    EXPECT_EQ(messages.newestFirst[1], "first");
    EXPECT_EQ(passed, (std::vector<std::string>{"first", "second 2"}));
    for (size_t i = 0; i < kMaxPanelMessages + 5; ++i) sink.Note("more");
    EXPECT_EQ(messages.newestFirst.size(), kMaxPanelMessages);
}

// The whole program on the recording device: hidden, the panel makes no
// device call; F1 shows it (the atlas made once, one scissor rect a
// command); F1 again and the frames are the program's alone.
TEST_F(AppTest, PanelHiddenMakesNoDeviceCallsAndF1ShowsAndHidesIt) {
    folder.Write("Shaders/Panel.fx", "technique TPanel {}");
    backend->Idle();
    backend->Idle();
    backend->PushKeyDown('W');
    backend->Idle();
    backend->End();
    Run();
    EXPECT_EQ(Count("CreateTexture"), 0u);
    EXPECT_EQ(Count("SetScissorRect"), 0u);
    EXPECT_GT(Count("SetRenderState"), 0u);
    const float walked = App().renderer.camera.position.z;

    Restart();
    backend->PushKeyDown(VK_F1);
    backend->Idle();
    backend->Idle();
    backend->PushKeyDown('W');  // the program's key while the panel is shown
    backend->PushKeyDown(VK_F1);
    backend->Idle();
    backend->End();
    Run();
    EXPECT_FALSE(App().panel.visible);
    EXPECT_EQ(Count("CreateTexture"), 1u);
    EXPECT_GT(Count("SetScissorRect"), 2u);
    // After the second F1: no scissor rect in the last frame.
    const auto names = Recorder().Names();
    const auto last = std::find(names.rbegin(), names.rend(), "Present");
    EXPECT_EQ(std::count(last, std::find(last + 1, names.rend(), "Present"), "SetScissorRect"), 0);
    EXPECT_EQ(App().renderer.camera.position.z, walked);
}

}  // namespace
