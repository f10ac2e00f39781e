// The Win32-shaped window functions, written once over the active backend:
// class registry, window records, the message queue and default handling.
#include <algorithm>
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

#include "platform/window/core/message_box.h"
#include "platform/window/core/window_api.h"
#include "platform/window/core/window_backend.h"

namespace {

struct RegisteredClass {
    std::string name;
    WNDPROC procedure = nullptr;
    HICON icon = nullptr;
};

// Win32 refuses posts beyond a fixed queue length; so do we, so that a
// runaway producer cannot grow the queue without bound.
constexpr size_t kMaxQueuedMessages = 10000;

// Outer size used when CreateWindowExA is given CW_USEDEFAULT.
constexpr int kDefaultOuterWidth = 640;
constexpr int kDefaultOuterHeight = 480;

struct WindowSystem {
    WindowBackend* backend = nullptr;
    std::vector<RegisteredClass> classes;
    // Every window made since the backend was installed. Destroyed windows
    // stay here (alive = false) so that a stale handle still points at a
    // record that says "not a window" instead of at freed memory.
    std::vector<std::unique_ptr<WindowObject>> windows;
    std::deque<MSG> queue;
    bool quitPending = false;
    int quitCode = 0;
};

// Never destroyed: window functions may still be called while static
// objects are torn down after main returns.
WindowSystem& System() {
    static WindowSystem* system = new WindowSystem;
    return *system;
}

// Stable addresses that stand for the handles of resources we do not load.
char applicationIconTag;
char arrowCursorTag;
char whiteBrushTag;

const RegisteredClass* FindClass(const char* name) {
    if (!name) return nullptr;
    for (const RegisteredClass& entry : System().classes) {
        // Class names are case-insensitive, as in Win32.
        if (strcasecmp(entry.name.c_str(), name) == 0) return &entry;
    }
    return nullptr;
}

WindowObject* Live(HWND window) {
    return IsLiveWindow(window) ? window : nullptr;
}

bool MatchesFilter(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
    if (window && message.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return message.message >= filterMin && message.message <= filterMax;
}

bool RangeAdmits(UINT message, UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

void PollBackend() {
    if (System().backend) System().backend->PollEvents();
}

int ForwardMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    WindowBackend* backend = System().backend;
    if (!backend) return IDOK;
    return backend->ShowMessageBox(owner, text ? text : "", caption ? caption : "", type);
}

int ClampSize(int value) { return std::max(value, 0); }

}  // namespace

void SetWindowBackend(WindowBackend* backend) {
    WindowSystem& system = System();
    for (auto& window : system.windows) {
        if (window->alive && system.backend) system.backend->DestroyNativeWindow(window.get());
    }
    system.windows.clear();
    system.classes.clear();
    system.queue.clear();
    system.quitPending = false;
    system.quitCode = 0;
    system.backend = backend;
    SetMessageBoxHandler(backend ? ForwardMessageBox : nullptr);
}

WindowBackend* GetWindowBackend() { return System().backend; }

bool IsLiveWindow(HWND window) {
    if (!window) return false;
    for (const auto& entry : System().windows) {
        if (entry.get() == window) return entry->alive;
    }
    return false;
}

HWND FirstLiveWindow() {
    for (const auto& entry : System().windows) {
        if (entry->alive && !entry->destroying) return entry.get();
    }
    return nullptr;
}

size_t QueuedMessageCount() { return System().queue.size(); }

LPARAM KeyMessageLParam(bool down, bool repeat, UINT scanCode) {
    uint32_t bits = 1u | ((scanCode & 0xFFu) << 16);
    if (!down || repeat) bits |= 1u << 30;
    if (!down) bits |= 1u << 31;
    // The packed value is 32 bits wide, sign-extended as Win32 does on 64-bit.
    return static_cast<LPARAM>(static_cast<int32_t>(bits));
}

bool IsApplicationIcon(HICON icon) { return icon == &applicationIconTag; }

// The frame exists only in these numbers. On SDL the native window's size
// IS its client size (the window manager draws its own decorations), so the
// outer size of a window is defined as its client size plus these insets:
// AdjustWindowRectEx adds them, CreateWindowExA and SetWindowPos take them
// off again. Asking for the outer size of an 800 x 600 client therefore
// gives exactly 800 x 600. The values are those of a classic fixed frame
// (3 pixels), a sizing frame (8), a caption (23) and a menu bar (20).
RECT WindowFrameInsets(DWORD style, bool hasMenu) {
    int border = 0;
    if (style & WS_THICKFRAME) {
        border = 8;
    } else if (style & (WS_BORDER | WS_DLGFRAME)) {
        border = 3;
    }
    int caption = (style & WS_CAPTION) == WS_CAPTION ? 23 : 0;
    int menu = hasMenu ? 20 : 0;
    RECT insets;
    insets.left = border;
    insets.top = border + caption + menu;
    insets.right = border;
    insets.bottom = border;
    return insets;
}

BOOL RegisterClassA(const WNDCLASSA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpszClassName[0] ||
        !windowClass->lpfnWndProc) {
        return 0;
    }
    if (FindClass(windowClass->lpszClassName)) return 0;  // already registered
    WindowSystem& system = System();
    system.classes.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc, windowClass->hIcon});
    // Win32 answers with the class atom; string atoms start at 0xC000.
    return static_cast<BOOL>(0xC000 + system.classes.size() - 1);
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND /*parent*/, HMENU menu,
                     HINSTANCE /*instance*/, void* /*param*/) {
    WindowSystem& system = System();
    const RegisteredClass* windowClass = FindClass(className);
    if (!system.backend || !windowClass) return nullptr;

    auto window = std::make_unique<WindowObject>();
    window->procedure = windowClass->procedure;
    window->className = windowClass->name;
    window->title = windowName ? windowName : "";
    window->style = style & ~WS_VISIBLE;
    window->exStyle = exStyle;
    window->menu = menu;
    window->icon = windowClass->icon;
    window->x = x;
    window->y = y;
    if (width == CW_USEDEFAULT) {
        width = kDefaultOuterWidth;
        height = kDefaultOuterHeight;
    }
    // width and height are the outer size; the native window gets the client size.
    RECT insets = WindowFrameInsets(style, menu != nullptr);
    window->clientWidth = ClampSize(width - insets.left - insets.right);
    window->clientHeight = ClampSize(height - insets.top - insets.bottom);

    if (!system.backend->CreateNativeWindow(window.get())) return nullptr;
    window->alive = true;
    HWND handle = window.get();
    system.windows.push_back(std::move(window));

    // Sent, not posted: the procedure runs inside CreateWindowExA.
    if (SendMessageA(handle, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
    return handle;
}

BOOL DestroyWindow(HWND window) {
    WindowObject* target = Live(window);
    if (!target || target->destroying) return 0;
    target->destroying = true;
    SendMessageA(target, WM_DESTROY, 0, 0);
    if (System().backend) System().backend->DestroyNativeWindow(target);
    target->alive = false;
    target->visible = false;
    // Messages still queued for the window go with it.
    auto& queue = System().queue;
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [target](const MSG& message) { return message.hwnd == target; }),
                queue.end());
    return 1;
}

