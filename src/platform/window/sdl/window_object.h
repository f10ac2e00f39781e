// What a window handle of the SDL backend points to.
#pragma once

#include "platform/window/core/win_types.h"

struct SDL_Window;

struct WindowObject {
    SDL_Window* sdlWindow = nullptr;
    // True when the SDL window belongs to someone else (WrapSdlWindow).
    bool borrowed = false;
};
