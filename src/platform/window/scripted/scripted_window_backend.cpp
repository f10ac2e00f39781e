#include "platform/window/scripted/scripted_window_backend.h"

bool ScriptedWindowBackend::WindowRecord::EverShown() const {
    for (int command : showCommands) {
        if (command != SW_HIDE) return true;
    }
    return false;
}

ScriptedWindowBackend::ScriptedWindowBackend() { SetWindowBackend(this); }

ScriptedWindowBackend::~ScriptedWindowBackend() {
    if (GetWindowBackend() == this) SetWindowBackend(nullptr);
}

void ScriptedWindowBackend::Add(const Pending& pending) { pending_.push_back(pending); }

void ScriptedWindowBackend::Push(UINT message, WPARAM wParam, LPARAM lParam) {
    Pending pending;
    pending.message = message;
    pending.wParam = wParam;
    pending.lParam = lParam;
    Add(pending);
}

void ScriptedWindowBackend::PushTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Pending pending;
    pending.toMainWindow = false;
    pending.window = window;
    pending.message = message;
    pending.wParam = wParam;
    pending.lParam = lParam;
    Add(pending);
}

void ScriptedWindowBackend::PushKeyDown(UINT virtualKey, bool repeat) {
    Push(WM_KEYDOWN, virtualKey, KeyMessageLParam(true, repeat));
}

void ScriptedWindowBackend::PushKeyUp(UINT virtualKey) {
    Push(WM_KEYUP, virtualKey, KeyMessageLParam(false, false));
}

void ScriptedWindowBackend::PushMouse(UINT message, int x, int y, WPARAM keys) {
    Push(message, keys, MAKELPARAM(static_cast<uint32_t>(x), static_cast<uint32_t>(y)));
}

void ScriptedWindowBackend::Idle() {
    Pending marker;
    marker.idle = true;
    Add(marker);
}

void ScriptedWindowBackend::End(int exitCode) {
    PushTo(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode));
}

size_t ScriptedWindowBackend::PendingCount() const {
    size_t count = 0;
    for (const Pending& pending : pending_) {
        if (!pending.idle) ++count;
    }
    return count;
}

const ScriptedWindowBackend::WindowRecord* ScriptedWindowBackend::Find(HWND window) const {
    // Newest first: a handle value may be reused after a window is destroyed.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (it->handle == window) return &*it;
    }
    return nullptr;
}

ScriptedWindowBackend::WindowRecord* ScriptedWindowBackend::FindRecord(HWND window) {
    return const_cast<WindowRecord*>(Find(window));
}

bool ScriptedWindowBackend::AnyWindowShown() const {
    for (const WindowRecord& record : windows) {
        if (record.EverShown()) return true;
    }
    return false;
}

bool ScriptedWindowBackend::CreateNativeWindow(HWND window) {
    if (failWindowCreation) return false;
    WindowRecord record;
    record.handle = window;
    record.title = window->title;
    record.className = window->className;
    record.style = window->style;
    record.hasApplicationIcon = IsApplicationIcon(window->icon);
    record.clientSizes.emplace_back(window->clientWidth, window->clientHeight);
    windows.push_back(record);
    return true;
}

void ScriptedWindowBackend::DestroyNativeWindow(HWND window) {
    if (WindowRecord* record = FindRecord(window)) {
        record->destroyed = true;
        record->visible = false;
    }
}

void ScriptedWindowBackend::ResizeNativeWindow(HWND window, int clientWidth, int clientHeight) {
    if (WindowRecord* record = FindRecord(window)) {
        record->clientSizes.emplace_back(clientWidth, clientHeight);
    }
}

void ScriptedWindowBackend::ShowNativeWindow(HWND window, int showCommand) {
    if (WindowRecord* record = FindRecord(window)) {
        record->showCommands.push_back(showCommand);
        record->visible = showCommand != SW_HIDE;
    }
}

void ScriptedWindowBackend::PollEvents() {
    // Like input, pushed messages arrive only when the program has handled
    // what it already has.
    if (QueuedMessageCount() > 0) return;
    bool posted = false;
    while (!pending_.empty()) {
        const Pending& next = pending_.front();
        if (next.idle) {
            if (posted) return;  // the boundary stays: the next empty poll is the idle turn
            pending_.pop_front();
            return;              // this poll is the idle turn
        }
        HWND target = next.toMainWindow ? FirstLiveWindow() : next.window;
        PostMessageA(target, next.message, next.wParam, next.lParam);
        pending_.pop_front();
        posted = true;
    }
}

void ScriptedWindowBackend::WaitForEvents() {
    ++waits;
    // Waiting is an idle turn of its own: leading boundaries are used up.
    while (!pending_.empty() && pending_.front().idle) pending_.pop_front();
    if (!pending_.empty()) return;
    if (onWait && waits < maxWaits) {
        onWait(*this);
        if (!pending_.empty()) return;
        if (waits < maxWaits) return;  // the hook may have posted a quit itself
    }
    End(kScriptEndedExitCode);
}

int ScriptedWindowBackend::ShowMessageBox(HWND owner, const char* text, const char* caption,
                                          UINT type) {
    MessageBoxRecord record;
    record.owner = owner;
    record.text = text;
    record.caption = caption;
    record.type = type;
    messageBoxes.push_back(record);
    return onMessageBox ? onMessageBox(record) : IDOK;
}

DWORD ScriptedWindowBackend::Ticks() {
    DWORD value = ticks;
    ticks += tickStep;
    return value;
}

void ScriptedWindowBackend::QuitRequested(int exitCode) { quitRequests.push_back(exitCode); }
