#include "platform/window/sdl/sdl_window_backend.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/core/window_backend.h"
#include "platform/window/sdl/application_icon.h"
#include "platform/window/sdl/sdl_native_window.h"
#include "platform/window/sdl/sdl_translation.h"
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
        // No owner window: the box stands on its own, as the program's boxes do.
        if (SDL_ShowSimpleMessageBox(MessageBoxFlags(type), utf8Caption.c_str(), utf8Text.c_str(),
                                     nullptr) != 0) {
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

}  // namespace

bool UseSdlWindowBackend() {
    if (SDL_WasInit(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != (SDL_INIT_VIDEO | SDL_INIT_EVENTS)) {
        // A click that activates the window is also a click in it, as on Win32.
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            std::fprintf(stderr, "window: SDL_Init failed: %s\n", SDL_GetError());
            return false;
        }
        // Nothing reads text input; without it no input method pops up.
        SDL_StopTextInput();
    }
    // Made once and kept until the process ends: windows and the OpenGL
    // device may be released by static destructors after main returns.
    static SdlWindowBackend* backend = new SdlWindowBackend;
    SetWindowBackend(backend);
    return true;
}
