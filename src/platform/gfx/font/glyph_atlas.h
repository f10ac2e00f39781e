// One 8-bit coverage image holding many glyphs, packed on shelves.
#pragma once

#include <cstdint>
#include <vector>

namespace gfx::font {

struct AtlasRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Glyphs go on horizontal shelves: a glyph takes the lowest shelf that is tall
// enough (and not much taller) and has room left, or opens a new shelf below
// the last one. When the image is full it doubles its height, up to
// maxHeight. Glyphs are never moved, so a glyph's place stays valid until
// Clear. A one-texel gap keeps neighbours from bleeding into each other.
class GlyphAtlas {
public:
    GlyphAtlas(int width, int height, int maxHeight);

    // A free width × height region; false when even the largest image has no
    // room (or the size is impossible).
    bool Allocate(int width, int height, AtlasRect* rect);
    // Copies rows of coverage (pitch bytes apart) into an allocated region.
    void Write(const AtlasRect& rect, const uint8_t* pixels, int pitch);
    // Forgets every glyph and blanks the image (its size stays).
    void Clear();

    int Width() const { return width_; }
    int Height() const { return height_; }
    const uint8_t* Pixels() const { return pixels_.data(); }

    // Rows [DirtyTop, DirtyBottom) changed since MarkClean; the whole image
    // after it grew (Resized).
    bool IsDirty() const { return dirtyBottom_ > dirtyTop_; }
    int DirtyTop() const { return dirtyTop_; }
    int DirtyBottom() const { return dirtyBottom_; }
    // The image changed size since MarkClean: its texture must be rebuilt.
    bool Resized() const { return resized_; }
    void MarkClean();
    // Counts the Clears: a glyph's place holds while this stays the same.
    uint32_t Generation() const { return generation_; }

private:
    struct Shelf {
        int y;
        int height;
        int used;  // width taken so far
    };
    void MarkDirty(int top, int bottom);

    int width_;
    int height_;
    int maxHeight_;
    int nextShelfY_ = 0;
    std::vector<Shelf> shelves_;
    std::vector<uint8_t> pixels_;
    int dirtyTop_ = 0;
    int dirtyBottom_ = 0;
    bool resized_ = false;
    uint32_t generation_ = 0;
};

}  // namespace gfx::font
