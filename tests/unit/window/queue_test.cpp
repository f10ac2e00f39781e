// The window system over the scripted backend: windows, the message queue,
// default handling, message boxes and the tick count.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/window/core/message_box.h"
#include "platform/window/core/window_api.h"
#include "platform/window/scripted/scripted_window_backend.h"

namespace {

std::vector<MSG> received;
bool failCreate = false;

LRESULT TestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back({window, message, wParam, lParam, 0, {}});
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
    }

    HWND MakeWindow(DWORD style = kAppStyle) {
        return CreateWindowExA(0, "TEST CLASS", "Title", style, CW_USEDEFAULT, CW_USEDEFAULT, 800,
                               600, nullptr, nullptr, nullptr, nullptr);
    }

    ScriptedWindowBackend backend;
};

TEST_F(WindowSystemTest, CreationSendsCreateAndStaysHiddenOrFailsCleanly) {
    HWND window = MakeWindow();  // class names ignore case
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Ids(), std::vector<UINT>{WM_CREATE});  // sent before CreateWindowExA returned
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), static_cast<LONG>(kAppStyle));
    EXPECT_TRUE(backend.windows[0].hasApplicationIcon);
    EXPECT_EQ(backend.windows[0].title, "Title");
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

TEST_F(WindowSystemTest, OuterSizeForAClientSizeGivesExactlyThatClientSize) {
    for (DWORD style : {kAppStyle, kAppStyle | WS_THICKFRAME, WS_OVERLAPPED}) {
        SCOPED_TRACE(style);
        HWND window = MakeWindow(style);
        RECT rect{0, 0, 800, 600};
        ASSERT_TRUE(AdjustWindowRectEx(&rect, GetWindowLongA(window, GWL_STYLE),
                                       GetMenu(window) != nullptr, 0));
        received.clear();
        SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOMOVE);
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, 800);
        EXPECT_EQ(client.bottom, 600);
        EXPECT_EQ(backend.Find(window)->clientSizes.back(), std::make_pair(800, 600));
        if (style != WS_OVERLAPPED) {  // a framed window's outer size was not its client size
            ASSERT_EQ(Ids(), std::vector<UINT>{WM_SIZE});
            EXPECT_EQ(received[0].lParam, MAKELPARAM(800, 600));
        }
    }
    // Too small for the frame: an empty client area, never a negative one.
    HWND window = MakeWindow();
    SetWindowPos(window, nullptr, 0, 0, -50, 2, SWP_NOMOVE);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 0);
    EXPECT_EQ(client.bottom, 0);
}

TEST_F(WindowSystemTest, FirstShowActivatesAndReportsTheSizeOnce) {
    HWND window = MakeWindow();
    received.clear();
    EXPECT_FALSE(ShowWindow(window, SW_SHOWDEFAULT));
    ASSERT_EQ(Ids(), (std::vector<UINT>{WM_ACTIVATE, WM_SIZE}));
    EXPECT_EQ(LOWORD(received[0].wParam), WA_ACTIVE);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), static_cast<LONG>(kAppStyle | WS_VISIBLE));
    EXPECT_TRUE(ShowWindow(window, SW_SHOWNORMAL));
    EXPECT_EQ(received.size(), 2u);
    EXPECT_EQ(backend.Find(window)->showCommands, (std::vector<int>{SW_SHOWDEFAULT, SW_SHOWNORMAL}));
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
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
    received.clear();
    DispatchMessageA(&message);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].hwnd, window);
    EXPECT_EQ(received[0].lParam, MAKELPARAM(300, 200));
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));  // taken once

    // A posted WM_QUIT keeps its place in the queue instead.
    backend.End(3);
    backend.PushKeyDown('B');
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
}

TEST_F(WindowSystemTest, CloseDestroysTheWindowDropsItsMessagesAndEndsTheLoop) {
    HWND window = MakeWindow();
    backend.Push(WM_CLOSE);
    backend.PushKeyDown('W');  // queued behind the close: goes with the window
    received.clear();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) DispatchMessageA(&message);
    EXPECT_EQ(Ids(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_EQ(message.wParam, 0u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(backend.Find(window)->destroyed);
    // The stale handle is refused, never followed.
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(PostMessageA(window, WM_KEYDOWN, 0, 0));
    EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));
    EXPECT_EQ(received.size(), 2u);
}

TEST_F(WindowSystemTest, QueueRefusesPostsBeyondItsLimit) {
    HWND window = MakeWindow();
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) accepted += PostMessageA(window, WM_MOUSEMOVE, 0, i);
    EXPECT_EQ(accepted, 10000);
}

TEST_F(WindowSystemTest, MessageBoxesAreRecordedAsGiven) {
    backend.onMessageBox = [](const ScriptedWindowBackend::MessageBoxRecord&) { return 42; };
    EXPECT_EQ(MessageBoxA(nullptr, "\xc6\xc4\xc0\xcf missing", "ERROR", MB_OK), 42);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_ICONERROR), 42);
    ASSERT_EQ(backend.messageBoxes.size(), 2u);
    EXPECT_EQ(backend.messageBoxes[0].caption, "ERROR");
    EXPECT_EQ(backend.messageBoxes[0].text, "\xc6\xc4\xc0\xcf missing");
    EXPECT_EQ(backend.messageBoxes[1].text, "");
}

TEST_F(WindowSystemTest, TickCountWrapsAtTwoToThe32) {
    backend.SetTicks(0xFFFFFFF0u);
    DWORD before = timeGetTime();
    backend.AdvanceTicks(0x20);
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
