// The window system over the scripted backend: classes and windows, the
// message queue, default handling, message boxes and the tick count.
#include <gtest/gtest.h>

#include <vector>

#include "platform/window/core/message_box.h"
#include "platform/window/core/window_api.h"
#include "platform/window/scripted/scripted_window_backend.h"

namespace {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Received>* received = nullptr;
bool quitOnDestroy = true;
bool failCreate = false;

LRESULT TestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (received) received->push_back({window, message, wParam, lParam});
    switch (message) {
    case WM_CREATE:
        return failCreate ? -1 : 0;
    case WM_DESTROY:
        if (quitOnDestroy) PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

constexpr const char* kClassName = "Test Class";
constexpr DWORD kAppStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        received = &log;
        quitOnDestroy = true;
        failCreate = false;
        WNDCLASSA windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = TestProcedure;
        windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION_ICON);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetStockObject(WHITE_BRUSH);
        windowClass.lpszClassName = kClassName;
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    void TearDown() override { received = nullptr; }

    HWND MakeWindow(int width = 800, int height = 600, DWORD style = kAppStyle) {
        return CreateWindowExA(0, kClassName, "Title", style, CW_USEDEFAULT, CW_USEDEFAULT, width,
                               height, nullptr, nullptr, nullptr, nullptr);
    }

    std::vector<UINT> Messages() const {
        std::vector<UINT> ids;
        for (const Received& entry : log) ids.push_back(entry.message);
        return ids;
    }

    ScriptedWindowBackend backend;
    std::vector<Received> log;
};

