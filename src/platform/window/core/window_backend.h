// The seam between the Win32-shaped window functions and a window system.
//
// The core (window_api.h) keeps every window's state, the class registry and
// the message queue. A backend makes native windows for the core's records,
// returns its native events as translated messages when the core polls it,
// waits, shows message boxes and counts milliseconds. Calls go one way: the
// core calls the backend; the backend never calls back into the core. The SDL2 backend serves the
// program, the scripted backend serves tests.
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
    std::string title;             // single-byte (code page 949) text as given
    DWORD style = 0;               // as given, without WS_VISIBLE
    bool applicationIcon = false;  // the class icon is the program's (IDI_APPLICATION_ICON)
    int clientWidth = 0;           // current client size in pixels
    int clientHeight = 0;
    bool visible = false;
    bool fullscreen = false;  // SetWindowFullscreen: the whole display, no frame
    bool shownOnce = false;   // the first show reports the size (WM_SIZE)
    bool destroying = false;  // inside DestroyWindow (WM_DESTROY being sent)
    bool alive = false;       // created and not destroyed
};

// What one poll returns: the messages in the order of their events, and the
// files of every drop among them. A WM_DROPFILES message's wParam is the
// index of its files in drops; the core keeps them and hands the window
// procedure an HDROP instead.
struct PolledEvents {
    std::vector<MSG> messages;
    std::vector<std::vector<std::string>> drops;
};

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // A backend reads the records it is given and never writes them; what it
    // makes for one it returns.

    // Makes the native window for a new record (title, style, icon and client
    // size filled in), hidden; *native is set to it (null for a backend
    // without native windows). False when none can be made.
    virtual bool CreateNativeWindow(HWND window, NativeWindow** native) = 0;
    // Drops the native window; the record itself belongs to the core.
    virtual void DestroyNativeWindow(HWND window) = 0;
    // Gives the native window the record's client size.
    virtual void ResizeNativeWindow(HWND window) = 0;
    // showCommand is ShowWindow's: SW_HIDE hides, anything else shows.
    virtual void ShowNativeWindow(HWND window, int showCommand) = 0;
    // Gives the native window the record's style (WS_THICKFRAME: the user
    // may resize it) and fullscreen flag; a new size comes back as an event.
    virtual void RestyleNativeWindow(HWND /*window*/) {}
    // The dots per inch of the native window's display; 0: not known.
    virtual UINT NativeWindowDpi(HWND /*window*/) { return 0; }

    // Appends a message for every native event that has arrived since the
    // last call; never blocks. hwnd null: for the main window (the oldest
    // live one), except WM_QUIT, which is for no window.
    virtual void PollMessages(PolledEvents* polled) = 0;
    // Blocks until a native event has arrived (or, for a scripted backend,
    // until the script has had a chance to add messages).
    virtual void WaitForEvents() = 0;

    // A modal box with an OK button; text and caption are code page 949.
    virtual int ShowMessageBox(const char* text, const char* caption, UINT type) = 0;
    // Milliseconds since some start; wraps at 2^32.
    virtual DWORD Ticks() = 0;
    // PostQuitMessage was called (a notice; the core delivers WM_QUIT).
    virtual void QuitRequested(int /*exitCode*/) {}
};

// Installs the backend every window function works through (null: none) and
// starts from a clean window system: windows of the previous backend are
// dropped without messages, the class registry and the queue are emptied.
// The backend is not owned.
void SetWindowBackend(WindowBackend* backend);
WindowBackend* GetWindowBackend();
