// The playback keys (P, ',' and '.', only while the panel is shown), F12,
// vsync and each frame's clip step, through the program's loop on the
// recording device, plus the screenshot key's file names.
#include <ctime>

#include "app/key_screenshot.h"
#include "app_fixture.h"
#include "model/skinned_model.h"
#include "support/report_capture.h"
#include "support/smd_texts.h"
#include "support/text_files.h"

namespace {

// The program's own character: one bone, one triangle, clips of 4
// keyframes in which the bone stands at x = 10 f.
const char kClip[] =
    "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\n"
    "time 1\n0 10 0 0 0 0 0\ntime 2\n0 20 0 0 0 0 0\ntime 3\n0 30 0 0 0 0 0\nend\n";

class PlaybackKeysTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteCharacter(rrtest::SmdReference(1), kClip);
        services.liveReport = live.Sink();
    }
    float Position() { return ClipPosition(*App().scene.model, 0); }
    rrtest::ReportCapture live;
};

TEST_F(PlaybackKeysTest, KeysPlayPauseAndStepOnlyWithThePanel) {
    struct Case {
        const char* what;
        bool panel;
        std::vector<std::pair<UINT, bool>> keys;  // key, auto-repeat
        bool playing;
        float position;  // after the keys and one frame
        bool loop = true;
    } cases[] = {
        {"P pauses", true, {{'P', false}}, false, 0.0f},
        {"P twice plays", true, {{'P', false}, {'P', false}}, true, 0.0f},
        {"a held P toggles once", true, {{'P', false}, {'P', true}, {'P', true}}, false, 0.0f},
        {"'.' steps and pauses", true, {{VK_OEM_PERIOD, false}}, false, 1.0f},
        {"held '.' goes on", true, {{VK_OEM_PERIOD, false}, {VK_OEM_PERIOD, true}}, false, 2.0f},
        {"',' wraps to the last", true, {{VK_OEM_COMMA, false}}, false, 3.0f},
        {"without the panel: nothing", false, {{'P', false}, {VK_OEM_PERIOD, false}}, true, 0.0f},
        {"P on the last keyframe, not looping: plays from the first",
         true,
         {{VK_OEM_PERIOD, false}, {VK_OEM_PERIOD, false}, {VK_OEM_PERIOD, false}, {'P', false}},
         true,
         0.01f,
         false},
    };
    for (const Case& c : cases) {
        Restart();
        live.Clear();
        backend->Idle();  // the first frame
        for (auto [key, repeat] : c.keys) backend->PushKeyDown(key, repeat);
        backend->Idle();
        backend->End();
        options.panel = c.panel ? PanelChoice::Shown : PanelChoice::Hidden;
        App().playback.loop = c.loop;
        SCOPED_TRACE(c.what);
        ASSERT_EQ(RunQuietly(), 0);
        EXPECT_EQ(App().panel.visible, c.panel);
        EXPECT_EQ(App().playback.playing, c.playing);
        // Per drawn frame: two frames of 0.01 stay on keyframe 0's first interval.
        EXPECT_EQ(Position(), c.position);
    }
}

// --playback time, --fps and --vsync reach the frame: the step by the
// window layer's clock, whole keyframes carried, the device told once.
TEST_F(PlaybackKeysTest, RealTimeAndVsyncReachTheFrame) {
    options.playback = PlaybackChoice::RealTime;
    options.keyframesPerSecond = 10;
    options.vsync = true;
    backend->tickStep = 50;  // every read of the clock moves it 50 ms on
    for (int frame = 0; frame < 4; ++frame) backend->Idle();
    backend->End();
    ASSERT_EQ(RunQuietly(), 0);
    EXPECT_TRUE(App().settings.clipMotion.carry);
    // Read once by the step and once by the frame rate: 100 ms a frame.
    EXPECT_FLOAT_EQ(App().settings.animationTimeStep, 1.0f);
    EXPECT_GT(Position(), 0.0f);
    ASSERT_EQ(Count("SetPresentInterval"), 1u);
    EXPECT_EQ(Recorder().Named("SetPresentInterval")[0].args,
              (std::vector<double>{gfx::D3DPRESENT_INTERVAL_ONE}));
}