TEST_F(WindowSystemTest, RegistrationRejectsDuplicatesAndIncompleteClasses) {
    WNDCLASSA again;
    again.lpfnWndProc = TestProcedure;
    again.lpszClassName = "TEST CLASS";  // class names ignore case
    EXPECT_EQ(RegisterClassA(&again), 0);

    WNDCLASSA noProcedure;
    noProcedure.lpszClassName = "Other";
    EXPECT_EQ(RegisterClassA(&noProcedure), 0);
    EXPECT_EQ(RegisterClassA(nullptr), 0);

    EXPECT_EQ(CreateWindowExA(0, "Unknown", "x", kAppStyle, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_TRUE(backend.windows.empty());
}

TEST_F(WindowSystemTest, CreationSendsCreateSynchronouslyAndStaysHidden) {
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    // WM_CREATE reached the procedure before CreateWindowExA returned, and nothing else.
    ASSERT_EQ(Messages(), std::vector<UINT>{WM_CREATE});
    EXPECT_EQ(log[0].window, window);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), static_cast<LONG>(kAppStyle));
    EXPECT_EQ(GetMenu(window), nullptr);

    ASSERT_EQ(backend.windows.size(), 1u);
    const auto& record = backend.windows[0];
    EXPECT_EQ(record.title, "Title");
    EXPECT_TRUE(record.hasApplicationIcon);
    EXPECT_FALSE(record.EverShown());
    EXPECT_FALSE(backend.AnyWindowShown());
    // The nothing-posted queue stays empty: creation sends, it does not post.
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(WindowSystemTest, CreationFailsWhenCreateAnswersMinusOneOrBackendFails) {
    failCreate = true;
    EXPECT_EQ(MakeWindow(), nullptr);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
    ASSERT_EQ(backend.windows.size(), 1u);
    EXPECT_TRUE(backend.windows[0].destroyed);

    failCreate = false;
    backend.failWindowCreation = true;
    EXPECT_EQ(MakeWindow(), nullptr);
    EXPECT_EQ(backend.windows.size(), 1u);
}

TEST_F(WindowSystemTest, OuterSizeForClientSizeRoundTripsExactly) {
    HWND window = MakeWindow(800, 600);
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    // The outer 800 x 600 leaves less than that for the client area.
    EXPECT_LT(client.right, 800);
    EXPECT_LT(client.bottom, 600);
    EXPECT_GT(client.right, 700);

    for (DWORD style : {kAppStyle, kAppStyle | WS_THICKFRAME, WS_OVERLAPPED}) {
        SCOPED_TRACE(style);
        RECT rect{0, 0, 800, 600};
        DWORD currentStyle = style;
        ASSERT_TRUE(AdjustWindowRectEx(&rect, currentStyle, 0, 0));
        HWND other = MakeWindow(100, 100, style);
        log.clear();
        ASSERT_TRUE(SetWindowPos(other, nullptr, 0, 0, rect.right - rect.left,
                                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOMOVE));
        ASSERT_TRUE(GetClientRect(other, &client));
        EXPECT_EQ(client.right, 800);
        EXPECT_EQ(client.bottom, 600);
        // The size report is sent inside SetWindowPos, packed low = width, high = height.
        ASSERT_EQ(Messages(), std::vector<UINT>{WM_SIZE});
        EXPECT_EQ(LOWORD(log[0].lParam), 800u);
        EXPECT_EQ(HIWORD(log[0].lParam), 600u);
        EXPECT_EQ(backend.Find(other)->clientSizes.back(), std::make_pair(800, 600));
    }

    // A style with a frame and caption makes the outer rectangle larger on every side but
    // the caption side most.
    RECT rect{0, 0, 800, 600};
    AdjustWindowRectEx(&rect, kAppStyle, 0, 0);
    EXPECT_LT(rect.left, 0);
    EXPECT_LT(rect.top, rect.left);
    EXPECT_GT(rect.right, 800);
    EXPECT_GT(rect.bottom, 600);
    RECT withMenu{0, 0, 800, 600};
    AdjustWindowRectEx(&withMenu, kAppStyle, 1, 0);
    EXPECT_LT(withMenu.top, rect.top);
}

TEST_F(WindowSystemTest, SizingIgnoresUnchangedSizesFlagsAndBadHandles) {
    HWND window = MakeWindow();
    RECT before;
    GetClientRect(window, &before);
    log.clear();
    EXPECT_TRUE(SetWindowPos(window, nullptr, 0, 0, 5000, 5000, SWP_NOSIZE | SWP_NOMOVE));
    EXPECT_TRUE(SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOMOVE));  // same size
    EXPECT_TRUE(Messages().empty());
    // Sizes smaller than the frame give an empty client area, never a negative one.
    EXPECT_TRUE(SetWindowPos(window, nullptr, 0, 0, -50, 2, SWP_NOMOVE));
    RECT after;
    GetClientRect(window, &after);
    EXPECT_EQ(after.right, 0);
    EXPECT_EQ(after.bottom, 0);

    EXPECT_FALSE(SetWindowPos(nullptr, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(ShowWindow(nullptr, SW_SHOWNORMAL));
    EXPECT_FALSE(GetClientRect(window, nullptr));
    EXPECT_FALSE(AdjustWindowRectEx(nullptr, kAppStyle, 0, 0));
    EXPECT_EQ(GetWindowLongA(nullptr, GWL_STYLE), 0);
}

TEST_F(WindowSystemTest, FirstShowActivatesAndReportsTheSize) {
    HWND window = MakeWindow();
    RECT rect{0, 0, 800, 600};
    AdjustWindowRectEx(&rect, GetWindowLongA(window, GWL_STYLE), GetMenu(window) != nullptr,
                       GetWindowLongA(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOMOVE);
    log.clear();
    EXPECT_FALSE(ShowWindow(window, SW_SHOWDEFAULT));  // was hidden
    ASSERT_EQ(Messages(), (std::vector<UINT>{WM_ACTIVATE, WM_SIZE}));
    EXPECT_EQ(LOWORD(log[0].wParam), WA_ACTIVE);
    EXPECT_EQ(log[1].lParam, MAKELPARAM(800, 600));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), static_cast<LONG>(kAppStyle | WS_VISIBLE));
    EXPECT_TRUE(backend.AnyWindowShown());
    EXPECT_EQ(backend.Find(window)->showCommands, std::vector<int>{SW_SHOWDEFAULT});

    log.clear();
    EXPECT_TRUE(ShowWindow(window, SW_SHOWNORMAL));  // already visible: no repeat reports
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(backend.Find(window)->visible);
}

TEST_F(WindowSystemTest, PeekWithoutRemoveLeavesTheMessageQueued) {
    HWND window = MakeWindow();
    backend.PushKeyDown('W');
    backend.PushMouse(WM_MOUSEMOVE, 10, 20);
    MSG message;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(message.message, WM_KEYDOWN);
    }
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
    EXPECT_EQ(message.hwnd, window);
    EXPECT_EQ(message.message, WM_KEYDOWN);
    EXPECT_EQ(message.wParam, WPARAM{'W'});
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_MOUSEMOVE);
    EXPECT_EQ(LOWORD(message.lParam), 10u);
    EXPECT_EQ(HIWORD(message.lParam), 20u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(WindowSystemTest, FiltersSelectByRangeAndWindow) {
    HWND first = MakeWindow();
    HWND second = MakeWindow();
    PostMessageA(first, WM_KEYDOWN, 'A', 0);
    PostMessageA(second, WM_MOUSEMOVE, 0, 0);
    PostMessageA(first, WM_KEYUP, 'A', 0);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_MOUSEMOVE, WM_MOUSEWHEEL, PM_REMOVE));
    EXPECT_EQ(message.message, WM_MOUSEMOVE);
    ASSERT_TRUE(PeekMessageA(&message, first, WM_KEYUP, WM_KEYUP, PM_REMOVE));
    EXPECT_EQ(message.message, WM_KEYUP);
    EXPECT_FALSE(PeekMessageA(&message, second, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(QueuedMessageCount(), 1u);
}

TEST_F(WindowSystemTest, QuitEndsGetMessageWithTheExitCodeAfterQueuedMessages) {
    MakeWindow();
    backend.PushKeyDown(VK_SPACE);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));  // delivers the push
    PostQuitMessage(7);
    EXPECT_EQ(backend.quitRequests, std::vector<int>{7});
    // The quit waits for what is already queued.
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
    EXPECT_EQ(message.message, WM_KEYDOWN);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 7u);
    // Taken once: the queue is empty afterwards.
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(WindowSystemTest, PostedQuitKeepsItsPlaceInTheQueue) {
    MakeWindow();
    backend.Push(WM_KEYDOWN, 'A');
    backend.End(3);
    backend.Push(WM_KEYDOWN, 'B');
    MSG message;
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.wParam, 3u);
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
    EXPECT_EQ(message.wParam, WPARAM{'B'});
    EXPECT_TRUE(backend.quitRequests.empty());  // not a PostQuitMessage
}

