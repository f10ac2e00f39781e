// The SDL window behind a window handle: the native window of the SDL
// backend, and the SDL-side helpers for tests and benchmarks of the layers
// above (an SDL window made elsewhere, wrapped in a handle).
#pragma once

#include "platform/window/core/native_window.h"

struct SDL_Window;

// The native window of the SDL backend, with the OpenGL part the device uses.
class SdlNativeWindow final : public NativeWindow {
public:
    // borrowed: the SDL window belongs to someone else (WrapSdlWindow).
    SdlNativeWindow(SDL_Window* window, bool borrowed) : window_(window), borrowed_(borrowed) {}

    bool HasOpenGl() const override;
    void* CreateGlContext(bool debug) override;
    void* CreateProbeGlContext(int major, int minor, bool core) override;
    void DeleteGlContext(void* context) override;
    void MakeGlContextCurrent(void* context) override;
    void SetGlSwapInterval(int interval) override;
    void SwapGlBuffers() override;
    void GetGlDrawableSize(int* width, int* height) const override;

    SDL_Window* Window() const { return window_; }
    bool Borrowed() const { return borrowed_; }

private:
    SDL_Window* window_;
    bool borrowed_;
};

// The SDL window of a handle made by the SDL backend or by WrapSdlWindow;
// null for a null handle or another backend's window.
SDL_Window* GetSdlWindow(HWND window);

// The SDL_GL attributes of every window the OpenGL device draws into: a
// 4.5 core context, 8-bit red, green and blue, 24-bit depth, 8-bit stencil,
// double buffered. Set before the window is created: on X11 the visual is
// chosen then, and the device's context later needs these.
void SetOpenGlWindowAttributes();

// A handle for an SDL window made elsewhere (tests and benchmarks of the
// device layer). The handle is not a window of the window system and gets no
// messages; the caller keeps the SDL window, FreeWrappedWindow drops the handle.
HWND WrapSdlWindow(SDL_Window* window);
void FreeWrappedWindow(HWND window);
