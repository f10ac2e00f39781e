// The message queue: what the backend returns is queued here, then peeked,
// taken, dispatched; quitting; the files of drops until they are finished.
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
#include <algorithm>
#include <cstring>

#include "platform/window/core/window_system.h"

using window_system::Live;
using window_system::System;
using window_system::WindowSystem;

namespace {

// A bound, as Win32 has, so that a runaway producer cannot grow the queue.
constexpr size_t kMaxQueuedMessages = 10000;

DropRecord* FindDrop(HDROP drop) {
    for (const auto& record : System().drops)
        if (drop && record.get() == drop) return record.get();
    return nullptr;
}

// Frees the drop of a WM_DROPFILES message that will never be delivered.
void ForgetDropOf(const MSG& message) {
    if (message.message == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(message.wParam));
}

// The oldest live window that is not being destroyed; null if none.
WindowObject* MainWindow() {
    for (const auto& entry : System().windows)
        if (entry->alive && !entry->destroying) return entry.get();
    return nullptr;
}

// False for a size the core has reported already (SetWindowPos, the first
// show); else the new size is kept.
bool IsNewSize(const MSG& message) {
    WindowObject* window = Live(message.hwnd);
    int width = static_cast<int>(LOWORD(static_cast<uintptr_t>(message.lParam)));
    int height = static_cast<int>(HIWORD(static_cast<uintptr_t>(message.lParam)));
    if (!window || (width == window->clientWidth && height == window->clientHeight)) return false;
    window->clientWidth = width;
    window->clientHeight = height;
    return true;
}

// One repaint covers every loss of the picture before it.
bool PaintQueued(HWND window) {
    for (const MSG& queued : System().queue)
        if (queued.message == WM_PAINT && queued.hwnd == window) return true;
    return false;
}

// A polled drop's files as a drop record, its handle in wParam. False for
// an index the backend did not fill.
bool KeepDrop(MSG* message) {
    WindowSystem& system = System();
    if (message->wParam >= system.polled.drops.size()) return false;
    auto record = std::make_unique<DropRecord>();
    record->paths = std::move(system.polled.drops[message->wParam]);
    message->wParam = reinterpret_cast<WPARAM>(record.get());
    system.drops.push_back(std::move(record));
    return true;
}

// Queues the messages of the events that arrived since the last poll.
void PollBackend() {
    WindowSystem& system = System();
    if (!system.backend) return;
    system.polled.messages.clear();
    system.polled.drops.clear();
    system.backend->PollMessages(&system.polled);
    for (MSG& message : system.polled.messages) {
        if (!message.hwnd && message.message != WM_QUIT) {
            message.hwnd = MainWindow();
            if (!message.hwnd) {
                // A close with no window left (the session ends, a stop
                // signal) ends the loop instead.
                if (message.message == WM_CLOSE) PostQuitMessage(0);
                continue;
            }
        }
        if (message.message == WM_SIZE && !IsNewSize(message)) continue;
        if (message.message == WM_PAINT && PaintQueued(message.hwnd)) continue;
        if (message.message == WM_DROPFILES && !KeepDrop(&message)) continue;
        if ((message.hwnd && !Live(message.hwnd)) || system.queue.size() >= kMaxQueuedMessages)
            ForgetDropOf(message);
        else
            system.queue.push_back(message);
    }
}

}  // namespace

void window_system::ForgetQueuedFor(HWND window) {
    auto& queue = System().queue;
    auto gone = std::stable_partition(queue.begin(), queue.end(), [window](const MSG& message) {
        return message.hwnd != window;
    });
    for (auto it = gone; it != queue.end(); ++it) ForgetDropOf(*it);
    queue.erase(gone, queue.end());
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
        if (PeekMessageA(message, window, filterMin, filterMax, PM_REMOVE))
            return message->message == WM_QUIT ? 0 : 1;
        // With no backend nothing can arrive: an error, not a wait forever.
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

UINT DragQueryFileA(HDROP drop, UINT index, char* file, UINT size) {
    const DropRecord* record = FindDrop(drop);
    if (!record) return 0;
    if (index == 0xFFFFFFFFu) return static_cast<UINT>(record->paths.size());
    if (index >= record->paths.size()) return 0;
    const std::string& path = record->paths[index];
    if (!file) return static_cast<UINT>(path.size());
    if (size == 0) return 0;
    size_t copied = std::min(path.size(), size_t(size) - 1);
    std::memcpy(file, path.data(), copied);
    file[copied] = '\0';
    return static_cast<UINT>(copied);
}

void DragFinish(HDROP drop) {
    auto& drops = System().drops;
    drops.erase(std::remove_if(drops.begin(), drops.end(),
                               [drop](const auto& record) { return drop && record.get() == drop; }),
                drops.end());
}
