// The state behind the window functions, shared by the core's files.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/core/window_backend.h"

// The files of one drop (HDROP), from the poll that brought them to DragFinish.
struct DropRecord {
    std::vector<std::string> paths;
};

namespace window_system {

struct RegisteredClass {
    std::string name;
    WNDPROC procedure = nullptr;
    bool applicationIcon = false;
};

struct WindowSystem {
    WindowBackend* backend = nullptr;
    std::vector<RegisteredClass> classes;
    // Every window made under this backend; destroyed ones stay (alive =
    // false), so a stale handle finds "not a window", never freed memory.
    std::vector<std::unique_ptr<WindowObject>> windows;
    std::deque<MSG> queue;
    PolledEvents polled;  // the backend's answer; kept for its capacity
    // Drops delivered or queued and not yet finished.
    std::vector<std::unique_ptr<DropRecord>> drops;
    bool quitPending = false;
    int quitCode = 0;
};

// Never destroyed: window functions may run in static destructors.
WindowSystem& System();
// The record of a live window; null for anything else.
WindowObject* Live(HWND window);
// Calls the window's procedure at once; 0 for a window that is gone.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Drops the window's queued messages and frees the drops they carry.
void ForgetQueuedFor(HWND window);

}  // namespace window_system
