// The state behind the Win32-shaped window functions, shared by the core's
// files: the installed backend, the class registry, the window records and
// the message queue.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/core/window_backend.h"

namespace window_system {

struct RegisteredClass {
    std::string name;
    WNDPROC procedure = nullptr;
    bool applicationIcon = false;
};

struct WindowSystem {
    WindowBackend* backend = nullptr;
    std::vector<RegisteredClass> classes;
    // Every window made since the backend was installed. Destroyed windows
    // stay (alive = false), so a stale handle finds "not a window", never
    // freed memory.
    std::vector<std::unique_ptr<WindowObject>> windows;
    std::deque<MSG> queue;
    std::vector<MSG> polled;  // the backend's answer; kept for its capacity
    bool quitPending = false;
    int quitCode = 0;
};

// Never destroyed: window functions may still be called while static
// objects are torn down after main returns.
WindowSystem& System();
// The record of a live window; null for anything else.
WindowObject* Live(HWND window);
// The oldest live window that is not being destroyed; null if none.
WindowObject* MainWindow();
// Calls the window's procedure at once; 0 for a window that is gone.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace window_system
