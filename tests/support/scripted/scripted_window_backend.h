// A window backend for tests: no display, no native windows. Tests push the
// messages the "user" sends, and read back what the program did: windows
// made, sized and shown, quit requests, waits and message boxes.
//
// Delivery: the window system polls when its queue is empty, so pushed
// messages arrive only when the program has handled what it already has.
// Idle() splits them into turns: the program finds its queue empty once (and
// draws a frame or waits) before the messages pushed after Idle() arrive.
// When the program waits and nothing is left to deliver, onWait runs so the
// test can push more or call End(); with no onWait (or after maxWaits waits)
// the script ends with a WM_QUIT whose exit code is kScriptEndedExitCode, so
// a loop under test never blocks.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window/core/window_backend.h"

class ScriptedWindowBackend : public WindowBackend {
public:
    static constexpr int kScriptEndedExitCode = 0x5C41;

    struct WindowRecord {
        HWND handle = nullptr;
        std::string title;
        std::string className;
        DWORD style = 0;
        bool hasApplicationIcon = false;
        // Client sizes, the one at creation first, then every resize.
        std::vector<std::pair<int, int>> clientSizes;
        std::vector<int> showCommands;  // every ShowWindow that reached the backend
        // Every restyle that reached the backend: the style, and whether fullscreen.
        std::vector<std::pair<DWORD, bool>> restyles;
        bool destroyed = false;
    };

    struct MessageBoxRecord {
        std::string caption;
        std::string text;
        UINT type = 0;
    };

    // Installs this backend (SetWindowBackend) for its lifetime.
    ScriptedWindowBackend();
    ~ScriptedWindowBackend() override;
    ScriptedWindowBackend(const ScriptedWindowBackend&) = delete;
    ScriptedWindowBackend& operator=(const ScriptedWindowBackend&) = delete;

    // A message for the main window (the oldest live window at delivery).
    void Push(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        pending_.push_back({nullptr, message, wParam, lParam});
    }
    void PushKeyDown(UINT virtualKey, bool repeat = false) {
        Push(WM_KEYDOWN, virtualKey, KeyMessageLParam(true, repeat));
    }
    // A mouse message with client coordinates packed in lParam.
    void PushMouse(UINT message, int x, int y, WPARAM keys = 0) {
        Push(message, keys, MAKELPARAM(static_cast<uint32_t>(x), static_cast<uint32_t>(y)));
    }
    // One drop of these files onto the main window (WM_DROPFILES).
    void PushDrop(std::vector<std::string> paths) {
        pendingDrops_.push_back(std::move(paths));
        Push(WM_DROPFILES);
    }
    // The messages pushed from here on arrive one empty-queue turn later.
    void Idle() { pending_.push_back({nullptr, kIdle, 0, 0}); }
    // Queues WM_QUIT with exitCode after everything pushed so far.
    void End(int exitCode = 0) { Push(WM_QUIT, static_cast<WPARAM>(exitCode)); }
    // Messages pushed and not yet delivered.
    size_t PendingCount() const;

    const WindowRecord* Find(HWND window) const;
    bool AnyWindowShown() const;

    // Script hooks.
    std::function<void(ScriptedWindowBackend&)> onWait;
    std::function<int(const MessageBoxRecord&)> onMessageBox;  // result; IDOK without it
    size_t maxWaits = 1000;
    bool failWindowCreation = false;

    // What the program did.
    std::vector<WindowRecord> windows;
    std::vector<int> quitRequests;
    size_t waits = 0;
    std::vector<MessageBoxRecord> messageBoxes;

    // The tick count timeGetTime returns; tickStep is added after each read.
    DWORD ticks = 0;
    DWORD tickStep = 0;

    // WindowBackend.
    bool CreateNativeWindow(HWND window, NativeWindow** native) override;
    void DestroyNativeWindow(HWND window) override { Record(window).destroyed = true; }
    void ResizeNativeWindow(HWND window) override {
        Record(window).clientSizes.emplace_back(window->clientWidth, window->clientHeight);
    }
    void ShowNativeWindow(HWND window, int showCommand) override {
        Record(window).showCommands.push_back(showCommand);
    }
    void RestyleNativeWindow(HWND window) override {
        Record(window).restyles.emplace_back(window->style, window->fullscreen);
    }
    void PollMessages(PolledEvents* polled) override;
    void WaitForEvents() override;
    int ShowMessageBox(const char* text, const char* caption, UINT type) override;
    DWORD Ticks() override;
    void QuitRequested(int exitCode) override { quitRequests.push_back(exitCode); }

private:
    static constexpr UINT kIdle = 0;  // a turn boundary in pending_, no message

    // The record of a window made here (the core asks only about those).
    WindowRecord& Record(HWND window) { return *const_cast<WindowRecord*>(Find(window)); }

    std::deque<MSG> pending_;
    std::deque<std::vector<std::string>> pendingDrops_;  // one per WM_DROPFILES in pending_
};
