#include "support/scripted/scripted_window_backend.h"

ScriptedWindowBackend::ScriptedWindowBackend() { SetWindowBackend(this); }

ScriptedWindowBackend::~ScriptedWindowBackend() {
    if (GetWindowBackend() == this) SetWindowBackend(nullptr);
}

size_t ScriptedWindowBackend::PendingCount() const {
    size_t count = 0;
    for (const MSG& pending : pending_) count += pending.message == kIdle ? 0 : 1;
    return count;
}

const ScriptedWindowBackend::WindowRecord* ScriptedWindowBackend::Find(HWND window) const {
    // Newest first: a handle value may be reused after a window is destroyed.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (it->handle == window) return &*it;
    }
    return nullptr;
}

bool ScriptedWindowBackend::AnyWindowShown() const {
    for (const WindowRecord& record : windows) {
        for (int command : record.showCommands) {
            if (command != SW_HIDE) return true;
        }
    }
    return false;
}

bool ScriptedWindowBackend::CreateNativeWindow(HWND window, NativeWindow** native) {
    *native = nullptr;
    if (failWindowCreation) return false;
    WindowRecord record;
    record.handle = window;
    record.title = window->title;
    record.className = window->className;
    record.style = window->style;
    record.hasApplicationIcon = window->applicationIcon;
    record.clientSizes.emplace_back(window->clientWidth, window->clientHeight);
    windows.push_back(record);
    return true;
}

void ScriptedWindowBackend::PollMessages(PolledEvents* polled) {
    bool delivered = false;
    while (!pending_.empty()) {
        if (pending_.front().message == kIdle) {
            // After messages the boundary stays: the next poll is the idle
            // turn. Met first, it makes this poll the idle turn.
            if (!delivered) pending_.pop_front();
            return;
        }
        MSG message = pending_.front();
        pending_.pop_front();
        if (message.message == WM_DROPFILES) {
            message.wParam = polled->drops.size();
            polled->drops.push_back(std::move(pendingDrops_.front()));
            pendingDrops_.pop_front();
        }
        polled->messages.push_back(message);
        delivered = true;
    }
}

void ScriptedWindowBackend::WaitForEvents() {
    ++waits;
    // Waiting is an idle turn of its own: leading boundaries are used up.
    while (!pending_.empty() && pending_.front().message == kIdle) pending_.pop_front();
    if (!pending_.empty()) return;
    if (onWait && waits < maxWaits) {
        onWait(*this);
        if (!pending_.empty()) return;
        if (waits < maxWaits) return;  // the hook may have posted a quit itself
    }
    End(kScriptEndedExitCode);
}

int ScriptedWindowBackend::ShowMessageBox(const char* text, const char* caption, UINT type) {
    messageBoxes.push_back({caption, text, type});
    return onMessageBox ? onMessageBox(messageBoxes.back()) : IDOK;
}

DWORD ScriptedWindowBackend::Ticks() {
    DWORD value = ticks;
    ticks += tickStep;
    return value;
}
