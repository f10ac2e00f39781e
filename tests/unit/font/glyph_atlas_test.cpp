#include "platform/gfx/font/glyph_atlas.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace gfx::font {
namespace {

bool Overlap(const AtlasRect& a, const AtlasRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

TEST(GlyphAtlas, RegionsStayInsideAndNeverOverlapWhileGrowing) {
    GlyphAtlas atlas(128, 32, 512);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> size(1, 24);
    std::vector<AtlasRect> placed;
    AtlasRect rect;
    while (atlas.Allocate(size(random), size(random), &rect)) {
        ASSERT_GE(rect.x, 0);
        ASSERT_GE(rect.y, 0);
        ASSERT_LE(rect.x + rect.width, atlas.Width());
        ASSERT_LE(rect.y + rect.height, atlas.Height());
        for (const AtlasRect& other : placed) {
            ASSERT_FALSE(Overlap(rect, other));
        }
        placed.push_back(rect);
    }
    EXPECT_EQ(atlas.Height(), 512);
    EXPECT_TRUE(atlas.Resized());
    EXPECT_GT(placed.size(), 100u);
}

TEST(GlyphAtlas, RefusesWhatCannotFit) {
    GlyphAtlas atlas(64, 16, 32);
    AtlasRect rect;
    EXPECT_FALSE(atlas.Allocate(64, 4, &rect));  // no room for the gap
    EXPECT_FALSE(atlas.Allocate(4, 40, &rect));
    EXPECT_FALSE(atlas.Allocate(-1, 4, &rect));
    EXPECT_TRUE(atlas.Allocate(63, 31, &rect));
    EXPECT_FALSE(atlas.Allocate(1, 1, &rect));
}

TEST(GlyphAtlas, WriteCopiesRowsAndTracksDirtyRows) {
    GlyphAtlas atlas(16, 16, 16);
    atlas.MarkClean();
    EXPECT_FALSE(atlas.IsDirty());
    AtlasRect first;
    AtlasRect second;
    ASSERT_TRUE(atlas.Allocate(3, 2, &first));
    ASSERT_TRUE(atlas.Allocate(2, 5, &second));
    const uint8_t pixels[] = {1, 2, 3, 9, 4, 5, 6, 9};  // pitch 4
    atlas.Write(first, pixels, 4);
    EXPECT_EQ(atlas.Pixels()[first.y * 16 + first.x], 1);
    EXPECT_EQ(atlas.Pixels()[first.y * 16 + first.x + 2], 3);
    EXPECT_EQ(atlas.Pixels()[(first.y + 1) * 16 + first.x], 4);
    EXPECT_EQ(atlas.Pixels()[first.y * 16 + first.x + 3], 0);  // the gap stays blank
    EXPECT_TRUE(atlas.IsDirty());
    EXPECT_EQ(atlas.DirtyTop(), first.y);
    EXPECT_EQ(atlas.DirtyBottom(), first.y + 2);
    atlas.MarkClean();
    const uint8_t tall[10] = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    atlas.Write(second, tall, 2);
    EXPECT_EQ(atlas.DirtyBottom(), second.y + 5);
    // A rectangle outside the image is ignored.
    atlas.Write(AtlasRect{15, 15, 4, 4}, tall, 4);
    atlas.Clear();
    EXPECT_EQ(atlas.Pixels()[first.y * 16 + first.x], 0);
    AtlasRect again;
    ASSERT_TRUE(atlas.Allocate(3, 2, &again));
    EXPECT_EQ(again.x, 0);
    EXPECT_EQ(again.y, 0);
}

}  // namespace
}  // namespace gfx::font
