// Placing glyphs of a text in a rectangle: pen positions, alignment and
// clipping, in whole pixels with y pointing down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/core/types.h"

namespace gfx::font {

// DrawText format flags (their Windows values).
constexpr uint32_t DT_TOP = 0x0;
constexpr uint32_t DT_LEFT = 0x0;
constexpr uint32_t DT_CENTER = 0x1;
constexpr uint32_t DT_RIGHT = 0x2;
constexpr uint32_t DT_VCENTER = 0x4;
constexpr uint32_t DT_BOTTOM = 0x8;
constexpr uint32_t DT_SINGLELINE = 0x20;
constexpr uint32_t DT_NOCLIP = 0x100;
constexpr uint32_t DT_CALCRECT = 0x400;

// A glyph as the layout sees it: its bitmap's size and offset from the pen
// on the baseline, the pen advance, and where the bitmap sits in the atlas.
struct PlacedGlyph {
    int width = 0;
    int height = 0;
    int left = 0;  // bitmap's left edge minus the pen x
    int top = 0;   // baseline minus the bitmap's top row
    int advance = 0;
    int atlasX = 0;
    int atlasY = 0;
};

// A screen rectangle [x0, x1) × [y0, y1) filled from the atlas texels whose
// top-left is (atlasX, atlasY), one texel per pixel.
struct Quad {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    int atlasX = 0;
    int atlasY = 0;
};

struct LineMetrics {
    int ascent = 0;      // baseline below the line's top
    int lineHeight = 0;  // distance between lines, the cell height
};

// Lays out count code points whose glyphs are glyphs[i] (null: nothing to
// draw, e.g. a control character, which also takes no room). '\n' starts a new
// line unless the format has DT_SINGLELINE; '\r' takes no room. Quads are
// appended to quads (cleared first), clipped to rect unless DT_NOCLIP. extent
// receives the rectangle the text occupies (what DT_CALCRECT reports).
// Returns the height of the text: lines × lineHeight, 0 for no code points.
int LayoutText(const char32_t* text, const PlacedGlyph* const* glyphs, size_t count,
               const Rect& rect, uint32_t format, const LineMetrics& metrics,
               std::vector<Quad>* quads, Rect* extent);

}  // namespace gfx::font
