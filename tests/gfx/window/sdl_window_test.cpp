// The SDL window backend on a real X display (Xvfb): the program's window as
// the program makes it, events arriving as window messages, closing, and
// message boxes shown by a helper process and found with xdotool.
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

#include "platform/window/core/virtual_keys.h"
#include "platform/window/core/window_api.h"
#include "platform/window/sdl/native_window.h"
#include "platform/window/sdl/sdl_window_backend.h"

namespace {

constexpr const char* kTitle = "[Tesnal] Reflection/Refraction for HLSL";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
// Events cross the X server; this bounds how long a missing one is awaited.
constexpr Uint32 kEventDeadlineMs = 5000;

std::vector<MSG> received;

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG entry;
    entry.hwnd = window;
    entry.message = message;
    entry.wParam = wParam;
    entry.lParam = lParam;
    received.push_back(entry);
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string Shell(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[512];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
    pclose(pipe);
    return output;
}

bool HaveTool(const char* name) {
    return Shell(std::string("command -v ") + name + " 2>/dev/null").size() > 0;
}

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        if (!UseSdlWindowBackend()) GTEST_SKIP() << "SDL cannot open the display";
        received.clear();
        WNDCLASSA windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = Procedure;
        windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION_ICON);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetStockObject(WHITE_BRUSH);
        windowClass.lpszClassName = kTitle;
        RegisterClassA(&windowClass);
    }

    void TearDown() override {
        if (window && IsWindow(window)) DestroyWindow(window);
        // Drain what the destruction left, so the next test starts empty.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // The program's sequence: create hidden at the wanted size, then give it
    // the outer size whose client area is that size, then show it.
    void MakeProgramWindow(bool show = true) {
        window = CreateWindowExA(0, kTitle, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 800, 600,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        RECT rect{0, 0, 800, 600};
        AdjustWindowRectEx(&rect, GetWindowLongA(window, GWL_STYLE), GetMenu(window) != nullptr,
                           GetWindowLongA(window, GWL_EXSTYLE));
        SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOMOVE);
        if (show) ShowWindow(window, SW_SHOWDEFAULT);
    }

    // Dispatches messages until one with the given id arrives; false at the deadline.
    bool AwaitMessage(UINT id, MSG* found) {
        Uint32 start = SDL_GetTicks();
        while (SDL_GetTicks() - start < kEventDeadlineMs) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&message);
                if (message.message == id) {
                    *found = message;
                    return true;
                }
            }
            SDL_Delay(5);
        }
        return false;
    }

    unsigned long XWindowId() {
        return std::strtoul(Shell("xdotool search --onlyvisible --name '^\\[Tesnal\\] Reflection' "
                                "2>/dev/null | head -n1")
                                .c_str(),
                            nullptr, 10);
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

TEST_F(SdlWindowTest, ProgramWindowIsHiddenGlCapableThenShownWithAnExact800x600Client) {
    MakeProgramWindow(false);
    SDL_Window* native = GetSdlWindow(window);
    ASSERT_NE(native, nullptr);
    Uint32 flags = SDL_GetWindowFlags(native);
    EXPECT_TRUE(flags & SDL_WINDOW_HIDDEN);
    EXPECT_TRUE(flags & SDL_WINDOW_OPENGL);
    EXPECT_FALSE(flags & SDL_WINDOW_RESIZABLE);
    EXPECT_STREQ(SDL_GetWindowTitle(native), kTitle);
    int width = 0, height = 0;
    SDL_GetWindowSize(native, &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);

    ShowWindow(window, SW_SHOWDEFAULT);
    EXPECT_TRUE(SDL_GetWindowFlags(native) & SDL_WINDOW_SHOWN);
    if (HaveTool("xwininfo")) {
        std::string info = Shell(std::string("xwininfo -name '") + kTitle + "' 2>&1");
        EXPECT_NE(info.find("Width: 800"), std::string::npos) << info;
        EXPECT_NE(info.find("Height: 600"), std::string::npos) << info;
        EXPECT_NE(info.find("Map State: IsViewable"), std::string::npos) << info;
    }
    if (HaveTool("xprop")) {
        // Our drawn 32 x 32 icon.
        std::string icon = Shell(std::string("xprop -name '") + kTitle + "' _NET_WM_ICON 2>&1");
        EXPECT_NE(icon.find("Icon (32 x 32)"), std::string::npos) << icon.substr(0, 200);
    }
}

TEST_F(SdlWindowTest, WindowTakesAnOpenGl45CoreContextWithDepthAndStencil) {
    MakeProgramWindow(false);
    SDL_GLContext context = SDL_GL_CreateContext(GetSdlWindow(window));
    if (!context) GTEST_SKIP() << "no OpenGL 4.5 core here: " << SDL_GetError();
    int major = 0, minor = 0, profile = 0, depth = 0, stencil = 0, doubleBuffer = 0;
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, &minor);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &profile);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
    SDL_GL_DeleteContext(context);
    EXPECT_GE(major * 10 + minor, 45);
    EXPECT_EQ(profile, SDL_GL_CONTEXT_PROFILE_CORE);
    EXPECT_GE(depth, 24);
    EXPECT_GE(stencil, 8);
    EXPECT_EQ(doubleBuffer, 1);
}