TEST_F(WindowSystemTest, DispatchReachesTheClassProcedure) {
    HWND window = MakeWindow();
    log.clear();
    backend.PushMouse(WM_RBUTTONDOWN, 300, 200, MK_RBUTTON);
    MSG message;
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), 1);
    EXPECT_TRUE(log.empty());  // getting does not dispatch
    TranslateMessage(&message);
    DispatchMessageA(&message);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].window, window);
    EXPECT_EQ(log[0].message, WM_RBUTTONDOWN);
    EXPECT_EQ(log[0].wParam, MK_RBUTTON);
    EXPECT_EQ(log[0].lParam, MAKELPARAM(300, 200));

    MSG windowless;
    windowless.message = WM_KEYDOWN;
    EXPECT_EQ(DispatchMessageA(&windowless), 0);
    EXPECT_EQ(DispatchMessageA(nullptr), 0);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(WindowSystemTest, CloseDestroysTheWindowAndDestroyPostsQuit) {
    HWND window = MakeWindow();
    backend.Push(WM_CLOSE);
    backend.PushKeyDown('W');  // queued behind the close: dropped with the window
    log.clear();
    MSG message;
    int dispatched = 0;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        DispatchMessageA(&message);
        ++dispatched;
    }
    EXPECT_EQ(dispatched, 1);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_EQ(message.wParam, 0u);
    EXPECT_EQ(backend.quitRequests, std::vector<int>{0});
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(backend.Find(window)->destroyed);
    // The stale handle is refused, not followed.
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(PostMessageA(window, WM_KEYDOWN, 0, 0));
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(WindowSystemTest, DefaultHandlingAnswersZeroAndDestroysOnlyOnClose) {
    HWND window = MakeWindow();
    for (UINT id : {WM_KEYDOWN, WM_MOUSEWHEEL, WM_SIZE, WM_ACTIVATE, WM_COMMAND}) {
        EXPECT_EQ(DefWindowProcA(window, id, 1, 2), 0);
    }
    EXPECT_TRUE(IsWindow(window));
    quitOnDestroy = false;
    EXPECT_EQ(DefWindowProcA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(backend.quitRequests.empty());
}

TEST_F(WindowSystemTest, QueueRefusesPostsBeyondItsLimit) {
    HWND window = MakeWindow();
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) accepted += PostMessageA(window, WM_MOUSEMOVE, 0, i);
    EXPECT_EQ(accepted, 10000);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.lParam, 0);  // the oldest survive
}

