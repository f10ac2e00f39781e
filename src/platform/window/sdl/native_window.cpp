#include "platform/window/sdl/native_window.h"

#include "platform/window/sdl/window_object.h"

SDL_Window* GetSdlWindow(HWND window) {
    return window ? window->sdlWindow : nullptr;
}

HWND WrapSdlWindow(SDL_Window* window) {
    auto* wrapped = new WindowObject;
    wrapped->sdlWindow = window;
    wrapped->borrowed = true;
    return wrapped;
}

void FreeWrappedWindow(HWND window) {
    if (window && window->borrowed) delete window;
}
