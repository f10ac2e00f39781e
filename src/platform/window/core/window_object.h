// What a window handle points to. The core keeps the Win32-side state (class
// procedure, styles, client size, visibility); a backend keeps its native
// window in the fields it owns (sdlWindow for the SDL backend).
#pragma once

#include <string>

#include "platform/window/core/window_api.h"

struct SDL_Window;

struct WindowObject {
    // Native window of the SDL backend; null for other backends.
    SDL_Window* sdlWindow = nullptr;
    // True when the SDL window belongs to someone else (WrapSdlWindow); such
    // a handle is not a window of the window system and receives no messages.
    bool borrowed = false;

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
