// What a window handle points to. The core keeps the Win32-side state (class
// procedure, styles, client size, visibility); the backend hangs its native
// window on it.
#pragma once

#include <string>

#include "platform/window/core/native_window.h"
#include "platform/window/core/window_api.h"

struct WindowObject {
    // Made and kept by the backend; null while there is none.
    NativeWindow* native = nullptr;

    // Set by CreateWindowExA, kept by the window system.
    WNDPROC procedure = nullptr;
    std::string className;
    std::string title;  // single-byte (code page 949) text as given
    DWORD style = 0;    // WS_VISIBLE follows the visibility
    DWORD exStyle = 0;
    void* menu = nullptr;
    void* icon = nullptr;  // the class icon (LoadIconA), null for none
    int x = 0;             // outer position asked for; CW_USEDEFAULT for any
    int y = 0;
    int clientWidth = 0;   // current client size in pixels
    int clientHeight = 0;
    bool visible = false;
    bool shownOnce = false;   // the first show reports the size (WM_SIZE)
    bool destroying = false;  // inside DestroyWindow (WM_DESTROY being sent)
    bool alive = false;       // created and not destroyed
};
