// The window system over the scripted backend: windows, the message queue,
// default handling, message boxes and the tick count.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/window/core/message_box.h"
#include "platform/window/core/window_api.h"
#include "support/scripted/scripted_window_backend.h"

namespace {

std::vector<MSG> received;
bool failCreate = false;

LRESULT TestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back({window, message, wParam, lParam});
    if (message == WM_CREATE) return failCreate ? -1 : 0;
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

constexpr DWORD kAppStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

std::vector<UINT> Ids() {
    std::vector<UINT> ids;
    for (const MSG& message : received) ids.push_back(message.message);
    return ids;
}

// Takes and dispatches every message until WM_QUIT; returns its exit code.
int RunLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return static_cast<int>(message.wParam);
}

class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        received.clear();
        failCreate = false;
        WNDCLASSA windowClass;
        windowClass.lpfnWndProc = TestProcedure;
        windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION_ICON);
        windowClass.lpszClassName = "Test Class";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        EXPECT_EQ(RegisterClassA(&windowClass), 0);  // the name is taken
    }

    HWND MakeWindow(DWORD style = kAppStyle) {
        return CreateWindowExA(0, "TEST CLASS", "Title", style, CW_USEDEFAULT, CW_USEDEFAULT, 800,
                               600, nullptr, nullptr, nullptr, nullptr);
    }
    std::vector<LPARAM> SizeReports() const {
        std::vector<LPARAM> sizes;
        for (const MSG& message : received) {
            if (message.message == WM_SIZE) sizes.push_back(message.lParam);
        }
        return sizes;
    }

    ScriptedWindowBackend backend;
};

TEST_F(WindowSystemTest, CreationSendsCreateAndStaysHiddenOrFailsCleanly) {
    HWND window = MakeWindow();  // class names ignore case
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Ids(), std::vector<UINT>{WM_CREATE});  // sent before CreateWindowExA returned
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), static_cast<LONG>(kAppStyle));
    EXPECT_TRUE(backend.windows[0].hasApplicationIcon);
    EXPECT_EQ(backend.windows[0].title, "Title");
    EXPECT_EQ(backend.windows[0].clientSizes[0], std::make_pair(800, 600));
    EXPECT_FALSE(backend.AnyWindowShown());

    failCreate = true;  // WM_CREATE answering -1 destroys the new window
    received.clear();
    EXPECT_EQ(MakeWindow(), nullptr);
    EXPECT_EQ(Ids(), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
    failCreate = false;
    backend.failWindowCreation = true;
    EXPECT_EQ(MakeWindow(), nullptr);
    EXPECT_EQ(CreateWindowExA(0, "Unknown", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
}

// The program sizes its window by the rectangle AdjustWindowRectEx gives for
// the client size it wants: exactly that client size, reported only when it
// changes, never negative.
TEST_F(WindowSystemTest, SetWindowPosGivesTheClientSizeAndReportsOnlyChanges) {
    HWND window = MakeWindow(kAppStyle | WS_THICKFRAME);
    struct Case {
        int width, height;
        std::pair<int, int> expected;
        bool reported;
    } cases[] = {{800, 600, {800, 600}, false},
                 {1024, 700, {1024, 700}, true},
                 {1024, 700, {1024, 700}, false},
                 {-50, 2, {0, 2}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        RECT rect{0, 0, c.width, c.height};
        ASSERT_TRUE(AdjustWindowRectEx(&rect, GetWindowLongA(window, GWL_STYLE),
                                       GetMenu(window) != nullptr,
                                       GetWindowLongA(window, GWL_EXSTYLE)));
        received.clear();
        SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOMOVE);
        EXPECT_EQ(backend.Find(window)->clientSizes.back(), c.expected);
        EXPECT_EQ(SizeReports().size(), c.reported ? 1u : 0u);
    }
}

TEST_F(WindowSystemTest, ShowingActivatesOnceVisibleAndTheFirstShowReportsTheSize) {
    HWND window = MakeWindow();
    received.clear();
    EXPECT_FALSE(ShowWindow(window, SW_SHOWDEFAULT));
    ASSERT_EQ(Ids(), (std::vector<UINT>{WM_ACTIVATE, WM_SIZE}));
    EXPECT_EQ(LOWORD(received[0].wParam), WA_ACTIVE);
    EXPECT_EQ(received[1].lParam, MAKELPARAM(800, 600));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), static_cast<LONG>(kAppStyle | WS_VISIBLE));
    EXPECT_TRUE(ShowWindow(window, SW_SHOWNORMAL));  // already visible: nothing sent
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));  // visible again: activated again
    EXPECT_EQ(Ids(), (std::vector<UINT>{WM_ACTIVATE, WM_SIZE, WM_ACTIVATE}));
    // A hidden window is not hidden again.
    EXPECT_EQ(backend.Find(window)->showCommands,
              (std::vector<int>{SW_SHOWDEFAULT, SW_SHOWNORMAL, SW_HIDE, SW_SHOW}));
}

