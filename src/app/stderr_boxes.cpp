#include "app/stderr_boxes.h"

#include <cstdio>

#include "platform/text/cp949.h"
#include "platform/window/core/window_backend.h"

namespace {

bool toStderr = false;

// The installed backend with its message boxes written to stderr instead.
class StderrBoxes final : public WindowBackend {
public:
    explicit StderrBoxes(WindowBackend* shown) : shown_(shown) {}
    bool CreateNativeWindow(HWND window, NativeWindow** native) override {
        return shown_->CreateNativeWindow(window, native);
    }
    void DestroyNativeWindow(HWND window) override { shown_->DestroyNativeWindow(window); }
    void ResizeNativeWindow(HWND window) override { shown_->ResizeNativeWindow(window); }
    void ShowNativeWindow(HWND window, int command) override {
        shown_->ShowNativeWindow(window, command);
    }
    void PollMessages(std::vector<MSG>* messages) override { shown_->PollMessages(messages); }
    void WaitForEvents() override { shown_->WaitForEvents(); }
    DWORD Ticks() override { return shown_->Ticks(); }
    int ShowMessageBox(const char* text, const char* caption, UINT) override {
        std::fprintf(stderr, "reflect-refract: %s: %s\n", text::Cp949ToUtf8(caption).c_str(),
                     text::Cp949ToUtf8(text).c_str());
        return IDOK;
    }

private:
    WindowBackend* shown_;
};

}  // namespace

void SendMessageBoxesToStderr() {
    if (toStderr || !GetWindowBackend()) return;
    static StderrBoxes* boxes = new StderrBoxes(GetWindowBackend());  // kept, as the backend is
    SetWindowBackend(boxes);
    toStderr = true;
}

bool MessageBoxesGoToStderr() {
    return toStderr;
}
