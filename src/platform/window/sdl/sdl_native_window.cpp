#include "platform/window/sdl/sdl_native_window.h"

#include <SDL.h>

#include "platform/window/core/window_backend.h"

namespace {

class SdlNativeWindow final : public NativeWindow {
public:
    SdlNativeWindow(SDL_Window* window, bool borrowed) : window(window), borrowed(borrowed) {}

    bool HasOpenGl() const override {
        return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) != 0;
    }
    void* CreateGlContext(bool debug) override { return MakeContext(4, 5, true, debug); }
    void* CreateProbeGlContext(int major, int minor, bool core) override {
        return MakeContext(major, minor, core, false);
    }
    void DeleteGlContext(void* context) override {
        if (SDL_GL_GetCurrentContext() == context) SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
    }
    void MakeGlContextCurrent(void* context) override {
        // SDL keeps the current context per thread; asking it is cheap and
        // stays right whoever else made a context current.
        if (SDL_GL_GetCurrentContext() != context) SDL_GL_MakeCurrent(window, context);
    }
    void SetGlSwapInterval(int interval) override { SDL_GL_SetSwapInterval(interval); }
    void SwapGlBuffers() override { SDL_GL_SwapWindow(window); }
    bool HasDefaultFramebuffer() const override { return true; }
    void GetGlDrawableSize(int* width, int* height) const override {
        SDL_GL_GetDrawableSize(window, width, height);
    }

    SDL_Window* const window;
    const bool borrowed;

private:
    void* MakeContext(int major, int minor, bool core, bool debug) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
        SDL_GL_SetAttribute(
            SDL_GL_CONTEXT_PROFILE_MASK,
            core ? SDL_GL_CONTEXT_PROFILE_CORE : SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, debug ? SDL_GL_CONTEXT_DEBUG_FLAG : 0);
        SDL_GLContext context = SDL_GL_CreateContext(window);
        SetOpenGlWindowAttributes();  // as every other window of ours expects them
        return context;
    }
};

SdlNativeWindow* SdlNative(HWND window) {
    return dynamic_cast<SdlNativeWindow*>(GetNativeWindow(window));
}

}  // namespace

std::unique_ptr<NativeWindow> MakeSdlNativeWindow(SDL_Window* window, bool borrowed) {
    return std::make_unique<SdlNativeWindow>(window, borrowed);
}

SDL_Window* GetSdlWindow(HWND window) {
    SdlNativeWindow* native = SdlNative(window);
    return native ? native->window : nullptr;
}

HWND WrapSdlWindow(SDL_Window* window) {
    auto* wrapped = new WindowObject;
    wrapped->native = new SdlNativeWindow(window, /*borrowed=*/true);
    return wrapped;
}

void FreeWrappedWindow(HWND window) {
    SdlNativeWindow* native = SdlNative(window);
    if (!native || !native->borrowed) return;
    delete native;
    delete window;
}

void SetOpenGlWindowAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
}
