#include "platform/gfx/font/text_layout.h"

#include <algorithm>

namespace gfx::font {

namespace {

// Width of the line starting at text[begin]; *end receives the index of the
// '\n' that ends it (or count).
int LineWidth(const char32_t* text, const PlacedGlyph* const* glyphs, size_t begin,
              size_t count, bool singleLine, size_t* end) {
    int width = 0;
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

// Clips the glyph's box to the rectangle, moving the atlas origin with the
// cut so that texels keep their pixels. False when nothing is left.
bool ClipQuad(Quad* quad, const Rect& clip) {
    if (quad->x0 < clip.left) {
        quad->atlasX += clip.left - quad->x0;
        quad->x0 = clip.left;
    }
    if (quad->y0 < clip.top) {
        quad->atlasY += clip.top - quad->y0;
        quad->y0 = clip.top;
    }
    quad->x1 = std::min(quad->x1, clip.right);
    quad->y1 = std::min(quad->y1, clip.bottom);
    return quad->x0 < quad->x1 && quad->y0 < quad->y1;
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

    int lines = 1;
    for (size_t i = 0; i < count && !singleLine; ++i) {
        lines += text[i] == U'\n' ? 1 : 0;
    }
    const int textHeight = lines * metrics.lineHeight;
    int top = rect.top;
    // Vertical alignment applies to single-line text only, as DrawText does.
    if (singleLine && (format & DT_BOTTOM)) {
        top = rect.bottom - textHeight;
    } else if (singleLine && (format & DT_VCENTER)) {
        top = rect.top + (rect.bottom - rect.top - textHeight) / 2;
    }

    int maxWidth = 0;
    int minLeft = rect.left;
    size_t begin = 0;
    for (int line = 0; line < lines; ++line) {
        size_t end = count;
        const int width = LineWidth(text, glyphs, begin, count, singleLine, &end);
        int penX = rect.left;
        if (format & DT_RIGHT) {
            penX = rect.right - width;
        } else if (format & DT_CENTER) {
            penX = rect.left + (rect.right - rect.left - width) / 2;
        }
        minLeft = std::min(minLeft, penX);
        maxWidth = std::max(maxWidth, penX - rect.left + width);
        const int baseline = top + line * metrics.lineHeight + metrics.ascent;
        for (size_t i = begin; i < end; ++i) {
            const PlacedGlyph* glyph = glyphs[i];
            if (!glyph) {
                continue;
            }
            if (glyph->width > 0 && glyph->height > 0) {
                Quad quad;
                quad.x0 = penX + glyph->left;
                quad.y0 = baseline - glyph->top;
                quad.x1 = quad.x0 + glyph->width;
                quad.y1 = quad.y0 + glyph->height;
                quad.atlasX = glyph->atlasX;
                quad.atlasY = glyph->atlasY;
                if (!clip || ClipQuad(&quad, rect)) {
                    quads->push_back(quad);
                }
            }
            penX += glyph->advance;
        }
        begin = end + 1;
    }
    *extent = Rect{minLeft, top, rect.left + maxWidth, top + textHeight};
    return textHeight;
}

}  // namespace gfx::font
