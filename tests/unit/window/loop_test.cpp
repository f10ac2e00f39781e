// A message loop of the program's shape (all waiting messages, then one
// frame if active, else wait) driven by the scripted backend.
#include <gtest/gtest.h>

#include <string>

#include "platform/window/core/window_api.h"
#include "platform/window/scripted/scripted_window_backend.h"

namespace {

struct LoopState {
    bool active = true;
    std::string trace;  // one letter per event: K key, F frame, W wait, A/I activation
};

LoopState* state = nullptr;

LRESULT LoopProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        state->active = LOWORD(wParam) != WA_INACTIVE;
        state->trace += state->active ? 'A' : 'I';
        return 0;
    case WM_KEYDOWN:
        state->trace += 'K';
        if (wParam == VK_ESCAPE) PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int RunLoop(ScriptedWindowBackend& backend, int maxFrames = 100) {
    MSG message;
    int frames = 0;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&message, nullptr, 0, 0)) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (state->active) {
            state->trace += 'F';
            if (++frames >= maxFrames) backend.End(-1);
        } else {
            size_t before = backend.waits;
            WaitMessage();
            if (backend.waits != before) state->trace += 'W';
        }
    }
    return static_cast<int>(message.wParam);
}

class LoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        state = &loop;
        WNDCLASSA windowClass;
        windowClass.lpfnWndProc = LoopProcedure;
        windowClass.lpszClassName = "Loop";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "Loop", "Loop", WS_CAPTION, 0, 0, 800, 600, nullptr,
                                 nullptr, nullptr, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        loop.trace.clear();
    }
    void TearDown() override { state = nullptr; }

    ScriptedWindowBackend backend;
    LoopState loop;
    HWND window = nullptr;
};

TEST_F(LoopTest, AllWaitingMessagesComeBeforeTheNextFrame) {
    backend.PushKeyDown('W');
    backend.PushKeyDown('W', true);
    backend.Idle();
    backend.PushKeyDown('S');
    backend.Idle();
    backend.Idle();
    backend.PushKeyDown(VK_ESCAPE);
    EXPECT_EQ(RunLoop(backend), 0);
    EXPECT_EQ(loop.trace, "KKFKFFK");
    EXPECT_EQ(backend.waits, 0u);
}

TEST_F(LoopTest, InactiveLoopWaitsInsteadOfDrawingUntilTheScriptFeedsIt) {
    backend.Push(WM_ACTIVATE, WA_INACTIVE);
    int fed = 0;
    backend.onWait = [&fed](ScriptedWindowBackend& script) {
        if (++fed == 1) {
            script.Push(WM_KEYDOWN, 'Q');  // input while inactive: handled, still no frame
        } else {
            script.Push(WM_ACTIVATE, WA_ACTIVE);
            script.Idle();
            script.Push(WM_CLOSE);
        }
    };
    EXPECT_EQ(RunLoop(backend), 0);
    EXPECT_EQ(loop.trace, "IWKWAF");
    EXPECT_EQ(backend.waits, 2u);
    EXPECT_EQ(backend.quitRequests, std::vector<int>{0});
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(LoopTest, PendingTurnsEndAWaitWithoutTheHook) {
    backend.Push(WM_ACTIVATE, WA_INACTIVE);
    backend.Idle();
    backend.PushKeyDown(VK_ESCAPE);
    bool hookRan = false;
    backend.onWait = [&hookRan](ScriptedWindowBackend&) { hookRan = true; };
    EXPECT_EQ(RunLoop(backend), 0);
    EXPECT_EQ(loop.trace, "IWK");
    EXPECT_FALSE(hookRan);
}

TEST_F(LoopTest, AWaitWithNothingScriptedEndsTheLoop) {
    backend.Push(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(RunLoop(backend), ScriptedWindowBackend::kScriptEndedExitCode);
    EXPECT_EQ(backend.waits, 1u);

    // A hook that never feeds anything is stopped after maxWaits.
    backend.maxWaits = 5;
    backend.waits = 0;
    int calls = 0;
    backend.onWait = [&calls](ScriptedWindowBackend&) { ++calls; };
    backend.Push(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(RunLoop(backend), ScriptedWindowBackend::kScriptEndedExitCode);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(backend.waits, 5u);
}

TEST_F(LoopTest, MessagesPushedBeforeTheWindowExistsReachItOnceMade) {
    ScriptedWindowBackend fresh;  // no windows yet
    fresh.PushKeyDown(VK_ESCAPE);
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = LoopProcedure;
    windowClass.lpszClassName = "Later";
    RegisterClassA(&windowClass);
    CreateWindowExA(0, "Later", "Later", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(fresh.PendingCount(), 1u);
    EXPECT_EQ(RunLoop(fresh), 0);
    EXPECT_EQ(loop.trace, "K");
    EXPECT_FALSE(fresh.AnyWindowShown());
}

}  // namespace
