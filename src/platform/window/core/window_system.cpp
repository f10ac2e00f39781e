// The window system's state, the installed backend, the class registry,
// resources, message boxes and the tick count.
#include "platform/window/core/window_system.h"

#include <strings.h>

#include <chrono>
#include <cstdio>

#include "platform/window/core/message_box.h"

namespace window_system {

WindowSystem& System() {
    static WindowSystem* system = new WindowSystem;
    return *system;
}

WindowObject* Live(HWND window) {
    if (!window) return nullptr;
    for (const auto& entry : System().windows) {
        if (entry.get() == window) return entry->alive ? window : nullptr;
    }
    return nullptr;
}

WindowObject* MainWindow() {
    for (const auto& entry : System().windows) {
        if (entry->alive && !entry->destroying) return entry.get();
    }
    return nullptr;
}

const RegisteredClass* FindClass(const char* name) {
    for (const RegisteredClass& entry : System().classes) {
        if (name && strcasecmp(entry.name.c_str(), name) == 0) return &entry;
    }
    return nullptr;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowObject* target = Live(window);
    return target && target->procedure ? target->procedure(target, message, wParam, lParam) : 0;
}

}  // namespace window_system

using window_system::System;
using window_system::WindowSystem;

namespace {

// Stands for the program's icon resource, which the backend draws.
char applicationIconTag;

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
}

WindowBackend* GetWindowBackend() { return System().backend; }

BOOL RegisterClassA(const WNDCLASSA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpszClassName[0] ||
        !windowClass->lpfnWndProc) {
        return 0;
    }
    if (window_system::FindClass(windowClass->lpszClassName)) return 0;  // taken
    System().classes.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc,
                                windowClass->hIcon == &applicationIconTag});
    return 1;
}

HICON LoadIconA(HINSTANCE /*instance*/, uintptr_t resource) {
    return resource == IDI_APPLICATION_ICON ? &applicationIconTag : nullptr;
}

HCURSOR LoadCursorA(HINSTANCE /*instance*/, uintptr_t /*resource*/) { return nullptr; }

HGDIOBJ GetStockObject(int /*object*/) { return nullptr; }

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
