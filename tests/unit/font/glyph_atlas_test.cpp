#include "platform/gfx/font/glyph_atlas.h"

#include <gtest/gtest.h>

#include <random>

namespace gfx::font {
namespace {

TEST(GlyphAtlas, RegionsStayInsideNeverOverlapAndKeepTheirPixels) {
    GlyphAtlas atlas(128, 32, 512);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> size(1, 24);
    std::vector<AtlasRect> placed;
    AtlasRect r;
    while (atlas.Allocate(size(random), size(random), &r)) {
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= atlas.Width() &&
                    r.y + r.height <= atlas.Height());
        // Each region is filled with its own number; an overlap would
        // overwrite an earlier one.
        std::vector<uint8_t> fill(r.width * r.height, uint8_t(placed.size() + 1));
        atlas.Write(r, fill.data(), r.width);
        placed.push_back(r);
    }
    EXPECT_EQ(atlas.Height(), 512);
    EXPECT_TRUE(atlas.Resized());
    EXPECT_GT(placed.size(), 100u);
    for (size_t i = 0; i < placed.size(); ++i) {
        const AtlasRect& p = placed[i];
        for (int y = p.y; y < p.y + p.height; ++y)
            for (int x = p.x; x < p.x + p.width; ++x)
                ASSERT_EQ(atlas.Pixels()[y * atlas.Width() + x], uint8_t(i + 1));
    }
    // Too big for even the largest image.
    GlyphAtlas small(64, 16, 32);
    EXPECT_FALSE(small.Allocate(64, 4, &r));  // no room for the gap
    EXPECT_FALSE(small.Allocate(4, 40, &r));
    EXPECT_TRUE(small.Allocate(63, 31, &r));
    EXPECT_FALSE(small.Allocate(1, 1, &r));
    small.Clear();
    EXPECT_TRUE(small.Allocate(1, 1, &r));
}

}  // namespace
}  // namespace gfx::font