BOOL IsWindow(HWND window) { return IsLiveWindow(window) ? 1 : 0; }

BOOL IsWindowVisible(HWND window) {
    WindowObject* target = Live(window);
    return target && target->visible ? 1 : 0;
}

LONG GetWindowLongA(HWND window, int index) {
    WindowObject* target = Live(window);
    if (!target) return 0;
    if (index == GWL_STYLE) {
        return static_cast<LONG>(target->style | (target->visible ? WS_VISIBLE : 0));
    }
    if (index == GWL_EXSTYLE) return static_cast<LONG>(target->exStyle);
    return 0;
}

HMENU GetMenu(HWND window) {
    WindowObject* target = Live(window);
    return target ? target->menu : nullptr;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL hasMenu, DWORD /*exStyle*/) {
    if (!rect) return 0;
    RECT insets = WindowFrameInsets(style, hasMenu != 0);
    rect->left -= insets.left;
    rect->top -= insets.top;
    rect->right += insets.right;
    rect->bottom += insets.bottom;
    return 1;
}

BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int x, int y, int width, int height,
                  UINT flags) {
    WindowObject* target = Live(window);
    if (!target) return 0;
    if (!(flags & SWP_NOMOVE)) {
        target->x = x;
        target->y = y;
    }
    if (flags & SWP_NOSIZE) return 1;
    RECT insets = WindowFrameInsets(target->style, target->menu != nullptr);
    int clientWidth = ClampSize(width - insets.left - insets.right);
    int clientHeight = ClampSize(height - insets.top - insets.bottom);
    if (clientWidth == target->clientWidth && clientHeight == target->clientHeight) return 1;
    target->clientWidth = clientWidth;
    target->clientHeight = clientHeight;
    System().backend->ResizeNativeWindow(target, clientWidth, clientHeight);
    // The size report is sent before SetWindowPos returns, as in Win32.
    SendMessageA(target, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
    return 1;
}

BOOL ShowWindow(HWND window, int showCommand) {
    WindowObject* target = Live(window);
    if (!target) return 0;
    BOOL wasVisible = target->visible ? 1 : 0;
    if (showCommand == SW_HIDE) {
        if (target->visible) System().backend->ShowNativeWindow(target, SW_HIDE);
        target->visible = false;
        return wasVisible;
    }
    System().backend->ShowNativeWindow(target, showCommand);
    target->visible = true;
    bool activates = showCommand != SW_SHOWNOACTIVATE && showCommand != SW_SHOWNA &&
                     showCommand != SW_SHOWMINNOACTIVE && showCommand != SW_MINIMIZE &&
                     showCommand != SW_SHOWMINIMIZED;
    if (!wasVisible && activates) SendMessageA(target, WM_ACTIVATE, WA_ACTIVE, 0);
    if (!target->shownOnce) {
        // A window made hidden reports its size when it is first shown.
        target->shownOnce = true;
        SendMessageA(target, WM_SIZE, SIZE_RESTORED,
                     MAKELPARAM(target->clientWidth, target->clientHeight));
    }
    return wasVisible;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    WindowObject* target = Live(window);
    if (!target || !rect) return 0;
    *rect = RECT{};
    rect->right = target->clientWidth;
    rect->bottom = target->clientHeight;
    return 1;
}

// There are no resources to load: the program's icon (resource 101) is
// drawn by the backend, the cursor is the system arrow, the background is
// never painted (OpenGL covers the client area). The handles only have to be
// distinct and non-null.
HICON LoadIconA(HINSTANCE /*instance*/, uintptr_t resource) {
    return resource == IDI_APPLICATION_ICON ? &applicationIconTag : nullptr;
}

HCURSOR LoadCursorA(HINSTANCE /*instance*/, uintptr_t resource) {
    return resource == IDC_ARROW ? &arrowCursorTag : nullptr;
}

HGDIOBJ GetStockObject(int object) {
    return object == WHITE_BRUSH ? &whiteBrushTag : nullptr;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !IsLiveWindow(window)) return 0;
    WindowSystem& system = System();
    if (system.queue.size() >= kMaxQueuedMessages) return 0;
    MSG entry;
    entry.hwnd = window;
    entry.message = message;
    entry.wParam = wParam;
    entry.lParam = lParam;
    entry.time = timeGetTime();
    system.queue.push_back(entry);
    return 1;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowObject* target = Live(window);
    if (!target || !target->procedure) return 0;
    return target->procedure(target, message, wParam, lParam);
}

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!message) return 0;
    PollBackend();
    WindowSystem& system = System();
    for (auto it = system.queue.begin(); it != system.queue.end(); ++it) {
        if (!MatchesFilter(*it, window, filterMin, filterMax)) continue;
        *message = *it;
        if (removeFlags & PM_REMOVE) system.queue.erase(it);
        return 1;
    }
    // A quit request is delivered once the queue holds nothing else.
    if (system.quitPending && RangeAdmits(WM_QUIT, filterMin, filterMax)) {
        *message = MSG{};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(system.quitCode);
        message->time = timeGetTime();
        if (removeFlags & PM_REMOVE) system.quitPending = false;
        return 1;
    }
    return 0;
}

BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
    if (!message) return -1;
    for (;;) {
        if (PeekMessageA(message, window, filterMin, filterMax, PM_REMOVE)) {
            return message->message == WM_QUIT ? 0 : 1;
        }
        // With no backend nothing can ever arrive: report an error, as
        // GetMessageA does for an invalid call, instead of blocking forever.
        if (!System().backend) return -1;
        System().backend->WaitForEvents();
    }
}

// Character messages (WM_CHAR) are not produced: nothing reads text input.
BOOL TranslateMessage(const MSG* /*message*/) { return 0; }

LRESULT DispatchMessageA(const MSG* message) {
    if (!message) return 0;
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WaitMessage() {
    WindowSystem& system = System();
    if (!system.backend) return 0;
    // The caller has just polled (PeekMessageA); waiting starts from there.
    if (!system.queue.empty() || system.quitPending) return 1;
    system.backend->WaitForEvents();
    return 1;
}

void PostQuitMessage(int exitCode) {
    WindowSystem& system = System();
    system.quitPending = true;
    system.quitCode = exitCode;
    if (system.backend) system.backend->QuitRequested(exitCode);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    if (message == WM_CLOSE) DestroyWindow(window);
    return 0;
}

DWORD timeGetTime() {
    if (System().backend) return System().backend->Ticks();
    using namespace std::chrono;
    auto now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<DWORD>(now);  // keeps the low 32 bits: wraps at 2^32
}
