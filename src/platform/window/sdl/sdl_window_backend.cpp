#include "platform/window/sdl/sdl_window_backend.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/text/cp949.h"
#include "platform/window/core/window_backend.h"
#include "platform/window/sdl/application_icon.h"
#include "platform/window/sdl/compose_cache.h"
#include "platform/window/sdl/gl_driver_prewarm.h"
#include "platform/window/sdl/sdl_drops.h"
#include "platform/window/sdl/sdl_native_window.h"
#include "platform/window/sdl/sdl_translation.h"
#include "platform/window/sdl/sdl_video_driver.h"
#include "platform/window/sdl/stop_signals.h"

namespace {

// Key under which each SDL window keeps its handle.
constexpr const char* kHandleKey = "rr.window";
constexpr int kIconSize = 32;

void SetApplicationIcon(SDL_Window* window) {
    std::vector<uint8_t> pixels = DrawApplicationIcon(kIconSize);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kIconSize, kIconSize, 32,
                                                           kIconSize * 4, SDL_PIXELFORMAT_RGBA32);
    if (!icon) return;  // the window works without its icon
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

class SdlWindowBackend final : public WindowBackend {
public:
    explicit SdlWindowBackend(GlDriverPrewarm* prewarm) : prewarm_(prewarm) {}

    bool CreateNativeWindow(HWND window, NativeWindow** native) override {
        SetOpenGlWindowAttributes();
        Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
        if (window->style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
        std::string title = text::Cp949ToUtf8(window->title.c_str());
        SDL_Window* made = SDL_CreateWindow(
            title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
            std::max(window->clientWidth, 1), std::max(window->clientHeight, 1), flags);
        // SDL has loaded GL for the window (or failed to): the driver the
        // prewarm kept loaded is held by SDL's own connection now.
        prewarm_->Release();
        if (!made) {
            std::fprintf(stderr, "window: SDL_CreateWindow failed: %s\n", SDL_GetError());
            return false;
        }
        SDL_SetWindowData(made, kHandleKey, window);
        if (window->applicationIcon) SetApplicationIcon(made);
        natives_.push_back(MakeSdlNativeWindow(made, /*borrowed=*/false));
        *native = natives_.back().get();
        return true;
    }

    void RestyleNativeWindow(HWND window) override {
        SDL_Window* native = GetSdlWindow(window);
        if (!native) return;
        SDL_SetWindowResizable(native, (window->style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
        // The desktop's mode: no mode change, the window covers the display.
        SDL_SetWindowFullscreen(native, window->fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    }

    UINT NativeWindowDpi(HWND window) override {
        SDL_Window* native = GetSdlWindow(window);
        const int display = native ? SDL_GetWindowDisplayIndex(native) : -1;
        float dpi = 0.0f;
        if (display < 0 || SDL_GetDisplayDPI(display, nullptr, &dpi, nullptr) != 0) return 0;
        // A display that reports nonsense counts as unknown.
        return dpi >= 48.0f && dpi <= 960.0f ? static_cast<UINT>(dpi + 0.5f) : 0;
    }

    void DestroyNativeWindow(HWND window) override {
        SDL_Window* native = GetSdlWindow(window);
        if (!native) return;
        // The handle dies, the native window is only hidden: a device made on
        // it releases its objects after the loop, with its context current on
        // this surface. It stays (in natives_) until the process ends.
        SDL_SetWindowData(native, kHandleKey, nullptr);
        SDL_HideWindow(native);
    }

    void ResizeNativeWindow(HWND window) override {
        // SDL refuses empty windows; the smallest it takes is 1 x 1.
        SDL_SetWindowSize(GetSdlWindow(window), std::max(window->clientWidth, 1),
                          std::max(window->clientHeight, 1));
    }

    void ShowNativeWindow(HWND window, int showCommand) override {
        SDL_Window* native = GetSdlWindow(window);
        if (showCommand == SW_HIDE) {
            SDL_HideWindow(native);
        } else {
            SDL_ShowWindow(native);
            SDL_RaiseWindow(native);
        }
    }

    void PollMessages(PolledEvents* polled) override {
        if (TakeStopRequest()) {
            // SIGINT or SIGTERM: the main window is closed, as by its close box.
            MSG close;
            close.message = WM_CLOSE;
            polled->messages.push_back(close);
        }
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            MSG message;
            Uint32 id = 0;
            if (!Translate(event, polled, &message, &id)) continue;
            // Events of no window (SDL_QUIT, keys while none of ours has the
            // focus) are for the main window: hwnd stays null. Events of a
            // window that is not ours, or no longer, are dropped.
            if (id != 0) {
                SDL_Window* native = SDL_GetWindowFromID(id);
                message.hwnd =
                    native ? static_cast<HWND>(SDL_GetWindowData(native, kHandleKey)) : nullptr;
                if (!message.hwnd) {
                    if (message.message == WM_DROPFILES) polled->drops.pop_back();
                    continue;
                }
            }
            polled->messages.push_back(message);
        }
    }

    void WaitForEvents() override {
        // The event stays queued for PollMessages.
        if (!SDL_WaitEvent(nullptr))
            std::fprintf(stderr, "window: SDL_WaitEvent failed: %s\n", SDL_GetError());
    }

    int ShowMessageBox(const char* text, const char* caption, UINT type) override {
        std::string utf8Text = text::Cp949ToUtf8(text);
        std::string utf8Caption = text::Cp949ToUtf8(caption);
        if (!BeginMessageBox()) {
            // The program is stopping: no new box, the text goes to stderr.
            std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
            return IDOK;
        }
        // SDL shows the box from a forked process. A thread that holds the
        // dynamic loader's or Xlib's lock at the fork would leave that lock
        // held forever in the child, which then hangs before its box shows:
        // the driver prewarm (dlopen, its own X connection) ends first.
        prewarm_->Finish();
        // No owner window: the box stands on its own, as the program's boxes do.
        Uint32 flags =
            (type & 0xF0) == MB_ICONERROR ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
        int shown = SDL_ShowSimpleMessageBox(flags, utf8Caption.c_str(), utf8Text.c_str(), nullptr);
        // A box closed by a stop signal ends like one dismissed with OK.
        if (!EndMessageBox() && shown != 0) {
            // No box could be shown: the message still reaches the user.
            std::fprintf(stderr, "window: no message box (%s)\n%s: %s\n", SDL_GetError(),
                         utf8Caption.c_str(), utf8Text.c_str());
        }
        return IDOK;
    }

    DWORD Ticks() override { return SDL_GetTicks(); }  // 32 bits, wraps like timeGetTime

private:
    // The message of one event; a completed drop's files go to polled->drops.
    bool Translate(const SDL_Event& event, PolledEvents* polled, MSG* message, Uint32* id) {
        if (event.type == SDL_DROPBEGIN || event.type == SDL_DROPFILE ||
            event.type == SDL_DROPTEXT || event.type == SDL_DROPCOMPLETE) {
            std::vector<std::string> files;
            bool completed = drops_.Take(event.drop, &files, id);
            SDL_free(event.drop.file);  // SDL hands the text over with the event
            if (!completed) return false;
            *message = MSG{};
            message->message = WM_DROPFILES;
            message->wParam = polled->drops.size();
            polled->drops.push_back(std::move(files));
            return true;
        }
        SdlEventContext context;
        context.modifiers = static_cast<Uint16>(SDL_GetModState());
        context.mouseButtons = buttons_;
        if (event.type == SDL_MOUSEBUTTONDOWN) buttons_ |= SDL_BUTTON(event.button.button);
        if (event.type == SDL_MOUSEBUTTONUP) buttons_ &= ~SDL_BUTTON(event.button.button);
        return TranslateSdlEvent(event, context, message, id);
    }

    GlDriverPrewarm* prewarm_;
    Uint32 buttons_ = 0;  // mouse buttons held, as the events so far tell
    SdlDropCollector drops_;
    // Every native window made, kept until the process ends (see DestroyNativeWindow).
    std::vector<std::unique_ptr<NativeWindow>> natives_;
};

}  // namespace

bool UseSdlWindowBackend(std::string* problem) {
    // The GL driver loads while SDL starts, where SDL will use GLX. Its
    // thread is waited for at exit, if no window released it before.
    static GlDriverPrewarm prewarm;
    if (SdlStartsOnX11()) prewarm.Start(ComposeTableCached());
    std::string reason;
    if (!StartSdlVideo(&reason)) {
        prewarm.Finish();
        if (problem) *problem = reason;
        if (!problem) std::fprintf(stderr, "window: %s\n", reason.c_str());
        return false;
    }
    // Made once and kept until the process ends: windows and the OpenGL
    // device may be released by static destructors after main returns.
    static SdlWindowBackend* backend = new SdlWindowBackend(&prewarm);
    SetWindowBackend(backend);
    return true;
}
