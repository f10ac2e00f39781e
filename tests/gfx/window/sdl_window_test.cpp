// The SDL window backend on a real X display (Xvfb): the program's window as
// the program makes it, X input and SDL events arriving as window messages,
// closing, and a message box shown by a helper process.
#include <gtest/gtest.h>

#include <SDL.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/window/core/window_api.h"
#include "platform/window/sdl/sdl_native_window.h"
#include "platform/window/sdl/sdl_window_backend.h"

namespace {

constexpr const char* kTitle = "[Tesnal] Reflection/Refraction for HLSL";
// Events cross the X server; this bounds how long a missing one is awaited.
constexpr Uint32 kDeadlineMs = 5000;

std::vector<MSG> received;

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back({window, message, wParam, lParam});
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string Shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[512];
        while (size_t count = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, count);
        pclose(pipe);
    }
    return output;
}

// The id of the X window named exactly name (UTF-8), from the window tree;
// empty when there is none. (xdotool's search does not read UTF-8 names.)
std::string FindWindowNamed(const std::string& name) {
    std::string tree = Shell("xwininfo -root -tree");
    size_t at = tree.find("\"" + name + "\"");
    if (at == std::string::npos) return "";
    size_t idStart = tree.find("0x", tree.rfind('\n', at) + 1);
    return idStart < at ? tree.substr(idStart, tree.find(' ', idStart) - idStart) : "";
}

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY") || !UseSdlWindowBackend()) GTEST_SKIP() << "no X display";
        received.clear();
        WNDCLASSA windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = Procedure;
        windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION_ICON);
        windowClass.lpszClassName = kTitle;
        RegisterClassA(&windowClass);
        // The program's sequence: created hidden, given the outer size for
        // an 800 x 600 client area, then shown by the test.
        window = CreateWindowExA(
            0, kTitle, kTitle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
            CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        RECT rect{0, 0, 800, 600};
        AdjustWindowRectEx(&rect, GetWindowLongA(window, GWL_STYLE), GetMenu(window) != nullptr,
                           GetWindowLongA(window, GWL_EXSTYLE));
        SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOMOVE);
    }

    void TearDown() override {
        DestroyWindow(window);  // 0 for a window already gone
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Dispatches messages until one with the given id arrives; false at the deadline.
    bool AwaitMessage(UINT id, MSG* found) {
        for (Uint32 start = SDL_GetTicks(); SDL_GetTicks() - start < kDeadlineMs; SDL_Delay(5)) {
            while (PeekMessageA(found, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(found);
                if (found->message == id) return true;
            }
        }
        return false;
    }

    SDL_Event WindowEvent(Uint8 kind) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(GetSdlWindow(window));
        event.window.event = kind;
        return event;
    }

    HWND window = nullptr;
};

TEST_F(SdlWindowTest, ProgramWindowIsHiddenGlReadyThenShownWithAn800x600Client) {
    SDL_Window* native = GetSdlWindow(window);
    Uint32 flags = SDL_GetWindowFlags(native);
    EXPECT_TRUE(flags & SDL_WINDOW_HIDDEN);
    EXPECT_FALSE(flags & SDL_WINDOW_RESIZABLE);
    EXPECT_STREQ(SDL_GetWindowTitle(native), kTitle);

    // The attributes set before creation hold for a context made on it later.
    SDL_GLContext context = SDL_GL_CreateContext(native);
    ASSERT_NE(context, nullptr) << SDL_GetError();
    int major = 0, minor = 0, profile = 0, depth = 0, stencil = 0;
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, &minor);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &profile);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
    SDL_GL_DeleteContext(context);
    EXPECT_GE(major * 10 + minor, 45);
    EXPECT_EQ(profile, SDL_GL_CONTEXT_PROFILE_CORE);
    EXPECT_GE(depth, 24);
    EXPECT_GE(stencil, 8);

    ShowWindow(window, SW_SHOWDEFAULT);
    std::string info = Shell(std::string("xwininfo -name '") + kTitle + "'");
    EXPECT_NE(info.find("Width: 800"), std::string::npos) << info;
    EXPECT_NE(info.find("Height: 600"), std::string::npos) << info;
    EXPECT_NE(info.find("IsViewable"), std::string::npos) << info;
    std::string icon = Shell(std::string("xprop -name '") + kTitle + "' _NET_WM_ICON");
    EXPECT_NE(icon.find("Icon (32 x 32)"), std::string::npos) << icon.substr(0, 200);
}

