#include "platform/window/headless/headless_window_backend.h"

#include <time.h>

#include <cstdint>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "platform/text/cp949.h"
#include "platform/window/core/window_backend.h"
#include "platform/window/headless/egl_display.h"

namespace {

// What GL draws into has no pixels of its own: the device's back buffer is all.
class HeadlessNativeWindow final : public NativeWindow {
public:
    HeadlessNativeWindow(const EglDisplay& egl, int width, int height)
        : egl_(egl), width(width), height(height) {}

    bool HasOpenGl() const override { return true; }
    bool HasDefaultFramebuffer() const override { return false; }
    void* CreateGlContext(bool debug) override { return egl_.CreateContext(4, 5, true, debug); }
    void* CreateProbeGlContext(int major, int minor, bool core) override {
        return egl_.CreateContext(major, minor, core, false);
    }
    void DeleteGlContext(void* context) override { egl_.DeleteContext(context); }
    void MakeGlContextCurrent(void* context) override { egl_.MakeCurrent(context); }
    void SetGlSwapInterval(int /*interval*/) override {}
    void SwapGlBuffers() override {}
    void GetGlDrawableSize(int* w, int* h) const override {
        *w = width;
        *h = height;
    }

private:
    const EglDisplay& egl_;

public:
    int width;
    int height;
};

class HeadlessWindowBackend final : public WindowBackend {
public:
    explicit HeadlessWindowBackend(bool (*takeStopRequest)()) : takeStopRequest_(takeStopRequest) {}

    bool Open(std::string* problem) { return egl_.Open(problem); }

    bool CreateNativeWindow(HWND window, NativeWindow** native) override {
        natives_.push_back(std::make_unique<HeadlessNativeWindow>(egl_, window->clientWidth,
                                                                  window->clientHeight));
        *native = natives_.back().get();
        return true;
    }
    // Kept until the process ends, as a device made on the window still
    // makes its context current to release its objects.
    void DestroyNativeWindow(HWND /*window*/) override {}
    void ResizeNativeWindow(HWND window) override {
        if (auto* native = static_cast<HeadlessNativeWindow*>(window->native)) {
            native->width = window->clientWidth;
            native->height = window->clientHeight;
        }
    }
    void ShowNativeWindow(HWND /*window*/, int /*showCommand*/) override {}

    void PollMessages(PolledEvents* polled) override {
        if (takeStopRequest_ && takeStopRequest_()) {
            MSG close{};
            close.message = WM_CLOSE;
            polled->messages.push_back(close);
        }
    }
    // Nothing arrives but a stop request: look again a little later.
    void WaitForEvents() override { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

    // Nobody is there to see a box: its text goes to stderr.
    int ShowMessageBox(const char* text, const char* caption, UINT /*type*/) override {
        std::fprintf(stderr, "%s: %s\n", text::Cp949ToUtf8(caption).c_str(),
                     text::Cp949ToUtf8(text).c_str());
        return IDOK;
    }

    DWORD Ticks() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return DWORD(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
    }

private:
    bool (*takeStopRequest_)();
    EglDisplay egl_;
    std::vector<std::unique_ptr<HeadlessNativeWindow>> natives_;
};

}  // namespace

bool UseHeadlessWindowBackend(bool (*takeStopRequest)(), std::string* problem) {
    // Made once and kept until the process ends: windows and the OpenGL
    // device may be released by static destructors after main returns.
    static HeadlessWindowBackend* backend = nullptr;
    if (!backend) {
        auto* made = new HeadlessWindowBackend(takeStopRequest);
        if (!made->Open(problem)) {
            delete made;
            return false;
        }
        backend = made;
    }
    SetWindowBackend(backend);
    return true;
}
