// The message queue: posting, peeking, waiting, dispatching and quitting.
#include <algorithm>

#include "platform/window/core/window_system.h"

using window_system::Live;
using window_system::System;
using window_system::WindowSystem;

namespace {

// Win32 refuses posts beyond a fixed queue length; so do we, so that a
// runaway producer cannot grow the queue without bound.
constexpr size_t kMaxQueuedMessages = 10000;

bool MatchesFilter(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
    if (window && message.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return message.message >= filterMin && message.message <= filterMax;
}

bool RangeAdmits(UINT message, UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

void PollBackend() {
    if (System().backend) System().backend->PollEvents();
}

}  // namespace

size_t QueuedMessageCount() { return System().queue.size(); }

LPARAM KeyMessageLParam(bool down, bool repeat, UINT scanCode) {
    uint32_t bits = 1u | ((scanCode & 0xFFu) << 16);
    if (!down || repeat) bits |= 1u << 30;
    if (!down) bits |= 1u << 31;
    // The packed value is 32 bits wide, sign-extended as Win32 does on 64-bit.
    return static_cast<LPARAM>(static_cast<int32_t>(bits));
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !IsLiveWindow(window)) return 0;
    WindowSystem& system = System();
    if (system.queue.size() >= kMaxQueuedMessages) return 0;
    MSG entry;
    entry.hwnd = window;
    entry.message = message;
    entry.wParam = wParam;
    entry.lParam = lParam;
    entry.time = timeGetTime();
    system.queue.push_back(entry);
    return 1;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowObject* target = Live(window);
    if (!target || !target->procedure) return 0;
    return target->procedure(target, message, wParam, lParam);
}

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!message) return 0;
    PollBackend();
    WindowSystem& system = System();
    for (auto it = system.queue.begin(); it != system.queue.end(); ++it) {
        if (!MatchesFilter(*it, window, filterMin, filterMax)) continue;
        *message = *it;
        if (removeFlags & PM_REMOVE) system.queue.erase(it);
        return 1;
    }
    // A quit request is delivered once the queue holds nothing else.
    if (system.quitPending && RangeAdmits(WM_QUIT, filterMin, filterMax)) {
        *message = MSG{};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(system.quitCode);
        message->time = timeGetTime();
        if (removeFlags & PM_REMOVE) system.quitPending = false;
        return 1;
    }
    return 0;
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

// Character messages (WM_CHAR) are not produced: nothing reads text input.
BOOL TranslateMessage(const MSG* /*message*/) { return 0; }

LRESULT DispatchMessageA(const MSG* message) {
    if (!message) return 0;
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WaitMessage() {
    WindowSystem& system = System();
    if (!system.backend) return 0;
    // The caller has just polled (PeekMessageA); waiting starts from there.
    if (!system.queue.empty() || system.quitPending) return 1;
    system.backend->WaitForEvents();
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