TEST_F(SdlWindowTest, CreationAndSizingSendTheirMessagesSynchronously) {
    MakeProgramWindow();
    std::vector<UINT> ids;
    for (const MSG& message : received) ids.push_back(message.message);
    // WM_CREATE from creation, WM_SIZE from SetWindowPos, activation and the
    // first size report from ShowWindow.
    ASSERT_EQ(ids, (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_ACTIVATE, WM_SIZE}));
    EXPECT_EQ(received[1].lParam, MAKELPARAM(800, 600));
    EXPECT_EQ(received[3].lParam, MAKELPARAM(800, 600));
}

TEST_F(SdlWindowTest, PushedSdlEventsArriveAsWindowMessages) {
    MakeProgramWindow();
    Uint32 id = SDL_GetWindowID(GetSdlWindow(window));

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = id;
    key.key.state = SDL_PRESSED;
    key.key.keysym.sym = SDLK_1;
    key.key.keysym.scancode = SDL_SCANCODE_1;
    ASSERT_EQ(SDL_PushEvent(&key), 1);
    MSG message;
    ASSERT_TRUE(AwaitMessage(WM_KEYDOWN, &message));
    EXPECT_EQ(message.hwnd, window);
    EXPECT_EQ(message.wParam, 0x31u);

    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.windowID = id;
    button.button.button = SDL_BUTTON_RIGHT;
    button.button.state = SDL_PRESSED;
    button.button.x = 123;
    button.button.y = 456;
    ASSERT_EQ(SDL_PushEvent(&button), 1);
    ASSERT_TRUE(AwaitMessage(WM_RBUTTONDOWN, &message));
    EXPECT_EQ(message.lParam, MAKELPARAM(123, 456));
    EXPECT_EQ(message.wParam & MK_RBUTTON, MK_RBUTTON);

    SDL_Event focus = WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    ASSERT_EQ(SDL_PushEvent(&focus), 1);
    ASSERT_TRUE(AwaitMessage(WM_ACTIVATE, &message));
    EXPECT_EQ(LOWORD(message.wParam), WA_INACTIVE);
}

