// Everything a font does short of the GPU: code-page-949 bytes to code
// points, code points to glyphs in the atlas, glyphs to clipped quads.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/text/cp949.h"
#include "platform/gfx/font/font_faces.h"
#include "platform/gfx/font/glyph_atlas.h"
#include "platform/gfx/font/text_layout.h"

namespace gfx::font {

// Atlas size: a 20-pixel font's Latin and Hangul glyphs for a screenful of
// text fit in the first 512 × 256; it can grow to 512 × 2048.
constexpr int kAtlasWidth = 512;
constexpr int kAtlasHeight = 256;
constexpr int kAtlasMaxHeight = 2048;

class TextBuilder {
public:
    TextBuilder();

    // Chooses the faces (config null: the current fontconfig configuration).
    bool Open(FcConfig* config, const FontRequest& request, std::string* error);

    // Decodes text (count < 0: zero-terminated) and lays it out in rect.
    // New glyphs are rasterised into the atlas (see Atlas().IsDirty()); once
    // a text's glyphs are there, building it again allocates nothing. Returns
    // the text's height (0 for an empty or null text); quads and extent as in
    // LayoutText.
    int Build(const char* text, int count, const Rect& rect, uint32_t format);

    const std::vector<Quad>& Quads() const { return quads_; }
    const Rect& Extent() const { return extent_; }
    const std::u32string& CodePoints() const { return codePoints_; }
    GlyphAtlas& Atlas() { return atlas_; }
    FontFaces& Faces() { return faces_; }
    const LineMetrics& Metrics() const { return metrics_; }
    // The glyph of a code point, rasterised into the atlas if needed; null
    // for characters that take no room (controls) or do not fit the atlas.
    const PlacedGlyph* Glyph(char32_t codePoint);

private:
    // Looks up every code point's glyph; false if the atlas ran out of room.
    bool ResolveGlyphs();

    text::Cp949Decoder decoder_;
    FontFaces faces_;
    GlyphAtlas atlas_;
    LineMetrics metrics_;
    // ASCII glyphs in a table (a glyph first met in a late frame, a digit of
    // the frame rate, allocates nothing), the rest in a map.
    static constexpr char32_t kAsciiCount = 128;
    PlacedGlyph ascii_[kAsciiCount] = {};
    bool asciiPlaced_[kAsciiCount] = {};
    std::unordered_map<char32_t, PlacedGlyph> glyphs_;
    GlyphBitmap scratch_;
    bool atlasFull_ = false;
    std::u32string codePoints_;
    std::vector<const PlacedGlyph*> placed_;
    std::vector<Quad> quads_;
    Rect extent_;
};

}  // namespace gfx::font
