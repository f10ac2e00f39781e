// The seam between the Win32-shaped window functions and a window system.
//
// The core (window_api.h) keeps the windows' state, the classes and the
// queue. A backend makes native windows for the core's records (reading,
// never writing them), returns its events as messages when polled, waits,
// shows message boxes and counts milliseconds; it never calls the core.
#pragma once

#include <string>
#include <vector>

#include "platform/window/core/native_window.h"
#include "platform/window/core/window_api.h"

// What a window handle points to: the core's record of a window.
struct WindowObject {
    NativeWindow* native = nullptr;  // made and kept by the backend; null while none
    WNDPROC procedure = nullptr;
    std::string className;
    std::string title;             // code page 949, as given
    DWORD style = 0;               // as given, without WS_VISIBLE
    bool applicationIcon = false;  // the class icon is IDI_APPLICATION_ICON
    int clientWidth = 0;
    int clientHeight = 0;
    bool visible = false;
    bool fullscreen = false;  // SetWindowFullscreen
    bool shownOnce = false;   // the first show reports the size (WM_SIZE)
    bool destroying = false;  // inside DestroyWindow
    bool alive = false;       // created and not destroyed
};

// What one poll returns: messages in the order of their events, and the
// files of each drop; a WM_DROPFILES message's wParam indexes drops (the
// core hands the window procedure an HDROP instead).
struct PolledEvents {
    std::vector<MSG> messages;
    std::vector<std::vector<std::string>> drops;
};

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // A hidden native window for a new record; *native is set to it (null for
    // a backend without native windows). False when none can be made.
    virtual bool CreateNativeWindow(HWND window, NativeWindow** native) = 0;
    virtual void DestroyNativeWindow(HWND window) = 0;
    // Gives the native window the record's client size.
    virtual void ResizeNativeWindow(HWND window) = 0;
    // SW_HIDE hides, anything else shows.
    virtual void ShowNativeWindow(HWND window, int showCommand) = 0;
    // Gives the native window the record's style (WS_THICKFRAME: resizable)
    // and fullscreen flag; a new size comes back as an event.
    virtual void RestyleNativeWindow(HWND /*window*/) {}
    // The dots per inch of the native window's display; 0: not known.
    virtual UINT NativeWindowDpi(HWND /*window*/) { return 0; }

    // Appends a message for each event since the last call; never blocks.
    // hwnd null: for the main window (the oldest live one); WM_QUIT: for none.
    virtual void PollMessages(PolledEvents* polled) = 0;
    // Blocks until an event has arrived (a scripted backend: until the
    // script could add messages).
    virtual void WaitForEvents() = 0;

    // A modal box with an OK button; text and caption are code page 949.
    virtual int ShowMessageBox(const char* text, const char* caption, UINT type) = 0;
    // Milliseconds since some start; wraps at 2^32.
    virtual DWORD Ticks() = 0;
    // PostQuitMessage was called (a notice; the core delivers WM_QUIT).
    virtual void QuitRequested(int /*exitCode*/) {}
};

// Installs the backend the window functions work through (null: none; not
// owned) and starts clean: the previous backend's windows are dropped
// without messages, the classes and the queue emptied.
void SetWindowBackend(WindowBackend* backend);
WindowBackend* GetWindowBackend();
