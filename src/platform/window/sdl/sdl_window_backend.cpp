#include "platform/window/sdl/sdl_window_backend.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/core/window_backend.h"
#include "platform/window/sdl/application_icon.h"
#include "platform/window/sdl/sdl_native_window.h"
#include "platform/window/sdl/sdl_translation.h"
#include "platform/window/sdl/stop_signals.h"
#include "platform/text/cp949.h"

namespace {

// Key under which each SDL window keeps its handle.
constexpr const char* kHandleKey = "rr.window";
constexpr int kIconSize = 32;


void SetApplicationIcon(SDL_Window* window) {
    std::vector<uint8_t> pixels = DrawApplicationIcon(kIconSize);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        pixels.data(), kIconSize, kIconSize, 32, kIconSize * 4, SDL_PIXELFORMAT_RGBA32);
    if (!icon) return;  // the window works without its icon
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

Uint32 MessageBoxFlags(UINT type) {
    switch (type & 0xF0) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

class SdlWindowBackend final : public WindowBackend {
public:
    bool CreateNativeWindow(HWND window) override {
        SetOpenGlWindowAttributes();
        Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
        // Without a sizing frame the user cannot drag the border; minimising
        // and maximising stay with the window manager's buttons.
        if (window->style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
        // The position asked for is the outer one; SDL places the client area.
        RECT insets = WindowFrameInsets(window->style, window->menu != nullptr);
        int x = window->x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : window->x + insets.left;
        // As in Win32, y means nothing when x is CW_USEDEFAULT.
        int y = window->x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : window->y + insets.top;
        std::string title = text::Cp949ToUtf8(window->title.c_str());
        SDL_Window* native = SDL_CreateWindow(title.c_str(), x, y, std::max(window->clientWidth, 1),
                                              std::max(window->clientHeight, 1), flags);
        if (!native) {
            std::fprintf(stderr, "window: SDL_CreateWindow failed: %s\n", SDL_GetError());
            return false;
        }
        SDL_SetWindowData(native, kHandleKey, window);
        if (IsApplicationIcon(window->icon)) SetApplicationIcon(native);
        natives_.push_back(std::make_unique<SdlNativeWindow>(native, /*borrowed=*/false));
        window->native = natives_.back().get();
        return true;
    }

    void DestroyNativeWindow(HWND window) override {
        SDL_Window* native = GetSdlWindow(window);
        if (!native) return;
        // The handle dies here, but the native window is only hidden: a
        // graphics device created on it keeps its GL context on this surface
        // and must still be able to make it current to release its objects
        // (the program releases its device after the message loop, when the
        // window was closed long before). The process's exit reclaims it;
        // its native window object stays in natives_ until then.
        SDL_SetWindowData(native, kHandleKey, nullptr);
        SDL_HideWindow(native);
        window->native = nullptr;
    }

    void ResizeNativeWindow(HWND window, int clientWidth, int clientHeight) override {
        // SDL refuses empty windows; the smallest it takes is 1 x 1.
        SDL_SetWindowSize(GetSdlWindow(window), std::max(clientWidth, 1), std::max(clientHeight, 1));
    }

    void ShowNativeWindow(HWND window, int showCommand) override {
        SDL_Window* native = GetSdlWindow(window);
        switch (showCommand) {
        case SW_HIDE:
            SDL_HideWindow(native);
            return;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            SDL_ShowWindow(native);
            SDL_MinimizeWindow(native);
            return;
        case SW_SHOWMAXIMIZED:
            SDL_ShowWindow(native);
            SDL_MaximizeWindow(native);
            return;
        case SW_RESTORE:
            SDL_ShowWindow(native);
            SDL_RestoreWindow(native);
            return;
        case SW_SHOWNOACTIVATE:
        case SW_SHOWNA:
            SDL_ShowWindow(native);
            return;
        default:
            SDL_ShowWindow(native);
            SDL_RaiseWindow(native);
            return;
        }
    }

    void PollEvents() override {
        if (TakeStopRequest()) {
            // SIGINT or SIGTERM: the main window is closed, as by its close
            // box; with no window left, the loop is asked to end directly.
            if (FirstLiveWindow()) {
                SDL_Event quit{};
                quit.type = SDL_QUIT;
                Deliver(quit);
            } else {
                PostQuitMessage(0);
            }
        }
        SDL_Event event;
        while (SDL_PollEvent(&event)) Deliver(event);
    }

    void WaitForEvents() override {
        // Blocks in SDL until an event is queued; it stays queued for PollEvents.
        if (!SDL_WaitEvent(nullptr)) {
            std::fprintf(stderr, "window: SDL_WaitEvent failed: %s\n", SDL_GetError());
        }
    }

    int ShowMessageBox(HWND /*owner*/, const char* text, const char* caption, UINT type) override {
        std::string utf8Text = text::Cp949ToUtf8(text);
        std::string utf8Caption = text::Cp949ToUtf8(caption);
        if (!BeginMessageBox()) {
            // The program is stopping: no new box, the text goes to stderr.
            std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
            return IDOK;
        }
        // No owner window: the box stands on its own, as the program's boxes do.
        int shown = SDL_ShowSimpleMessageBox(MessageBoxFlags(type), utf8Caption.c_str(),
                                             utf8Text.c_str(), nullptr);
        // A box closed by a stop signal ends like one dismissed with OK.
        if (!EndMessageBox() && shown != 0) {
            // No box could be shown: the message still reaches the user.
            std::fprintf(stderr, "window: no message box (%s)\n%s: %s\n", SDL_GetError(),
                         utf8Caption.c_str(), utf8Text.c_str());
        }
        return IDOK;
    }

    DWORD Ticks() override {
        // SDL2's tick count is 32 bits wide and wraps at 2^32 like timeGetTime.
        return SDL_GetTicks();
    }

private:
    // The window an event belongs to; events without one (SDL_QUIT) go to
    // the main window. Null for windows that are not ours.
    HWND TargetOf(const SDL_Event& event) const {
        Uint32 id = 0;
        switch (event.type) {
        case SDL_WINDOWEVENT: id = event.window.windowID; break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: id = event.key.windowID; break;
        case SDL_MOUSEMOTION: id = event.motion.windowID; break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: id = event.button.windowID; break;
        case SDL_MOUSEWHEEL: id = event.wheel.windowID; break;
        default: return FirstLiveWindow();
        }
        SDL_Window* native = id ? SDL_GetWindowFromID(id) : nullptr;
        // Keyboard events may come with no window when none has focus.
        if (!native) return event.type == SDL_KEYDOWN || event.type == SDL_KEYUP ? FirstLiveWindow() : nullptr;
        auto* window = static_cast<HWND>(SDL_GetWindowData(native, kHandleKey));
        return IsLiveWindow(window) ? window : nullptr;
    }

    void Deliver(const SDL_Event& event) {
        HWND window = TargetOf(event);
        Uint32 buttonsBefore = buttons_;
        if (event.type == SDL_MOUSEBUTTONDOWN) buttons_ |= SDL_BUTTON(event.button.button);
        if (event.type == SDL_MOUSEBUTTONUP) buttons_ &= ~SDL_BUTTON(event.button.button);
        if (!window) return;

        SdlEventContext context;
        context.modifiers = SDL_GetModState();
        context.mouseButtons = buttonsBefore;
        if (SDL_Window* native = GetSdlWindow(window)) {
            SDL_GetWindowSize(native, &context.clientWidth, &context.clientHeight);
            context.maximized = (SDL_GetWindowFlags(native) & SDL_WINDOW_MAXIMIZED) != 0;
        }
        if (event.type == SDL_MOUSEWHEEL) {
            SDL_GetGlobalMouseState(&context.cursorScreenX, &context.cursorScreenY);
        }
        TranslatedMessage messages[kMaxMessagesPerEvent];
        int count = TranslateSdlEvent(event, context, messages);
        for (int i = 0; i < count; ++i) {
            const TranslatedMessage& message = messages[i];
            if (message.message == WM_SIZE) {
                int width = static_cast<int>(LOWORD(message.lParam));
                int height = static_cast<int>(HIWORD(message.lParam));
                // Sizes the window system already reported (SetWindowPos
                // sends its own WM_SIZE) are not reported twice.
                if (width == window->clientWidth && height == window->clientHeight) continue;
                window->clientWidth = width;
                window->clientHeight = height;
            }
            PostMessageA(window, message.message, message.wParam, message.lParam);
        }
    }

    Uint32 buttons_ = 0;
    // Every native window made, kept until the process ends (see DestroyNativeWindow).
    std::vector<std::unique_ptr<SdlNativeWindow>> natives_;
};

bool NonEmpty(const char* value) {
    return value && value[0];
}

// The video drivers that show a window to a person, those whose display the
// environment names, in SDL's own order of preference. SDL's other drivers
// (offscreen, KMS/DRM, ...) would run with nothing on screen, looking hung;
// and Wayland is not probed without WAYLAND_DISPLAY, whose library would
// print its own complaint about XDG_RUNTIME_DIR first.
std::string ScreenVideoDrivers() {
    std::string drivers;
    if (NonEmpty(std::getenv("DISPLAY"))) drivers = "x11";
    if (NonEmpty(std::getenv("WAYLAND_DISPLAY")) || NonEmpty(std::getenv("WAYLAND_SOCKET")))
        drivers += drivers.empty() ? "wayland" : ",wayland";
    return drivers;
}

bool IsScreenVideoDriver(const char* name) {
    return name && (std::string(name) == "x11" || std::string(name) == "wayland");
}

bool InitSdlVideo(std::string* problem) {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    bool explicitDriver = NonEmpty(chosen);
    constexpr char kNoDisplay[] = "no display: set DISPLAY or WAYLAND_DISPLAY, or run under Xvfb";
    std::string drivers;
    if (!explicitDriver) {
        drivers = ScreenVideoDrivers();
        if (drivers.empty()) {
            *problem = std::string(kNoDisplay) + " (neither is set)";
            return false;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    }
    // A click that activates the window is also a click in it, as on Win32.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        if (explicitDriver) {
            *problem = std::string("the video driver SDL_VIDEODRIVER=") + chosen +
                       " did not start: " + SDL_GetError();
        } else {
            std::string names;
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
                if (!NonEmpty(std::getenv(name))) continue;
                names += (names.empty() ? "" : ", ") + std::string(name) + "=" + std::getenv(name);
            }
            *problem = std::string(kNoDisplay) + " (" + names + ": " + SDL_GetError() + ")";
        }
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!explicitDriver && !IsScreenVideoDriver(driver)) {
        *problem = std::string(kNoDisplay) + " (SDL offered only the " +
                   (driver ? driver : "unknown") + " video driver)";
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        return false;
    }
    // Nothing reads text input; without it no input method pops up.
    SDL_StopTextInput();
    return true;
}

}  // namespace

bool UseSdlWindowBackend(std::string* problem) {
    if (SDL_WasInit(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != (SDL_INIT_VIDEO | SDL_INIT_EVENTS)) {
        std::string reason;
        if (!InitSdlVideo(&reason)) {
            if (problem) {
                *problem = reason;
            } else {
                std::fprintf(stderr, "window: %s\n", reason.c_str());
            }
            return false;
        }
    }
    // Made once and kept until the process ends: windows and the OpenGL
    // device may be released by static destructors after main returns.
    static SdlWindowBackend* backend = new SdlWindowBackend;
    SetWindowBackend(backend);
    return true;
}

bool UseSdlWindowBackend() {
    return UseSdlWindowBackend(nullptr);
}

std::string ProgramFolder() {
    char* base = SDL_GetBasePath();
    if (!base) return {};
    std::string folder(base);
    SDL_free(base);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}
