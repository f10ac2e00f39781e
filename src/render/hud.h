// The HUD: frame rate, camera position and five lines of key help, drawn in
// the top-left corner of every frame.
#pragma once

#include <cstddef>
#include <cstdint>

struct Renderer;

// Formats each line into textBuffer (at most capacity bytes, always
// terminated) and draws it at x = 1, y = 10, 30, ..., 130.
void DrawHudLines(Renderer& renderer, char* textBuffer, size_t capacity, float framesPerSecond);

// y of the line below the seven.
inline constexpr int32_t kHudAlertTop = 150;

// One more line below the seven (line 0 at kHudAlertTop, each next one 20
// pixels lower), in opaque red (the text colour is restored afterwards): a
// file that did not load, an effect's compile error. The text is the first
// length bytes of text (up to a zero), UTF-8 or ASCII; bytes outside ASCII
// become '?' for the code-page-949 font.
void DrawHudAlertLine(Renderer& renderer, char* textBuffer, size_t capacity, const char* text,
                      size_t length, int32_t line = 0);
