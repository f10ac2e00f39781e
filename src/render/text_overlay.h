// Drawing one line of HUD text with the renderer's font.
#pragma once

#include <cstdint>

#include "platform/gfx/core/types.h"

// The rectangle of a line drawn at (x, y): left x, top y, bottom y + fontHeight,
// and right = byte length × fontHeight (not offset by x; a code-page-949
// syllable counts two bytes). Saturates instead of overflowing.
gfx::Rect TextLineRect(const char* text, int32_t x, int32_t y, int32_t fontHeight);
