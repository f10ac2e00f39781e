#include "platform/window/sdl/sdl_native_window.h"

#include <SDL.h>

#include "platform/window/core/window_backend.h"

bool SdlNativeWindow::HasOpenGl() const {
    return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_OPENGL) != 0;
}

void* SdlNativeWindow::CreateGlContext(bool debug) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, debug ? SDL_GL_CONTEXT_DEBUG_FLAG : 0);
    SDL_GLContext context = SDL_GL_CreateContext(window_);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    return context;
}

void* SdlNativeWindow::CreateProbeGlContext(int major, int minor, bool core) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK,
                        core ? SDL_GL_CONTEXT_PROFILE_CORE : SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GLContext context = SDL_GL_CreateContext(window_);
    SetOpenGlWindowAttributes();  // as every other window of ours expects them
    return context;
}

void SdlNativeWindow::DeleteGlContext(void* context) {
    if (SDL_GL_GetCurrentContext() == context) SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context);
}

void SdlNativeWindow::MakeGlContextCurrent(void* context) {
    // SDL keeps the current context per thread; asking it is cheap and stays
    // right whoever else made a context current.
    if (SDL_GL_GetCurrentContext() != context) SDL_GL_MakeCurrent(window_, context);
}

void SdlNativeWindow::SetGlSwapInterval(int interval) { SDL_GL_SetSwapInterval(interval); }

void SdlNativeWindow::SwapGlBuffers() { SDL_GL_SwapWindow(window_); }

void SdlNativeWindow::GetGlDrawableSize(int* width, int* height) const {
    SDL_GL_GetDrawableSize(window_, width, height);
}

SDL_Window* GetSdlWindow(HWND window) {
    auto* native = dynamic_cast<SdlNativeWindow*>(GetNativeWindow(window));
    return native ? native->Window() : nullptr;
}

HWND WrapSdlWindow(SDL_Window* window) {
    auto* wrapped = new WindowObject;
    wrapped->native = new SdlNativeWindow(window, /*borrowed=*/true);
    return wrapped;
}

void FreeWrappedWindow(HWND window) {
    auto* native = dynamic_cast<SdlNativeWindow*>(GetNativeWindow(window));
    if (!native || !native->Borrowed()) return;
    delete native;
    delete window;
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
