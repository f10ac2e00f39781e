#include "render/hud.h"

#include <cstdio>

#include "render/hud_text.h"
#include "render/renderer.h"

namespace {
constexpr int32_t kHudLeft = 1;
}

void DrawHudLines(Renderer& renderer, char* textBuffer, size_t capacity, float framesPerSecond) {
    if (!textBuffer || capacity == 0) return;
    const Vector3& eye = renderer.camera.position;

    std::snprintf(textBuffer, capacity, kHudFrameRateFormat, framesPerSecond);
    renderer.DrawTextLine(textBuffer, kHudLeft, 10);
    std::snprintf(textBuffer, capacity, kHudCameraFormat, eye.x, eye.y, eye.z);
    renderer.DrawTextLine(textBuffer, kHudLeft, 30);

    // The fixed lines go through the same buffer, copied unchanged.
    const char* const fixedLines[] = {kHudKeysReflectRefract, kHudKeysCameraMove,
                                      kHudKeysCameraTurn, kHudKeysLightMove, kHudKeysFillMode};
    int32_t y = 50;
    for (const char* line : fixedLines) {
        std::snprintf(textBuffer, capacity, "%s", line);
        renderer.DrawTextLine(textBuffer, kHudLeft, y);
        y += 20;
    }
}

void DrawHudAlertLine(Renderer& renderer, char* textBuffer, size_t capacity, const char* text,
                      size_t length, int32_t line) {
    if (!textBuffer || capacity == 0 || !text) return;
    size_t copied = 0;
    for (; copied < length && text[copied] && copied + 1 < capacity; ++copied) {
        unsigned char c = static_cast<unsigned char>(text[copied]);
        textBuffer[copied] = c < 0x80 && c >= 0x20 ? char(c) : '?';
    }
    textBuffer[copied] = '\0';
    ColorRGBA kept = renderer.textColor;
    renderer.SetTextColor(1.0f, 0.0f, 0.0f, 1.0f);
    renderer.DrawTextLine(textBuffer, kHudLeft, kHudAlertTop + 20 * line);
    renderer.textColor = kept;
}
