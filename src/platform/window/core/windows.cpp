// Window records: creation and destruction, styles, size and visibility.
#include <algorithm>

#include "platform/window/core/window_system.h"

using window_system::FindClass;
using window_system::Live;
using window_system::System;
using window_system::WindowSystem;

namespace {

// Outer size used when CreateWindowExA is given CW_USEDEFAULT.
constexpr int kDefaultOuterWidth = 640;
constexpr int kDefaultOuterHeight = 480;

int ClampSize(int value) { return std::max(value, 0); }

}  // namespace

NativeWindow* GetNativeWindow(HWND window) { return window ? window->native : nullptr; }

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

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND /*parent*/, HMENU menu,
                     HINSTANCE /*instance*/, void* /*param*/) {
    WindowSystem& system = System();
    const window_system::RegisteredClass* windowClass = FindClass(className);
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
