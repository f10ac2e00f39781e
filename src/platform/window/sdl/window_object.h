// What a window handle of the SDL backend points to: the common window
// record, whose sdlWindow field holds the SDL window.
#pragma once

#include "platform/window/core/window_object.h"
