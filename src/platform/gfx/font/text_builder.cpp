#include "platform/gfx/font/text_builder.h"

#include <algorithm>
#include <iterator>

namespace gfx::font {

namespace {
// Room reserved up front so that ordinary lines never grow the buffers.
constexpr size_t kReservedCodePoints = 256;
}  // namespace

TextBuilder::TextBuilder() : atlas_(kAtlasWidth, kAtlasHeight, kAtlasMaxHeight) {
    codePoints_.reserve(kReservedCodePoints);
    placed_.reserve(kReservedCodePoints);
    quads_.reserve(kReservedCodePoints);
    glyphs_.reserve(kReservedCodePoints);
}

bool TextBuilder::Open(FcConfig* config, const FontRequest& request, std::string* error) {
    if (!decoder_.IsOpen()) {
        *error = "iconv cannot convert from CP949";
        return false;
    }
    if (!faces_.Open(config, request, error)) {
        return false;
    }
    metrics_.ascent = faces_.Ascent();
    metrics_.lineHeight = faces_.CellHeight();
    return true;
}

const PlacedGlyph* TextBuilder::Glyph(char32_t codePoint) {
    if (codePoint < 0x20 || codePoint == 0x7F) {
        return nullptr;
    }
    const bool ascii = codePoint < kAsciiCount;
    if (ascii && asciiPlaced_[codePoint]) {
        return &ascii_[codePoint];
    }
    auto known = ascii ? glyphs_.end() : glyphs_.find(codePoint);
    if (known != glyphs_.end()) {
        return &known->second;
    }
    PlacedGlyph glyph;
    if (faces_.Render(faces_.Find(codePoint), &scratch_)) {
        glyph.width = scratch_.width;
        glyph.height = scratch_.height;
        glyph.left = scratch_.left;
        glyph.top = scratch_.top;
        glyph.advance = scratch_.advance;
        if (glyph.width > 0 && glyph.height > 0) {
            AtlasRect place;
            if (!atlas_.Allocate(glyph.width, glyph.height, &place)) {
                atlasFull_ = true;
                return nullptr;
            }
            atlas_.Write(place, scratch_.pixels.data(), scratch_.width);
            glyph.atlasX = place.x;
            glyph.atlasY = place.y;
        }
    }
    // A glyph that cannot be rendered stays empty (no ink, no advance) and is
    // not tried again.
    if (ascii) {
        ascii_[codePoint] = glyph;
        asciiPlaced_[codePoint] = true;
        return &ascii_[codePoint];
    }
    return &glyphs_.emplace(codePoint, glyph).first->second;
}

bool TextBuilder::ResolveGlyphs() {
    atlasFull_ = false;
    placed_.clear();
    for (char32_t c : codePoints_) {
        placed_.push_back(Glyph(c));
    }
    return !atlasFull_;
}

int TextBuilder::Build(const char* text, int count, const Rect& rect, uint32_t format) {
    decoder_.Decode(text, count, codePoints_);
    if (!ResolveGlyphs()) {
        // The atlas is full of other texts' glyphs: start it over with this
        // text's. Glyphs that still do not fit are left out.
        glyphs_.clear();
        std::fill(std::begin(asciiPlaced_), std::end(asciiPlaced_), false);
        atlas_.Clear();
        ResolveGlyphs();
    }
    return LayoutText(codePoints_.data(), placed_.data(), codePoints_.size(), rect, format,
                      metrics_, &quads_, &extent_);
}

}  // namespace gfx::font
