// The HUD: frame rate, camera position and five lines of key help, drawn in
// the top-left corner of every frame.
#pragma once

#include <cstddef>

struct Renderer;

// Formats each line into textBuffer (at most capacity bytes, always
// terminated) and draws it at x = 1, y = 10, 30, ..., 130.
void DrawHudLines(Renderer& renderer, char* textBuffer, size_t capacity, float framesPerSecond);
