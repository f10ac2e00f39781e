#include "render/text_overlay.h"

#include <cstring>
#include <limits>

#include "render/renderer.h"

namespace {

int32_t Saturate(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

gfx::Rect TextLineRect(const char* text, int32_t x, int32_t y, int32_t fontHeight) {
    gfx::Rect rect;
    rect.left = x;
    rect.top = y;
    rect.right = Saturate(static_cast<int64_t>(std::strlen(text)) * fontHeight);
    rect.bottom = Saturate(static_cast<int64_t>(y) + fontHeight);
    return rect;
}

void Renderer::DrawTextLine(const char* text, int32_t x, int32_t y) {
    if (!text) return;
    textRect = TextLineRect(text, x, y, fontHeight);
    if (!font) return;  // no font yet: nothing to draw with
    font->DrawTextA(nullptr, text, -1, &textRect, 0, textColor.PackARGB());
}
