// The seam between the Win32-shaped window functions and a window system.
//
// The functions of window_api.h are written once, over this interface: the
// class registry, the message queue (peek, get, dispatch, wait, quit) and the
// default window procedure live in the core. A backend only makes native
// windows, turns its native events into posted messages, waits, shows
// message boxes and counts milliseconds. The SDL2 backend serves the program,
// the scripted backend serves tests.
#pragma once

#include <cstddef>

#include "platform/window/core/window_api.h"
#include "platform/window/core/window_object.h"

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // Makes the native window for a new handle whose title, style, position,
    // icon and client size are filled in. The window stays hidden.
    // Returns false when no window can be made; the handle is then dropped.
    virtual bool CreateNativeWindow(HWND window) = 0;
    // Drops the native window (the handle itself belongs to the core).
    virtual void DestroyNativeWindow(HWND window) = 0;
    // Gives the window a new client size in pixels.
    virtual void ResizeNativeWindow(HWND window, int clientWidth, int clientHeight) = 0;
    // Shows or hides the window; showCommand is ShowWindow's (SW_*).
    virtual void ShowNativeWindow(HWND window, int showCommand) = 0;

    // Posts (PostMessageA) a message for every native event that has
    // arrived since the last call. Never blocks.
    virtual void PollEvents() = 0;
    // Blocks until a native event has arrived (or, for a scripted backend,
    // until the script has had a chance to add messages).
    virtual void WaitForEvents() = 0;

    // A modal box with an OK button; text and caption are code page 949.
    virtual int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;
    // Milliseconds since some start; wraps at 2^32.
    virtual DWORD Ticks() = 0;

    // PostQuitMessage was called (a notification; the core queues WM_QUIT).
    virtual void QuitRequested(int /*exitCode*/) {}
};

// Installs the backend every window function works through (null: none) and
// starts from a clean window system: windows of the previous backend are
// dropped without messages, the class registry and the queue are emptied.
// The backend is not owned. Also routes MessageBoxA to the backend.
void SetWindowBackend(WindowBackend* backend);
WindowBackend* GetWindowBackend();

// The live window system windows, oldest first (destroyed ones excluded).
// Backends use it to pick the main window for events without a window.
HWND FirstLiveWindow();
// True when window is a handle of a live window of the window system.
bool IsLiveWindow(HWND window);

// Messages posted and not yet taken out of the queue.
size_t QueuedMessageCount();

// lParam of WM_KEYDOWN / WM_KEYUP as Win32 packs it: repeat count 1 in bits
// 0-15, scan code in bits 16-23, bit 30 set when the key was already down
// (an auto-repeat, or any key release), bit 31 set for a release.
LPARAM KeyMessageLParam(bool down, bool repeat, UINT scanCode = 0);

// True for the handle LoadIconA returns for the program's icon resource:
// the backend then gives the window the program's own icon.
bool IsApplicationIcon(HICON icon);

// Outer frame around the client area that AdjustWindowRectEx adds for a
// style; SetWindowPos takes it off again.
RECT WindowFrameInsets(DWORD style, bool hasMenu);
