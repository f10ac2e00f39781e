// The SDL window behind a window handle: the native window of the SDL
// backend, and the SDL-side helpers for tests and benchmarks of the layers
// above (an SDL window made elsewhere, wrapped in a handle).
#pragma once

#include <memory>

#include "platform/window/core/native_window.h"

struct SDL_Window;

// The native window of an SDL window, with the OpenGL part the device uses.
// borrowed: the SDL window belongs to someone else (WrapSdlWindow).
std::unique_ptr<NativeWindow> MakeSdlNativeWindow(SDL_Window* window, bool borrowed);

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
