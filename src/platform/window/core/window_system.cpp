// The window system's state and the installed backend.
#include <chrono>

#include "platform/window/core/message_box.h"
#include "platform/window/core/window_system.h"

namespace window_system {

WindowSystem& System() {
    static WindowSystem* system = new WindowSystem;
    return *system;
}

}  // namespace window_system

using window_system::System;
using window_system::WindowSystem;

namespace {

int ForwardMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    WindowBackend* backend = System().backend;
    if (!backend) return IDOK;
    return backend->ShowMessageBox(owner, text ? text : "", caption ? caption : "", type);
}

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

DWORD timeGetTime() {
    if (System().backend) return System().backend->Ticks();
    using namespace std::chrono;
    auto now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<DWORD>(now);  // keeps the low 32 bits: wraps at 2^32
}