TEST_F(WindowSystemTest, PeekLeavesMessagesGetTakesThemQuitComesLastWithItsCode) {
    HWND window = MakeWindow();
    backend.PushKeyDown('W');
    backend.PushMouse(WM_RBUTTONDOWN, 300, 200, MK_RBUTTON);
    MSG message;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(message.message, WM_KEYDOWN);
    }
    PostQuitMessage(7);  // delivered once the queue holds nothing else
    EXPECT_EQ(backend.quitRequests, std::vector<int>{7});
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
    EXPECT_EQ(message.wParam, WPARAM{'W'});
    EXPECT_EQ(message.hwnd, window);  // pushed for the main window
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
    received.clear();
    DispatchMessageA(&message);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].hwnd, window);
    EXPECT_EQ(received[0].lParam, MAKELPARAM(300, 200));
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));  // taken once

    // A WM_QUIT from the backend keeps its place in the queue instead.
    backend.End(3);
    backend.PushKeyDown('B');
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
}

// The backend reports every size the native window takes; the window system
// passes on only those it has not reported itself, and keeps them.
TEST_F(WindowSystemTest, SizeReportsFromTheBackendArriveOnlyWhenTheSizeChanged) {
    HWND window = MakeWindow();
    ShowWindow(window, SW_SHOWDEFAULT);  // reports 800 x 600
    for (auto [width, height] : {std::pair{800, 600}, {1024, 700}, {1024, 700}, {800, 600}})
        backend.Push(WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    backend.End();
    received.clear();
    RunLoop();
    EXPECT_EQ(SizeReports(), (std::vector<LPARAM>{MAKELPARAM(1024, 700), MAKELPARAM(800, 600)}));
    received.clear();
    SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOMOVE);  // the size it already has
    EXPECT_TRUE(received.empty());
}

TEST_F(WindowSystemTest, CloseDestroysTheWindowDropsItsMessagesAndEndsTheLoop) {
    HWND window = MakeWindow();
    backend.Push(WM_CLOSE);
    backend.PushKeyDown('W');  // queued behind the close: goes with the window
    received.clear();
    EXPECT_EQ(RunLoop(), 0);
    EXPECT_EQ(Ids(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_TRUE(backend.Find(window)->destroyed);
    // The stale handle is refused, never followed.
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), 0);
    EXPECT_EQ(received.size(), 2u);

    // With no window left, input goes nowhere and a close ends the loop.
    backend.PushKeyDown('W');
    backend.Push(WM_CLOSE);
    received.clear();
    EXPECT_EQ(RunLoop(), 0);
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(backend.quitRequests, (std::vector<int>{0, 0}));
}

// A flood from the backend is cut at the queue's bound; what is left arrives.
TEST_F(WindowSystemTest, QueueTakesNoMoreThanItsLimitFromOnePoll) {
    MakeWindow();
    for (int i = 0; i < 20000; ++i) backend.PushMouse(WM_MOUSEMOVE, i, 0);
    received.clear();
    EXPECT_EQ(RunLoop(), ScriptedWindowBackend::kScriptEndedExitCode);
    ASSERT_EQ(received.size(), 10000u);
    EXPECT_EQ(received.back().lParam, MAKELPARAM(9999, 0));
}

TEST_F(WindowSystemTest, MessageBoxesAreRecordedAsGiven) {
    backend.onMessageBox = [](const ScriptedWindowBackend::MessageBoxRecord&) { return 42; };
    EXPECT_EQ(MessageBoxA(nullptr, "\xc6\xc4\xc0\xcf missing", "ERROR", MB_OK), 42);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_ICONERROR), 42);
    ASSERT_EQ(backend.messageBoxes.size(), 2u);
    EXPECT_EQ(backend.messageBoxes[0].caption, "ERROR");
    EXPECT_EQ(backend.messageBoxes[0].text, "\xc6\xc4\xc0\xcf missing");
    EXPECT_EQ(backend.messageBoxes[1].text, "");
    EXPECT_EQ(backend.messageBoxes[1].type, MB_ICONERROR);
}

TEST_F(WindowSystemTest, TickCountWrapsAtTwoToThe32) {
    backend.ticks = 0xFFFFFFF0u;
    DWORD before = timeGetTime();
    backend.ticks += 0x20;
    EXPECT_EQ(timeGetTime(), 0x10u);
    EXPECT_EQ(static_cast<DWORD>(timeGetTime() - before), 0x20u);
}

TEST(WindowBackendTest, ReplacingOrRemovingTheBackendStartsClean) {
    auto first = std::make_unique<ScriptedWindowBackend>();
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = TestProcedure;
    windowClass.lpszClassName = "Kept?";
    RegisterClassA(&windowClass);
    CreateWindowExA(0, "Kept?", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    PostQuitMessage(1);
    ScriptedWindowBackend second;
    EXPECT_TRUE(first->windows[0].destroyed);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_NE(RegisterClassA(&windowClass), 0);

    SetWindowBackend(nullptr);
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), -1);  // would otherwise never return
    testing::internal::CaptureStderr();
    MessageBoxA(nullptr, "text", "caption", MB_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "caption: text\n");
}

}  // namespace