TEST_F(WindowSystemTest, MessageBoxesAreRecordedWithCaptionTextAndType) {
    backend.onMessageBox = [](const ScriptedWindowBackend::MessageBoxRecord& box) {
        return box.caption == "ERROR" ? 42 : IDOK;
    };
    EXPECT_EQ(MessageBoxA(nullptr, "\xc6\xc4\xc0\xcf missing", "ERROR", MB_OK), 42);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_ICONERROR), IDOK);
    ASSERT_EQ(backend.messageBoxes.size(), 2u);
    EXPECT_EQ(backend.messageBoxes[0].caption, "ERROR");
    EXPECT_EQ(backend.messageBoxes[0].text, "\xc6\xc4\xc0\xcf missing");  // bytes kept as given
    EXPECT_EQ(backend.messageBoxes[1].text, "");
    EXPECT_EQ(backend.messageBoxes[1].type, MB_ICONERROR);
}

TEST_F(WindowSystemTest, TickCountWrapsAtTwoToThe32) {
    backend.SetTicks(0xFFFFFFF0u);
    DWORD before = timeGetTime();
    backend.AdvanceTicks(0x20);
    DWORD after = timeGetTime();
    EXPECT_EQ(after, 0x10u);
    EXPECT_EQ(static_cast<DWORD>(after - before), 0x20u);  // elapsed time survives the wrap

    backend.tickStep = 16;
    backend.SetTicks(0xFFFFFFF8u);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF8u);
    EXPECT_EQ(timeGetTime(), 0x8u);
}

TEST(KeyMessageLParamTest, PacksRepeatCountScanCodeAndTransitionBits) {
    EXPECT_EQ(KeyMessageLParam(true, false, 0x11), 0x00110001);
    EXPECT_EQ(KeyMessageLParam(true, true, 0x11), 0x40110001);
    // Releases set bits 30 and 31; the value is sign-extended like Win32's on 64-bit.
    EXPECT_EQ(KeyMessageLParam(false, false, 0x11), static_cast<LPARAM>(static_cast<int32_t>(0xC0110001u)));
}

TEST(WindowBackendTest, WithoutBackendNothingIsMadeAndBoxesFallBack) {
    {
        ScriptedWindowBackend backend;
        EXPECT_EQ(GetWindowBackend(), &backend);
    }
    EXPECT_EQ(GetWindowBackend(), nullptr);
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = TestProcedure;
    windowClass.lpszClassName = "Lonely";
    RegisterClassA(&windowClass);
    EXPECT_EQ(CreateWindowExA(0, "Lonely", "x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    MSG message;
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), -1);  // would never return otherwise
    EXPECT_FALSE(WaitMessage());
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "caption: text\n");
    SetWindowBackend(nullptr);
}

TEST(WindowBackendTest, ReplacingTheBackendStartsClean) {
    ScriptedWindowBackend first;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = TestProcedure;
    windowClass.lpszClassName = "Kept?";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    HWND window = CreateWindowExA(0, "Kept?", "x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);
    PostMessageA(window, WM_KEYDOWN, 0, 0);
    PostQuitMessage(1);
    ScriptedWindowBackend second;
    EXPECT_TRUE(first.windows[0].destroyed);
    EXPECT_EQ(QueuedMessageCount(), 0u);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));  // no quit either
    EXPECT_NE(RegisterClassA(&windowClass), 0);
}

}  // namespace
