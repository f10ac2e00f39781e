// The SDL window behind a window handle, for the OpenGL device layer.
#pragma once

#include "platform/window/core/win_types.h"

struct SDL_Window;

// The SDL window of a handle made by the SDL backend or by WrapSdlWindow;
// null for a null handle.
SDL_Window* GetSdlWindow(HWND window);

// The SDL_GL attributes of every window the OpenGL device draws into: a
// 4.5 core context, 8-bit red, green and blue, 24-bit depth, 8-bit stencil,
// double buffered. Set before the window is created: on X11 the visual is
// chosen then, and the device's context later needs these.
void SetOpenGlWindowAttributes();

// A handle for an SDL window made elsewhere (tests of the device layer).
// The caller keeps ownership of the SDL window; FreeWrappedWindow drops the handle.
HWND WrapSdlWindow(SDL_Window* window);
void FreeWrappedWindow(HWND window);