TEST_F(SdlWindowTest, XKeysAndMouseArriveAsMessagesWithVirtualKeysAndClientCoordinates) {
    ShowWindow(window, SW_SHOWDEFAULT);
    std::string id = FindWindowNamed(kTitle);
    ASSERT_FALSE(id.empty());
    Shell("xdotool windowfocus --sync " + id);  // no window manager gives the focus
    Shell("xdotool key --clearmodifiers w");
    MSG message;
    ASSERT_TRUE(AwaitMessage(WM_KEYDOWN, &message));
    EXPECT_EQ(message.wParam, 0x57u);
    EXPECT_EQ(message.hwnd, window);
    ASSERT_TRUE(AwaitMessage(WM_KEYUP, &message));
    EXPECT_EQ(message.wParam, 0x57u);

    // The pointer may be anywhere already: move it twice, so there is motion.
    for (auto [x, y] : {std::pair{50, 40}, std::pair{200, 150}}) {
        Shell("xdotool mousemove --window " + id + " " + std::to_string(x) + " " +
              std::to_string(y));
        do {  // moves on the way may arrive first
            ASSERT_TRUE(AwaitMessage(WM_MOUSEMOVE, &message)) << "no move to " << x << "," << y;
        } while (message.lParam != MAKELPARAM(x, y));
    }
    Shell("xdotool click 3");
    ASSERT_TRUE(AwaitMessage(WM_RBUTTONDOWN, &message));
    EXPECT_EQ(message.lParam, MAKELPARAM(200, 150));
    EXPECT_EQ(message.wParam & MK_RBUTTON, MK_RBUTTON);
    ASSERT_TRUE(AwaitMessage(WM_RBUTTONUP, &message));
    EXPECT_EQ(message.wParam & MK_RBUTTON, 0u);
}

TEST_F(SdlWindowTest, FocusAndSizeEventsArriveOnceAsMessages) {
    ShowWindow(window, SW_SHOWDEFAULT);
    SDL_Event same = WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED);
    same.window.data1 = 800;  // already reported by SetWindowPos
    same.window.data2 = 600;
    SDL_Event larger = same;
    larger.window.data1 = 1024;
    larger.window.data2 = 700;
    SDL_Event focus = WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    received.clear();
    for (SDL_Event* event : {&same, &larger, &same, &focus}) ASSERT_EQ(SDL_PushEvent(event), 1);
    MSG message;
    do {
        ASSERT_TRUE(AwaitMessage(WM_ACTIVATE, &message));
    } while (LOWORD(message.wParam) != WA_INACTIVE);
    std::vector<LPARAM> sizes;
    for (const MSG& entry : received) {
        if (entry.message == WM_SIZE) sizes.push_back(entry.lParam);
    }
    EXPECT_EQ(sizes, (std::vector<LPARAM>{MAKELPARAM(1024, 700), MAKELPARAM(800, 600)}));
}

TEST_F(SdlWindowTest, CloseOrQuitDestroysTheWindowOnceAndEndsTheLoop) {
    ShowWindow(window, SW_SHOWDEFAULT);
    Uint32 id = SDL_GetWindowID(GetSdlWindow(window));
    SDL_Event close = WindowEvent(SDL_WINDOWEVENT_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;  // follows a close of the last window; must not close twice
    SDL_PushEvent(&close);
    SDL_PushEvent(&quit);
    received.clear();
    MSG message;
    int result;
    Uint32 start = SDL_GetTicks();
    while ((result = GetMessageA(&message, nullptr, 0, 0)) > 0 &&
           SDL_GetTicks() - start < kDeadlineMs) {
        DispatchMessageA(&message);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(message.wParam, 0u);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, WM_CLOSE);
    EXPECT_EQ(received[1].message, WM_DESTROY);
    // The handle is dead; the native window is gone from the screen but
    // kept, so that a device made on it can still release its objects.
    EXPECT_FALSE(DestroyWindow(window));
    SDL_Window* native = SDL_GetWindowFromID(id);
    ASSERT_NE(native, nullptr);
    EXPECT_FALSE(SDL_GetWindowFlags(native) & SDL_WINDOW_SHOWN);
}

// A box is modal on the thread that shows it, so a helper process shows it
// while the test finds it by its converted caption and dismisses it.
TEST_F(SdlWindowTest, MessageBoxIsAWindowWithTheConvertedCaptionAndClosesWithReturn) {
    std::string tag = std::to_string(getpid());
    std::string caption = "ERROR \xbf\xc0\xb7\xf9 " + tag;  // "오류" in code page 949
    std::string expectedName = "ERROR \xec\x98\xa4\xeb\xa5\x98 " + tag;
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setpgid(0, 0);  // SDL shows the box from a process of its own: end both on failure
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        execl(RR_WINDOW_BOX_HELPER, RR_WINDOW_BOX_HELPER, caption.c_str(), "\xc7\xd1\xb1\xdb",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(child, child);
    close(output[1]);

    std::string box;
    for (Uint32 start = SDL_GetTicks(); box.empty() && SDL_GetTicks() - start < kDeadlineMs;) {
        if ((box = FindWindowNamed(expectedName)).empty()) SDL_Delay(50);
    }
    EXPECT_FALSE(box.empty()) << "no window named " << expectedName;
    if (!box.empty()) {
        Shell("xdotool windowfocus --sync " + box);
        Shell("xdotool key Return");
    }
    int status = 0;
    bool exited = false;
    for (Uint32 start = SDL_GetTicks(); SDL_GetTicks() - start < kDeadlineMs; SDL_Delay(20)) {
        if ((exited = waitpid(child, &status, WNOHANG) == child)) break;
    }
    if (!exited) {
        kill(-child, SIGKILL);
        waitpid(child, &status, 0);
        close(output[0]);
        FAIL() << "the box did not close on Return";
    }
    char buffer[64] = {};
    ssize_t got = read(output[0], buffer, sizeof buffer - 1);
    close(output[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_STREQ(got > 0 ? buffer : "", "result 1\n");
}

}  // namespace
