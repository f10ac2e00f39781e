#include "platform/window/sdl/native_window.h"

#include <SDL.h>

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

void SetOpenGlWindowAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
}
