// A loop of the program's shape (all waiting messages, then a frame if
// active, else wait) driven by the scripted backend.
#include <gtest/gtest.h>

#include <string>

#include "platform/window/core/window_api.h"
#include "support/scripted/scripted_window_backend.h"

namespace {

bool active = true;
std::string trace;  // K key, F frame, W wait, A/I activation

LRESULT LoopProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE) {
        active = LOWORD(wParam) != WA_INACTIVE;
        trace += active ? 'A' : 'I';
    } else if (message == WM_KEYDOWN) {
        trace += 'K';
        if (wParam == VK_ESCAPE) PostQuitMessage(0);
    } else if (message == WM_DESTROY) {
        PostQuitMessage(0);
    } else {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return 0;
}

class LoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass;
        windowClass.lpfnWndProc = LoopProcedure;
        windowClass.lpszClassName = "Loop";
        RegisterClassA(&windowClass);
        CreateWindowExA(0, "Loop", "Loop", WS_CAPTION, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                        nullptr);
        active = true;
        trace.clear();
    }

    int RunLoop() {
        MSG message;
        for (;;) {
            if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
                if (!GetMessageA(&message, nullptr, 0, 0)) break;
                DispatchMessageA(&message);
            } else if (active) {
                trace += 'F';
            } else {
                size_t before = backend.waits;
                WaitMessage();
                if (backend.waits != before) trace += 'W';
            }
        }
        return static_cast<int>(message.wParam);
    }

    ScriptedWindowBackend backend;
};

TEST_F(LoopTest, IdleSplitsPushedMessagesIntoTurnsWithAFrameBetween) {
    backend.PushKeyDown('W');
    backend.PushKeyDown('W', true);
    backend.Idle();
    backend.PushKeyDown('S');
    backend.Idle();
    backend.Idle();
    backend.PushKeyDown(VK_ESCAPE);
    EXPECT_EQ(RunLoop(), 0);
    EXPECT_EQ(trace, "KKFKFFK");
    EXPECT_EQ(backend.waits, 0u);
}

TEST_F(LoopTest, InactiveLoopWaitsAndTheHookFeedsIt) {
    backend.Push(WM_ACTIVATE, WA_INACTIVE);
    int fed = 0;
    backend.onWait = [&fed](ScriptedWindowBackend& script) {
        if (++fed == 1) {
            script.Push(WM_KEYDOWN, 'Q');  // handled while inactive: still no frame
        } else {
            script.Push(WM_ACTIVATE, WA_ACTIVE);
            script.Idle();
            script.Push(WM_CLOSE);
        }
    };
    EXPECT_EQ(RunLoop(), 0);
    EXPECT_EQ(trace, "IWKWAF");
    EXPECT_EQ(backend.quitRequests, std::vector<int>{0});
}

TEST_F(LoopTest, AWaitWithNothingScriptedEndsTheLoop) {
    backend.Push(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(RunLoop(), ScriptedWindowBackend::kScriptEndedExitCode);
    EXPECT_EQ(backend.waits, 1u);

    backend.maxWaits = 5;  // a hook that never feeds anything is stopped
    backend.waits = 0;
    backend.onWait = [](ScriptedWindowBackend&) {};
    backend.Push(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(RunLoop(), ScriptedWindowBackend::kScriptEndedExitCode);
    EXPECT_EQ(backend.waits, 5u);
}

}  // namespace
