// The SDL window behind a window handle, for the OpenGL device layer.
#pragma once

#include "platform/window/core/win_types.h"

struct SDL_Window;

// The SDL window of a handle made by the SDL backend or by WrapSdlWindow;
// null for a null handle.
SDL_Window* GetSdlWindow(HWND window);

// A handle for an SDL window made elsewhere (tests of the device layer).
// The caller keeps ownership of the SDL window; FreeWrappedWindow drops the handle.
HWND WrapSdlWindow(SDL_Window* window);
void FreeWrappedWindow(HWND window);