TEST_F(SdlWindowTest, XInputFromXdotoolArrivesAsKeyAndMouseMessages) {
    if (!HaveTool("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    MakeProgramWindow();
    unsigned long xWindow = XWindowId();
    ASSERT_NE(xWindow, 0u);
    std::string id = std::to_string(xWindow);
    // No window manager: give the window the keyboard focus ourselves.
    Shell("xdotool windowfocus --sync " + id + " 2>&1");

    Shell("xdotool key --clearmodifiers w 2>&1");
    MSG message;
    ASSERT_TRUE(AwaitMessage(WM_KEYDOWN, &message));
    EXPECT_EQ(message.wParam, 0x57u);
    ASSERT_TRUE(AwaitMessage(WM_KEYUP, &message));
    EXPECT_EQ(message.wParam, 0x57u);

    Shell("xdotool key --clearmodifiers Escape 2>&1");
    ASSERT_TRUE(AwaitMessage(WM_KEYDOWN, &message));
    EXPECT_EQ(message.wParam, WPARAM{VK_ESCAPE});

    // The pointer may already be anywhere: move it twice, so there is motion.
    for (auto [x, y] : {std::pair{50, 40}, std::pair{200, 150}}) {
        Shell("xdotool mousemove --window " + id + " " + std::to_string(x) + " " +
              std::to_string(y) + " 2>&1");
        // Several moves may arrive on the way; the last one is at the target.
        do {
            ASSERT_TRUE(AwaitMessage(WM_MOUSEMOVE, &message))
                << "no move to " << x << "," << y << "; last at " << LOWORD(message.lParam)
                << "," << HIWORD(message.lParam);
        } while (LOWORD(message.lParam) != static_cast<uint32_t>(x) ||
                 HIWORD(message.lParam) != static_cast<uint32_t>(y));
    }
    Shell("xdotool click 3 2>&1");
    ASSERT_TRUE(AwaitMessage(WM_RBUTTONDOWN, &message));
    EXPECT_EQ(message.lParam, MAKELPARAM(200, 150));
    ASSERT_TRUE(AwaitMessage(WM_RBUTTONUP, &message));
    EXPECT_EQ(message.lParam, MAKELPARAM(200, 150));
    EXPECT_EQ(message.wParam & MK_RBUTTON, 0u);
}

TEST_F(SdlWindowTest, ClosingDestroysTheWindowAndEndsTheLoop) {
    MakeProgramWindow();
    Uint32 id = SDL_GetWindowID(GetSdlWindow(window));
    SDL_Event close = WindowEvent(SDL_WINDOWEVENT_CLOSE);
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    received.clear();
    MSG message;
    int result;
    Uint32 start = SDL_GetTicks();
    while ((result = GetMessageA(&message, nullptr, 0, 0)) > 0 &&
           SDL_GetTicks() - start < kEventDeadlineMs) {
        DispatchMessageA(&message);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 0u);
    std::vector<UINT> ids;
    for (const MSG& entry : received) ids.push_back(entry.message);
    EXPECT_EQ(ids, (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
}

TEST_F(SdlWindowTest, QuitRequestClosesTheMainWindow) {
    MakeProgramWindow();
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    MSG message;
    ASSERT_TRUE(AwaitMessage(WM_CLOSE, &message));
    EXPECT_EQ(message.hwnd, window);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(SdlWindowTest, TickCountAdvancesWithSdl) {
    DWORD before = timeGetTime();
    SDL_Delay(20);
    EXPECT_GE(static_cast<DWORD>(timeGetTime() - before), 20u);
}

// The X window whose name is exactly name (UTF-8), from the window tree;
// empty when there is none. (xdotool's search does not read UTF-8 names.)
std::string FindWindowNamed(const std::string& name) {
    std::string tree = Shell("xwininfo -root -tree 2>/dev/null");
    std::string quoted = "\"" + name + "\"";
    size_t at = tree.find(quoted);
    if (at == std::string::npos) return "";
    size_t lineStart = tree.rfind('\n', at);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    size_t idStart = tree.find("0x", lineStart);
    if (idStart == std::string::npos || idStart > at) return "";
    size_t idEnd = tree.find(' ', idStart);
    return tree.substr(idStart, idEnd - idStart);
}

// A box is modal on the thread that shows it, so a helper process shows it
// while the test finds it by its (converted) caption and dismisses it.
TEST_F(SdlWindowTest, MessageBoxIsAWindowWithTheConvertedCaptionAndClosesWithAKey) {
    if (!HaveTool("xdotool") || !HaveTool("xwininfo")) GTEST_SKIP() << "needs xdotool, xwininfo";
    std::string tag = std::to_string(getpid());
    // "오류" (error) in code page 949 in the caption, the converted form in the search.
    std::string caption = "ERROR \xbf\xc0\xb7\xf9 " + tag;
    std::string text = "\xc7\xd1\xb1\xdb text";
    std::string expectedName = "ERROR \xec\x98\xa4\xeb\xa5\x98 " + tag;

    int output[2];
    ASSERT_EQ(pipe(output), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Its own process group: SDL shows the box from a process of its own,
        // and a failed test must be able to end both.
        setpgid(0, 0);
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        execl(RR_WINDOW_BOX_HELPER, RR_WINDOW_BOX_HELPER, caption.c_str(), text.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(child, child);
    close(output[1]);

    std::string boxId;
    Uint32 start = SDL_GetTicks();
    while (boxId.empty() && SDL_GetTicks() - start < kEventDeadlineMs) {
        boxId = FindWindowNamed(expectedName);
        if (boxId.empty()) SDL_Delay(50);
    }
    EXPECT_FALSE(boxId.empty()) << "no window named " << expectedName;
    if (!boxId.empty()) {
        EXPECT_NE(Shell("xwininfo -id " + boxId).find("IsViewable"), std::string::npos);
        // No window manager gives the box the focus: the test does.
        Shell("xdotool windowfocus --sync " + boxId + " 2>&1");
        Shell("xdotool key Return 2>&1");
    }
    // The helper ends once the box is dismissed.
    int status = 0;
    bool exited = false;
    start = SDL_GetTicks();
    while (!(exited = waitpid(child, &status, WNOHANG) == child) &&
           SDL_GetTicks() - start < kEventDeadlineMs) {
        SDL_Delay(20);
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
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_STREQ(got > 0 ? buffer : "", "result 1\n");
}

}  // namespace
