// The FreeType faces behind one font: the face fontconfig chooses for the
// requested name and weight (face_matching.h), and fallback faces for
// characters that face lacks, sized to one cell height and rendered as
// 8-bit coverage.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gfx/font/face_matching.h"

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

namespace gfx::font {

// Where a character's glyph comes from.
struct GlyphSource {
    int face = 0;        // index into the face set
    uint32_t glyph = 0;  // glyph index in that face; 0 is the face's missing-glyph box
};

// A rendered glyph: 8-bit coverage, rows top to bottom.
struct GlyphBitmap {
    int width = 0;
    int height = 0;
    int left = 0;                 // from the pen position to the bitmap's left edge
    int top = 0;                  // from the baseline up to the bitmap's top row
    int advance = 0;              // pen advance in whole pixels
    std::vector<uint8_t> pixels;  // width × height, reused between glyphs
};

// Pixel size for FreeType that makes the face's cell (ascent + descent, from
// the OS/2 table's Windows metrics when present, otherwise from the face's
// ascender and descender) span cellHeight pixels.
double PixelSizeForCellHeight(FT_Face face, int cellHeight);

class FontFaces {
public:
    FontFaces();
    ~FontFaces();
    FontFaces(const FontFaces&) = delete;
    FontFaces& operator=(const FontFaces&) = delete;

    // Chooses and opens the primary face. False, with a message in error, when
    // no face can be found or opened.
    bool Open(FcConfig* config, const FontRequest& request, std::string* error);

    // Face 0 is the primary face; fallback faces follow in the order they were
    // first needed.
    int FaceCount() const { return static_cast<int>(faces_.size()); }
    const FaceFile& File(int face) const { return faces_[face].file; }
    FT_Face Face(int face) const { return faces_[face].face; }

    // Line metrics of the primary face in whole pixels.
    int Ascent() const { return ascent_; }
    int Descent() const { return descent_; }
    int CellHeight() const { return ascent_ + descent_; }

    // The face and glyph for a code point: the primary face if it has one,
    // else an open fallback face that has one, else a newly found fallback;
    // when no face has it, the primary face's missing-glyph box (glyph 0).
    // Results are remembered, so a code point costs a fontconfig query once.
    GlyphSource Find(char32_t codePoint);

    // Renders a glyph as 8-bit coverage into bitmap (reusing its storage).
    bool Render(GlyphSource source, GlyphBitmap* bitmap);

private:
    struct OpenFace {
        FaceFile file;
        FT_Face face = nullptr;
    };
    int OpenFile(const FaceFile& file, int cellHeight, std::string* error);

    FcConfig* config_ = nullptr;
    FT_Library library_ = nullptr;
    FontRequest request_;
    std::vector<OpenFace> faces_;
    // ASCII in a table, so that a digit first seen in a late frame (the
    // frame rate's) allocates nothing; the rest in a map.
    static constexpr char32_t kAsciiCount = 128;
    GlyphSource ascii_[kAsciiCount] = {};
    bool asciiFound_[kAsciiCount] = {};
    std::unordered_map<char32_t, GlyphSource> found_;
    int ascent_ = 0;
    int descent_ = 0;
};

}  // namespace gfx::font
