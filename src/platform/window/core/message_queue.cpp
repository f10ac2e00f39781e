// The message queue: what the backend returns is queued here, then peeked,
// taken, dispatched; quitting.
//
// A key press, from SDL to the camera, in five hops:
//  1. sdl/sdl_window_backend.cpp SdlWindowBackend::PollMessages takes the
//     SDL_KEYDOWN from SDL_PollEvent and returns it translated by
//     sdl/sdl_translation.cpp TranslateSdlEvent: WM_KEYDOWN, wParam 'W'.
//  2. PeekMessageA here (called by the loop in app/application.cpp
//     Application::Run) polls the backend when its queue is empty, queues
//     what it returns (PollBackend) and hands out the oldest message.
//  3. DispatchMessageA here calls the window's procedure, app/window_proc.cpp
//     StaticWindowProc, which hands it to Application::WindowProc.
//  4. Application::WindowProc passes WM_KEYDOWN to Application::OnKeyDown.
//  5. Application::OnKeyDown moves the camera: Camera::Walk (render/camera.cpp).
#include "platform/window/core/window_system.h"

using window_system::Live;
using window_system::MainWindow;
using window_system::System;
using window_system::WindowSystem;

namespace {

// Win32 refuses posts beyond a fixed queue length; so do we, so that a
// runaway producer cannot grow the queue without bound.
constexpr size_t kMaxQueuedMessages = 10000;

// False for a size report the window system has already made (SetWindowPos
// and the first show send their own WM_SIZE); else the new size is kept.
bool IsNewSize(const MSG& message) {
    WindowObject* window = Live(message.hwnd);
    int width = static_cast<int>(LOWORD(static_cast<uintptr_t>(message.lParam)));
    int height = static_cast<int>(HIWORD(static_cast<uintptr_t>(message.lParam)));
    if (!window || (width == window->clientWidth && height == window->clientHeight)) return false;
    window->clientWidth = width;
    window->clientHeight = height;
    return true;
}

// Queues the messages of the native events that arrived since the last poll.
void PollBackend() {
    WindowSystem& system = System();
    if (!system.backend) return;
    system.polled.clear();
    system.backend->PollMessages(&system.polled);
    for (MSG& message : system.polled) {
        if (!message.hwnd && message.message != WM_QUIT) {
            message.hwnd = MainWindow();
            if (!message.hwnd) {
                // Asked to close with no window left (the session ends, a
                // stop signal): the loop ends instead.
                if (message.message == WM_CLOSE) PostQuitMessage(0);
                continue;
            }
        }
        if (message.message == WM_SIZE && !IsNewSize(message)) continue;
        PostMessageA(message.hwnd, message.message, message.wParam, message.lParam);
    }
}

}  // namespace

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowSystem& system = System();
    if ((window && !Live(window)) || system.queue.size() >= kMaxQueuedMessages) return 0;
    system.queue.push_back({window, message, wParam, lParam});
    return 1;
}

BOOL PeekMessageA(MSG* message, HWND /*window*/, UINT /*filterMin*/, UINT /*filterMax*/,
                  UINT removeFlags) {
    if (!message) return 0;
    WindowSystem& system = System();
    if (system.queue.empty()) PollBackend();
    if (!system.queue.empty()) {
        *message = system.queue.front();
        if (removeFlags & PM_REMOVE) system.queue.pop_front();
        return 1;
    }
    // A quit request is delivered once the queue holds nothing else.
    if (!system.quitPending) return 0;
    *message = {nullptr, WM_QUIT, static_cast<WPARAM>(system.quitCode), 0};
    if (removeFlags & PM_REMOVE) system.quitPending = false;
    return 1;
}

BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
    if (!message) return -1;
    for (;;) {
        if (PeekMessageA(message, window, filterMin, filterMax, PM_REMOVE)) {
            return message->message == WM_QUIT ? 0 : 1;
        }
        // With no backend nothing can ever arrive: report an error, as
        // GetMessageA does for an invalid call, instead of blocking forever.
        if (!System().backend) return -1;
        System().backend->WaitForEvents();
    }
}

BOOL TranslateMessage(const MSG* /*message*/) { return 0; }

LRESULT DispatchMessageA(const MSG* message) {
    return message ? window_system::Send(message->hwnd, message->message, message->wParam,
                                         message->lParam)
                   : 0;
}

BOOL WaitMessage() {
    WindowSystem& system = System();
    if (!system.backend) return 0;
    // The caller has just polled (PeekMessageA); waiting starts from there.
    if (system.queue.empty() && !system.quitPending) system.backend->WaitForEvents();
    return 1;
}

void PostQuitMessage(int exitCode) {
    WindowSystem& system = System();
    system.quitPending = true;
    system.quitCode = exitCode;
    if (system.backend) system.backend->QuitRequested(exitCode);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    if (message == WM_CLOSE) DestroyWindow(window);
    return 0;
}
