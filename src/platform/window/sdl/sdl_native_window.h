// The SDL window behind a window handle, and SDL windows made elsewhere
// wrapped in a handle (tests and benchmarks of the device layer).
#pragma once

#include <memory>

#include "platform/window/core/native_window.h"

struct SDL_Window;

// borrowed: the SDL window belongs to someone else (WrapSdlWindow).
std::unique_ptr<NativeWindow> MakeSdlNativeWindow(SDL_Window* window, bool borrowed);

// The SDL window of a handle made by the SDL backend or by WrapSdlWindow;
// null for a null handle or another backend's window.
SDL_Window* GetSdlWindow(HWND window);

// The SDL_GL attributes of every window the device draws into (4.5 core,
// RGB8, depth 24, stencil 8, double buffered); set before the window is
// made, as X11 chooses the visual then.
void SetOpenGlWindowAttributes();

// A handle for an SDL window made elsewhere: no window of the window system,
// no messages; the caller keeps the SDL window, FreeWrappedWindow the handle.
HWND WrapSdlWindow(SDL_Window* window);
void FreeWrappedWindow(HWND window);
