#include "platform/gfx/font/text_layout.h"

#include <algorithm>

namespace gfx::font {

namespace {

// Positions are worked out in 64 bits, so that no rectangle or text length
// can overflow them; ink farther out than this from the origin lies off any
// render target and is dropped.
constexpr int64_t kFarthest = int64_t(1) << 24;

int32_t Clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Width of the line starting at text[begin]; *end receives the index of the
// '\n' that ends it (or count).
int64_t LineWidth(const char32_t* text, const PlacedGlyph* const* glyphs, size_t begin,
                  size_t count, bool singleLine, size_t* end) {
    int64_t width = 0;
    size_t i = begin;
    for (; i < count; ++i) {
        if (text[i] == U'\n' && !singleLine) {
            break;
        }
        if (glyphs[i]) {
            width += glyphs[i]->advance;
        }
    }
    *end = i;
    return width;
}

// The glyph's box at the pen, clipped to the rectangle unless clip is false;
// the atlas origin moves with a left or top cut so that texels keep their
// pixels. False when nothing is left.
bool PlaceQuad(const PlacedGlyph& glyph, int64_t penX, int64_t baseline, const Rect& rect,
               bool clip, Quad* quad) {
    int64_t x0 = penX + glyph.left;
    int64_t y0 = baseline - glyph.top;
    int64_t x1 = x0 + glyph.width;
    int64_t y1 = y0 + glyph.height;
    int64_t atlasX = glyph.atlasX;
    int64_t atlasY = glyph.atlasY;
    if (clip) {
        if (x0 < rect.left) {
            atlasX += rect.left - x0;
            x0 = rect.left;
        }
        if (y0 < rect.top) {
            atlasY += rect.top - y0;
            y0 = rect.top;
        }
        x1 = std::min<int64_t>(x1, rect.right);
        y1 = std::min<int64_t>(y1, rect.bottom);
    }
    if (x0 >= x1 || y0 >= y1 || x0 < -kFarthest || x1 > kFarthest || y0 < -kFarthest ||
        y1 > kFarthest) {
        return false;
    }
    *quad = Quad{static_cast<int>(x0), static_cast<int>(y0),     static_cast<int>(x1),
                 static_cast<int>(y1), static_cast<int>(atlasX), static_cast<int>(atlasY)};
    return true;
}

}  // namespace

int LayoutText(const char32_t* text, const PlacedGlyph* const* glyphs, size_t count,
               const Rect& rect, uint32_t format, const LineMetrics& metrics,
               std::vector<Quad>* quads, Rect* extent) {
    quads->clear();
    *extent = Rect{rect.left, rect.top, rect.left, rect.top};
    if (count == 0) {
        return 0;
    }
    const bool singleLine = (format & DT_SINGLELINE) != 0;
    const bool clip = (format & DT_NOCLIP) == 0;

    int64_t lines = 1;
    for (size_t i = 0; i < count && !singleLine; ++i) {
        lines += text[i] == U'\n' ? 1 : 0;
    }
    const int64_t textHeight = lines * metrics.lineHeight;
    int64_t top = rect.top;
    // Vertical alignment applies to single-line text only, as DrawText does.
    if (singleLine && (format & DT_BOTTOM)) {
        top = int64_t(rect.bottom) - textHeight;
    } else if (singleLine && (format & DT_VCENTER)) {
        top = rect.top + (int64_t(rect.bottom) - rect.top - textHeight) / 2;
    }

    int64_t left = rect.left;
    int64_t right = rect.left;
    size_t begin = 0;
    for (int64_t line = 0; line < lines; ++line) {
        size_t end = count;
        const int64_t width = LineWidth(text, glyphs, begin, count, singleLine, &end);
        int64_t penX = rect.left;
        if (format & DT_RIGHT) {
            penX = int64_t(rect.right) - width;
        } else if (format & DT_CENTER) {
            penX = rect.left + (int64_t(rect.right) - rect.left - width) / 2;
        }
        left = std::min(left, penX);
        right = std::max(right, penX + width);
        const int64_t baseline = top + line * metrics.lineHeight + metrics.ascent;
        for (size_t i = begin; i < end; ++i) {
            const PlacedGlyph* glyph = glyphs[i];
            if (!glyph) {
                continue;
            }
            Quad quad;
            if (glyph->width > 0 && glyph->height > 0 &&
                PlaceQuad(*glyph, penX, baseline, rect, clip, &quad)) {
                quads->push_back(quad);
            }
            penX += glyph->advance;
        }
        begin = end + 1;
    }
    *extent = Rect{Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(top + textHeight)};
    return static_cast<int>(std::min<int64_t>(textHeight, INT32_MAX));
}

}  // namespace gfx::font
