// The installed backend, the classes, the window records (creation,
// destruction, style, size, visibility), message boxes and the tick count.
#include "platform/window/core/window_system.h"

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/window/core/message_box.h"

namespace window_system {

WindowSystem& System() {
    static WindowSystem* system = new WindowSystem;
    return *system;
}

WindowObject* Live(HWND window) {
    for (const auto& entry : System().windows)
        if (window && entry.get() == window) return entry->alive ? window : nullptr;
    return nullptr;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowObject* target = Live(window);
    return target && target->procedure ? target->procedure(target, message, wParam, lParam) : 0;
}

}  // namespace window_system

using window_system::Live;
using window_system::Send;
using window_system::System;

namespace {

constexpr int kDefaultWidth = 640;  // the client size for CW_USEDEFAULT
constexpr int kDefaultHeight = 480;
char applicationIconTag;  // stands for the program's icon, which the backend draws

// The class of that name (names ignore case, as in Win32); null if none.
const window_system::RegisteredClass* FindClass(const char* name) {
    for (const auto& entry : System().classes)
        if (name && strcasecmp(entry.name.c_str(), name) == 0) return &entry;
    return nullptr;
}

}  // namespace

void SetWindowBackend(WindowBackend* backend) {
    window_system::WindowSystem& system = System();
    for (auto& window : system.windows)
        if (window->alive && system.backend) system.backend->DestroyNativeWindow(window.get());
    system = window_system::WindowSystem{};
    system.backend = backend;
}

WindowBackend* GetWindowBackend() { return System().backend; }

BOOL RegisterClassA(const WNDCLASSA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpszClassName[0] ||
        !windowClass->lpfnWndProc || FindClass(windowClass->lpszClassName)) {
        return 0;
    }
    System().classes.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc,
                                windowClass->hIcon == &applicationIconTag});
    return 1;
}

HICON LoadIconA(HINSTANCE /*instance*/, uintptr_t resource) {
    return resource == IDI_APPLICATION_ICON ? &applicationIconTag : nullptr;
}
HCURSOR LoadCursorA(HINSTANCE /*instance*/, uintptr_t /*resource*/) { return nullptr; }
HGDIOBJ GetStockObject(int /*object*/) { return nullptr; }

NativeWindow* GetNativeWindow(HWND window) { return window ? window->native : nullptr; }

HWND CreateWindowExA(DWORD /*exStyle*/, const char* className, const char* windowName, DWORD style,
                     int /*x*/, int /*y*/, int width, int height, HWND /*parent*/, HMENU /*menu*/,
                     HINSTANCE /*instance*/, void* /*param*/) {
    const window_system::RegisteredClass* windowClass = FindClass(className);
    if (!System().backend || !windowClass) return nullptr;
    auto window = std::make_unique<WindowObject>();
    window->procedure = windowClass->procedure;
    window->className = windowClass->name;
    window->title = windowName ? windowName : "";
    window->style = style & ~WS_VISIBLE;
    window->applicationIcon = windowClass->applicationIcon;
    bool useDefault = width == CW_USEDEFAULT;
    window->clientWidth = useDefault ? kDefaultWidth : std::max(width, 0);
    window->clientHeight = useDefault ? kDefaultHeight : std::max(height, 0);
    NativeWindow* native = nullptr;
    if (!System().backend->CreateNativeWindow(window.get(), &native)) return nullptr;
    window->native = native;
    window->alive = true;
    HWND handle = window.get();
    System().windows.push_back(std::move(window));

    // Sent, not posted: the procedure runs inside CreateWindowExA.
    if (Send(handle, WM_CREATE, 0, 0) == -1) {
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
    Send(target, WM_DESTROY, 0, 0);
    System().backend->DestroyNativeWindow(target);
    target->native = nullptr;
    target->alive = false;
    target->visible = false;
    window_system::ForgetQueuedFor(target);
    return 1;
}

LONG GetWindowLongA(HWND window, int index) {
    WindowObject* target = Live(window);
    if (!target || index != GWL_STYLE) return 0;
    return static_cast<LONG>(target->style | (target->visible ? WS_VISIBLE : 0));
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
    WindowObject* target = Live(window);
    if (!target || index != GWL_STYLE) return 0;
    const LONG before = static_cast<LONG>(target->style);
    target->style = static_cast<DWORD>(value) & ~WS_VISIBLE;
    if (target->style != static_cast<DWORD>(before)) System().backend->RestyleNativeWindow(target);
    return before;
}

BOOL SetWindowFullscreen(HWND window, BOOL fullscreen) {
    WindowObject* target = Live(window);
    if (!target) return 0;
    if (target->fullscreen != (fullscreen != 0)) {
        target->fullscreen = fullscreen != 0;
        System().backend->RestyleNativeWindow(target);
    }
    return 1;
}

UINT GetDpiForWindow(HWND window) {
    constexpr UINT kDefaultDpi = 96;
    WindowObject* target = Live(window);
    const UINT dpi = target ? System().backend->NativeWindowDpi(target) : 0;
    return dpi ? dpi : kDefaultDpi;
}

HMENU GetMenu(HWND /*window*/) { return nullptr; }

BOOL AdjustWindowRectEx(RECT* rect, DWORD /*style*/, BOOL /*hasMenu*/, DWORD /*exStyle*/) {
    return rect ? 1 : 0;
}

BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int /*x*/, int /*y*/, int width, int height,
                  UINT flags) {
    WindowObject* target = Live(window);
    if (!target) return 0;
    width = std::max(width, 0);
    height = std::max(height, 0);
    if ((flags & SWP_NOSIZE) || (width == target->clientWidth && height == target->clientHeight))
        return 1;
    target->clientWidth = width;
    target->clientHeight = height;
    System().backend->ResizeNativeWindow(target);
    Send(target, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    return 1;
}

BOOL ShowWindow(HWND window, int showCommand) {
    WindowObject* target = Live(window);
    if (!target) return 0;
    BOOL wasVisible = target->visible ? 1 : 0;
    target->visible = showCommand != SW_HIDE;
    if (target->visible || wasVisible) System().backend->ShowNativeWindow(target, showCommand);
    if (!target->visible) return wasVisible;
    if (!wasVisible) Send(target, WM_ACTIVATE, WA_ACTIVE, 0);
    if (!target->shownOnce) {
        target->shownOnce = true;
        Send(target, WM_SIZE, SIZE_RESTORED, MAKELPARAM(target->clientWidth, target->clientHeight));
    }
    return wasVisible;
}

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, UINT type) {
    text = text ? text : "";
    caption = caption ? caption : "";
    if (System().backend) return System().backend->ShowMessageBox(text, caption, type);
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}

DWORD timeGetTime() {
    if (System().backend) return System().backend->Ticks();
    using namespace std::chrono;
    auto now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<DWORD>(now);  // keeps the low 32 bits: wraps at 2^32
}
