#include <cmath>

#include "app_fixture.h"

namespace {

using gfx::recording::Call;

constexpr float kTolerance = 1e-5f;

// The camera's look after a yaw, then a pitch downwards, from the start axes.
void ExpectLook(const Camera& camera, float yaw, float pitch) {
    EXPECT_NEAR(camera.look.x, std::sin(yaw) * std::cos(pitch), kTolerance);
    EXPECT_NEAR(camera.look.y, -std::sin(pitch), kTolerance);
    EXPECT_NEAR(camera.look.z, std::cos(yaw) * std::cos(pitch), kTolerance);
}

// A right drag turns the camera 0.005 rad a pixel; other mouse messages
// only follow the pointer.
TEST_F(AppTest, RightDragsTurnTheCameraAndMovesFollowThePointer) {
    struct Mouse {
        UINT message;
        int x, y;
    };
    const UINT down = WM_RBUTTONDOWN, up = WM_RBUTTONUP, move = WM_MOUSEMOVE;
    const struct Case {
        const char* name;
        std::vector<Mouse> script;
        float yaw, pitch;
        bool dragging;  // afterwards
    } cases[] = {
        // clang-format off
        {"two hundred pixels in pieces: one radian; after the release no turn",
         {{down, 100, 50}, {move, 107, 50}, {move, 150, 50}, {move, 151, 50}, {move, 230, 50},
          {move, 299, 50}, {up, 300, 50}, {move, 400, 50}}, 1.0f, 0.0f, false},
        {"100 px down: pitch 0.5 rad downwards",
         {{down, 10, 10}, {move, 10, 110}, {up, 10, 110}}, 0.0f, 0.5f, false},
        {"a press during a drag keeps the last position: no jump to 400",
         {{down, 100, 50}, {move, 150, 50}, {down, 400, 50}, {move, 160, 50}, {up, 160, 50}},
         60 * 0.005f, 0.0f, false},
        // The button goes up outside the window: no message arrives.
        {"a release outside the window is not seen, so the drag goes on",
         {{down, 0, 0}, {move, 100, 0}, {move, 200, 0}}, 1.0f, 0.0f, true},
        {"moves without a drag", {{move, 10, 20}, {move, 300, 400}}, 0.0f, 0.0f, false},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        for (const Mouse& m : c.script) backend->PushMouse(m.message, m.x, m.y);
        backend->End();
        EXPECT_EQ(Run(), 0);
        ExpectLook(App().renderer.camera, c.yaw, c.pitch);
        EXPECT_EQ(App().dragging, c.dragging);
        EXPECT_EQ(App().lastMouseX, c.script.back().x);
        EXPECT_EQ(App().lastMouseY, c.script.back().y);
        // The view was rebuilt from the turned camera.
        EXPECT_NEAR(App().renderer.view.m[0][2], std::sin(c.yaw) * std::cos(c.pitch), kTolerance);
    }
}

// Space toggles the fill mode on the device at once (an auto-repeat too),
// '1' and '2' switch the reflection factor the next frame uploads, W moves
// ten along look and rebuilds the view; keys without a command change
// nothing.
TEST_F(AppTest, KeysChangeTheFillModeTheFactorAndTheCamera) {
    const UINT frame = 0;  // in a script: an idle turn, one frame
    const struct Case {
        const char* name;
        std::vector<std::pair<UINT, bool>> script;  // key, auto-repeat
        std::vector<double> fillModesSet, factorsUploaded;
        int fillMode;
        float z;  // the camera's
    } cases[] = {
        // clang-format off
        {"space, held", {{VK_SPACE, false}, {VK_SPACE, true}, {VK_SPACE, true}},
         {2, 3, 2}, {}, 2, -200},
        {"space twice: solid again, and the frame draws in it",
         {{VK_SPACE, false}, {VK_SPACE, false}, {frame, false}}, {2, 3}, {2.0}, 3, -200},
        {"1 and 2", {{frame, false}, {'2', false}, {frame, false}, {'2', false}, {'1', false},
                     {'1', false}, {frame, false}}, {}, {2.0, 0.5, 2.0}, 3, -200},
        {"W, held", {{'W', false}, {'W', true}}, {}, {}, 3, -180},
        {"keys without a command", {{VK_UP, false}, {VK_LEFT, false}, {VK_HOME, false},
                                    {VK_TAB, false}, {VK_RETURN, false}, {VK_F1, false},
                                    {'X', false}, {'3', false}}, {}, {}, 3, -200},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        for (auto [key, repeat] : c.script) {
            if (key == frame)
                backend->Idle();
            else
                backend->PushKeyDown(key, repeat);
        }
        backend->End();
        EXPECT_EQ(Run(), 0);
        std::vector<double> modes, uploaded;
        for (const Call& call : Recorder().Named("SetRenderState"))
            if (call.args[0] == double(gfx::D3DRS_FILLMODE)) modes.push_back(call.args[1]);
        for (const Call& call : Recorder().Named("SetFloat"))
            if (call.text == "fRef") uploaded.push_back(call.args[0]);
        EXPECT_EQ(modes, c.fillModesSet);
        EXPECT_EQ(App().settings.fillMode, c.fillMode);
        EXPECT_EQ(uploaded, c.factorsUploaded);
        EXPECT_EQ(Count("Present"), c.factorsUploaded.size());  // one upload a frame
        EXPECT_EQ(App().settings.reflectionFactor, 2.0f);
        const Renderer& renderer = App().renderer;
        EXPECT_NEAR(renderer.camera.position.x, 0.0f, kTolerance);
        EXPECT_NEAR(renderer.camera.position.y, 100.0f, kTolerance);
        EXPECT_NEAR(renderer.camera.position.z, c.z, kTolerance);
        EXPECT_NEAR(renderer.view.m[3][2], -c.z, 1e-3f);  // the view rebuilt each time
    }
}

TEST_F(AppTest, MovesFollowTheTurnedCameraAndRollTurnsOneDegree) {
    backend->PushMouse(WM_RBUTTONDOWN, 0, 0);
    backend->PushMouse(WM_RBUTTONUP, 314, 0);  // yaw ≈ π/2 (1.57 rad)
    backend->PushKeyDown('W');
    backend->PushKeyDown('S');
    backend->PushKeyDown('S');
    backend->PushKeyDown('D');
    backend->PushKeyDown('A');
    backend->PushKeyDown('R');
    backend->PushKeyDown('F');
    backend->PushKeyDown('F');
    backend->PushKeyDown('Q');
    backend->End();
    Run();
    const Camera& camera = App().renderer.camera;
    float yaw = 314 * 0.005f;
    // One step back along look and one down along up.
    EXPECT_NEAR(camera.position.x, -10 * std::sin(yaw), 1e-3f);
    EXPECT_NEAR(camera.position.y, 90.0f, 1e-3f);
    EXPECT_NEAR(camera.position.z, -200 - 10 * std::cos(yaw), 1e-3f);
    // Q rolled the up axis one degree about look.
    EXPECT_NEAR(std::acos(camera.up.y), 0.017453292f, 1e-4f);
}

TEST_F(AppTest, WhileInactiveNothingIsDrawnAndTheLoopWaits) {
    backend->Push(WM_ACTIVATE, WA_INACTIVE);
    size_t presentsAtWait = 99;
    uint32_t countedAtWait = 99;
    backend->onWait = [&](ScriptedWindowBackend& script) {
        presentsAtWait = Count("Present");
        countedAtWait = App().hud.counter.frameCounter;
        script.onWait = nullptr;
        script.Push(WM_ACTIVATE, WA_ACTIVE);
        script.Idle();
        script.End();
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(backend->waits, 1u);
    // The show activated the window and drew nothing before the message made it inactive.
    EXPECT_EQ(presentsAtWait, 0u);
    EXPECT_EQ(countedAtWait, 0u);
    EXPECT_EQ(Count("Present"), 1u);
    EXPECT_TRUE(App().active);
}

TEST_F(AppTest, SizeReportsAreStoredAndLaterOnesResizeNothing) {
    backend->Push(WM_SIZE, 0, MAKELPARAM(1024, 700));
    backend->End();
    Run();
    EXPECT_EQ(App().clientWidth, 1024);
    EXPECT_EQ(App().clientHeight, 700);
    EXPECT_EQ(App().renderer.viewportWidth, 800);
    std::vector<Call> viewports = Recorder().Named("SetViewport");
    EXPECT_EQ(viewports.size(), 1u);
}

TEST_F(AppTest, QuietMessagesReturnZeroAndCloseGetsTheDefaultHandling) {
    backend->End();
    Run();
    Application& app = App();
    HWND window = app.window;
    for (UINT message : {WM_CREATE, WM_ACTIVATEAPP, WM_INITMENU, WM_MOUSEWHEEL, WM_COMMAND})
        EXPECT_EQ(app.WindowProc(window, message, 0x1234, 0x5678), 0) << message;
    EXPECT_FALSE(backend->windows[0].destroyed);
    EXPECT_EQ(StaticWindowProc(window, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(backend->windows[0].destroyed);
    EXPECT_EQ(backend->quitRequests, (std::vector<int>{0}));
}

TEST_F(AppTest, TheFrameRateComesFromTheWindowLayerTicks) {
    backend->ticks = 0xFFFFF000u;  // wraps during the run
    backend->tickStep = 200;       // every read moves the clock on
    for (int i = 0; i < 10; ++i) backend->Idle();
    backend->End();
    Run();
    EXPECT_EQ(Count("Present"), 10u);
    EXPECT_GT(App().hud.framesPerSecond, 1.0f);
    EXPECT_LT(App().hud.framesPerSecond, 10.0f);  // a wrap mistaken for 4 billion ms would give ~0
}

}  // namespace
