#include "platform/gfx/font/glyph_atlas.h"

#include <algorithm>
#include <cstring>

namespace gfx::font {

namespace {
constexpr int kGap = 1;
}  // namespace

GlyphAtlas::GlyphAtlas(int width, int height, int maxHeight)
    : width_(std::max(1, width)),
      height_(std::max(1, height)),
      maxHeight_(std::max(height_, maxHeight)),
      pixels_(static_cast<size_t>(width_) * height_, 0) {
    shelves_.reserve(64);
}

bool GlyphAtlas::Allocate(int width, int height, AtlasRect* rect) {
    if (width < 0 || height < 0 || width + kGap > width_ || height + kGap > maxHeight_) {
        return false;
    }
    const int needWidth = width + kGap;
    const int needHeight = height + kGap;
    // Lowest waste first: the shortest shelf that fits, if it is not more
    // than half again as tall as the glyph.
    Shelf* best = nullptr;
    for (Shelf& shelf : shelves_) {
        if (shelf.height >= needHeight && shelf.height <= needHeight + needHeight / 2 &&
            shelf.used + needWidth <= width_ && (!best || shelf.height < best->height)) {
            best = &shelf;
        }
    }
    if (!best) {
        while (nextShelfY_ + needHeight > height_) {
            if (height_ >= maxHeight_) {
                return false;
            }
            height_ = std::min(maxHeight_, height_ * 2);
            pixels_.resize(static_cast<size_t>(width_) * height_, 0);
            resized_ = true;
        }
        shelves_.push_back(Shelf{nextShelfY_, needHeight, 0});
        nextShelfY_ += needHeight;
        best = &shelves_.back();
    }
    *rect = AtlasRect{best->used, best->y, width, height};
    best->used += needWidth;
    return true;
}

void GlyphAtlas::Write(const AtlasRect& rect, const uint8_t* pixels, int pitch) {
    if (rect.x < 0 || rect.y < 0 || rect.width <= 0 || rect.height <= 0 ||
        rect.x + rect.width > width_ || rect.y + rect.height > height_) {
        return;
    }
    for (int row = 0; row < rect.height; ++row) {
        std::memcpy(&pixels_[static_cast<size_t>(rect.y + row) * width_ + rect.x],
                    pixels + static_cast<size_t>(row) * pitch, static_cast<size_t>(rect.width));
    }
    MarkDirty(rect.y, rect.y + rect.height);
}

void GlyphAtlas::Clear() {
    ++generation_;
    shelves_.clear();
    nextShelfY_ = 0;
    std::fill(pixels_.begin(), pixels_.end(), 0);
    MarkDirty(0, height_);
}

void GlyphAtlas::MarkClean() {
    dirtyTop_ = dirtyBottom_ = 0;
    resized_ = false;
}

void GlyphAtlas::MarkDirty(int top, int bottom) {
    if (!IsDirty()) {
        dirtyTop_ = top;
        dirtyBottom_ = bottom;
    } else {
        dirtyTop_ = std::min(dirtyTop_, top);
        dirtyBottom_ = std::max(dirtyBottom_, bottom);
    }
}

}  // namespace gfx::font
