#include <cmath>

#include "app_fixture.h"

namespace {

using gfx::recording::Call;

constexpr float kTolerance = 1e-5f;

// The camera's look after a yaw of angle from the start axes.
void ExpectYawed(const Camera& camera, float angle) {
    EXPECT_NEAR(camera.look.x, std::sin(angle), kTolerance);
    EXPECT_NEAR(camera.look.y, 0.0f, kTolerance);
    EXPECT_NEAR(camera.look.z, std::cos(angle), kTolerance);
}

TEST_F(AppTest, DragOfTwoHundredPixelsInPiecesYawsOneRadian) {
    backend->PushMouse(WM_RBUTTONDOWN, 100, 50);
    for (int x : {107, 150, 151, 230, 299}) backend->PushMouse(WM_MOUSEMOVE, x, 50);
    backend->PushMouse(WM_RBUTTONUP, 300, 50);
    backend->PushMouse(WM_MOUSEMOVE, 400, 50);  // after the release: no turn
    backend->End();
    EXPECT_EQ(Run(), 0);
    ExpectYawed(App().renderer.camera, 1.0f);
    EXPECT_FALSE(App().dragging);
    // The view was rebuilt from the turned camera.
    EXPECT_NEAR(App().renderer.view.m[0][2], std::sin(1.0f), kTolerance);
}

TEST_F(AppTest, VerticalDragPitchesAndHorizontalYawsFirst) {
    backend->PushMouse(WM_RBUTTONDOWN, 10, 10);
    backend->PushMouse(WM_MOUSEMOVE, 10, 110);  // 100 px down: pitch 0.5 rad downwards
    backend->PushMouse(WM_RBUTTONUP, 10, 110);
    backend->End();
    Run();
    const Camera& camera = App().renderer.camera;
    EXPECT_NEAR(camera.look.y, -std::sin(0.5f), kTolerance);
    EXPECT_NEAR(camera.look.z, std::cos(0.5f), kTolerance);
}

TEST_F(AppTest, PressDuringADragKeepsTheLastPosition) {
    backend->PushMouse(WM_RBUTTONDOWN, 100, 50);
    backend->PushMouse(WM_MOUSEMOVE, 150, 50);
    backend->PushMouse(WM_RBUTTONDOWN, 400, 50);  // no jump to 400
    backend->PushMouse(WM_MOUSEMOVE, 160, 50);
    backend->PushMouse(WM_RBUTTONUP, 160, 50);
    backend->End();
    Run();
    ExpectYawed(App().renderer.camera, 60 * 0.005f);
}

TEST_F(AppTest, ReleaseOutsideTheWindowIsNotSeenSoTheDragGoesOn) {
    backend->PushMouse(WM_RBUTTONDOWN, 0, 0);
    backend->PushMouse(WM_MOUSEMOVE, 100, 0);
    // The button goes up outside the window: no message arrives.
    backend->PushMouse(WM_MOUSEMOVE, 200, 0);
    backend->End();
    Run();
    EXPECT_TRUE(App().dragging);
    ExpectYawed(App().renderer.camera, 1.0f);
}

TEST_F(AppTest, MovesWithoutADragOnlyFollowThePointer) {
    backend->PushMouse(WM_MOUSEMOVE, 10, 20);
    backend->PushMouse(WM_MOUSEMOVE, 300, 400);
    backend->End();
    Run();
    ExpectYawed(App().renderer.camera, 0.0f);
    EXPECT_EQ(App().lastMouseX, 300);
    EXPECT_EQ(App().lastMouseY, 400);
}

TEST_F(AppTest, SpaceTogglesTheFillModeOnTheDeviceAtOnce) {
    backend->PushKeyDown(VK_SPACE);
    backend->PushKeyDown(VK_SPACE, true);  // an auto-repeat toggles too
    backend->PushKeyDown(VK_SPACE, true);
    backend->End();
    Run();
    std::vector<double> modes;
    for (const Call& call : Recorder().Named("SetRenderState"))
        if (call.args[0] == double(gfx::D3DRS_FILLMODE)) modes.push_back(call.args[1]);
    EXPECT_EQ(modes, (std::vector<double>{2, 3, 2}));
    EXPECT_EQ(App().settings.fillMode, 2);
}

TEST_F(AppTest, SpaceTwiceIsSolidAgainAndTheFrameDrawsInIt) {
    backend->PushKeyDown(VK_SPACE);
    backend->PushKeyDown(VK_SPACE);
    backend->Idle();
    backend->End();
    Run();
    EXPECT_EQ(App().settings.fillMode, 3);
    EXPECT_EQ(Count("Present"), 1u);
}

TEST_F(AppTest, KeysOneAndTwoSwitchTheUploadedReflectionFactor) {
    backend->Idle();  // frame 1: 2.0
    backend->PushKeyDown('2');
    backend->Idle();  // frame 2: 0.5
    backend->PushKeyDown('2');
    backend->PushKeyDown('1');
    backend->PushKeyDown('1');
    backend->Idle();  // frame 3: 2.0
    backend->End();
    Run();
    std::vector<double> uploaded;
    for (const Call& call : Recorder().Named("SetFloat"))
        if (call.text == "fRef") uploaded.push_back(call.args[0]);
    EXPECT_EQ(uploaded, (std::vector<double>{2.0, 0.5, 2.0}));
}

TEST_F(AppTest, HoldingWMovesTenAlongLookAndRebuildsTheViewEachTime) {
    backend->PushKeyDown('W');
    backend->PushKeyDown('W', true);
    backend->End();
    Run();
    const Renderer& renderer = App().renderer;
    EXPECT_NEAR(renderer.camera.position.z, -180.0f, kTolerance);
    EXPECT_NEAR(renderer.view.m[3][2], 180.0f, 1e-3f);
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

TEST_F(AppTest, KeysWithoutACommandChangeNothing) {
    for (UINT key : {VK_UP, VK_LEFT, VK_HOME, VK_TAB, VK_RETURN, VK_F1, UINT('X'), UINT('3')})
        backend->PushKeyDown(key);
    backend->End();
    Run();
    const Renderer& renderer = App().renderer;
    EXPECT_EQ(renderer.camera.position, Vector3(0, 100, -200));
    EXPECT_EQ(App().settings.reflectionFactor, 2.0f);
    EXPECT_EQ(App().settings.fillMode, 3);
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
