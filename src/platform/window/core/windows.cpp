// Window records: creation and destruction, style, size and visibility.
#include <algorithm>

#include "platform/window/core/window_system.h"

using window_system::Live;
using window_system::Send;
using window_system::System;
using window_system::WindowSystem;

namespace {

// The client size CreateWindowExA gives for CW_USEDEFAULT.
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

}  // namespace

NativeWindow* GetNativeWindow(HWND window) { return window ? window->native : nullptr; }

HWND CreateWindowExA(DWORD /*exStyle*/, const char* className, const char* windowName, DWORD style,
                     int /*x*/, int /*y*/, int width, int height, HWND /*parent*/, HMENU /*menu*/,
                     HINSTANCE /*instance*/, void* /*param*/) {
    WindowSystem& system = System();
    const window_system::RegisteredClass* windowClass = window_system::FindClass(className);
    if (!system.backend || !windowClass) return nullptr;

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
    if (!system.backend->CreateNativeWindow(window.get(), &native)) return nullptr;
    window->native = native;
    window->alive = true;
    HWND handle = window.get();
    system.windows.push_back(std::move(window));

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
    // Messages still queued for the window go with it.
    auto& queue = System().queue;
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [target](const MSG& message) { return message.hwnd == target; }),
                queue.end());
    return 1;
}

BOOL IsWindow(HWND window) { return Live(window) ? 1 : 0; }

LONG GetWindowLongA(HWND window, int index) {
    WindowObject* target = Live(window);
    if (!target || index != GWL_STYLE) return 0;
    return static_cast<LONG>(target->style | (target->visible ? WS_VISIBLE : 0));
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
    // The size report is sent before SetWindowPos returns, as in Win32.
    Send(target, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    return 1;
}

BOOL ShowWindow(HWND window, int showCommand) {
    WindowObject* target = Live(window);
    if (!target) return 0;
    BOOL wasVisible = target->visible ? 1 : 0;
    bool show = showCommand != SW_HIDE;
    if (show || wasVisible) System().backend->ShowNativeWindow(target, showCommand);
    target->visible = show;
    if (!show) return wasVisible;
    if (!wasVisible) Send(target, WM_ACTIVATE, WA_ACTIVE, 0);
    if (!target->shownOnce) {
        // A window made hidden reports its size when it is first shown.
        target->shownOnce = true;
        Send(target, WM_SIZE, SIZE_RESTORED, MAKELPARAM(target->clientWidth, target->clientHeight));
    }
    return wasVisible;
}