TEST_F(PlaybackKeysTest, F12SavesOnePicturePerPressAndSaysWhyItCannot) {
    backend->Idle();
    backend->PushKeyDown(VK_F1 + 11);
    backend->PushKeyDown(VK_F1 + 11, true);  // held: no more
    backend->PushKeyDown(VK_F1 + 11);        // pressed again: one more, a frame later
    for (int frame = 0; frame < 3; ++frame) backend->Idle();
    backend->End();
    ASSERT_EQ(RunQuietly(), 0);
    // The recording device has no pixels to give.
    const std::string why =
        "F12: the picture could not be saved: the picture could not be read back";
    EXPECT_EQ(live.notes, (std::vector<std::string>{why, why}));
    EXPECT_EQ(App().keyScreenshotsPending, 0);
    EXPECT_EQ(Count("GetBackBufferPixels"), 2u);
}

// With the panel the window is resizable, F11 makes it fullscreen and the
// back buffer and projection follow its client size; hiding the panel
// brings the fixed 800 × 600 window and back buffer back.
TEST_F(PlaybackKeysTest, WithThePanelTheBackBufferFollowsTheWindow) {
    options.panel = PanelChoice::Shown;
    backend->Idle();
    backend->Push(WM_SIZE, 0, MAKELPARAM(1024, 700));
    backend->PushKeyDown(VK_F1 + 10);  // F11, held: once
    backend->PushKeyDown(VK_F1 + 10, true);
    backend->Idle();
    backend->End();
    ASSERT_EQ(RunQuietly(), 0);
    const auto& restyles = backend->windows[0].restyles;
    using Restyle = std::pair<DWORD, bool>;
    const DWORD resizable = restyles.at(0).first;
    EXPECT_TRUE(resizable & WS_THICKFRAME);
    EXPECT_EQ(restyles, (std::vector<Restyle>{{resizable, false}, {resizable, true}}));
    EXPECT_EQ(Recorder().Named("ResizeBackBuffer").at(0).args, (std::vector<double>{1024, 700}));
    const Renderer& renderer = App().renderer;
    EXPECT_FLOAT_EQ(renderer.projection.m[1][1] / renderer.projection.m[0][0], 1024.0f / 700);
    EXPECT_EQ(Recorder().Named("SetViewport").back().args,
              (std::vector<double>{0, 0, 1024, 700, 0, 1}));

    App().panel.visible = false;  // F1: the fixed window comes back
    App().ApplyWindowMode();
    EXPECT_EQ(restyles.back(), Restyle(resizable & ~WS_THICKFRAME, false));
    EXPECT_EQ(backend->windows[0].clientSizes.back(), std::make_pair(800, 600));
    EXPECT_EQ(Recorder().Named("ResizeBackBuffer").back().args, (std::vector<double>{800, 600}));
}

// The names and folders of F12's pictures; a file already there is kept.
TEST(KeyScreenshotTest, NamesFoldersAndPicturesInTheSameSecond) {
    std::tm when{};
    ASSERT_NE(strptime("2026-12-08 09:41:07", "%Y-%m-%d %H:%M:%S", &when), nullptr);
    EXPECT_EQ(KeyScreenshotFolder(nullptr, "/home/a"), "/home/a/");
    EXPECT_EQ(KeyScreenshotFolder("/home/a/Pictures", "/w"), "/home/a/Pictures/");
    rrtest::TempFolder pictures;
    const std::string folder = pictures.Path().string() + "/";
    const std::string first = pictures.Write("reflect-refract-2026-12-08-09-41-07.png", "mine");
    FrameCapture capture{true, 1, 1, {255, 0, 0, 255}};
    std::string path, error;
    ASSERT_TRUE(SaveKeyScreenshot(capture, folder, when, &path, &error)) << error;
    EXPECT_EQ(path, folder + "reflect-refract-2026-12-08-09-41-07-2.png");
    EXPECT_EQ(rrtest::ReadText(first), "mine");
    EXPECT_FALSE(SaveKeyScreenshot(capture, folder + "missing/", when, &path, &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

}  // namespace
