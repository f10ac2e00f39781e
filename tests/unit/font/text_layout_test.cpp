#include "platform/gfx/font/text_layout.h"

#include <gtest/gtest.h>

namespace gfx::font {
namespace {

// A fixed-pitch pretend font: every glyph is a 6 × 10 box starting one pixel
// right of the pen, its top 8 pixels above the baseline, 8 pixels advance.
struct FakeFont {
    PlacedGlyph box{6, 10, 1, 8, 8, 100, 200};
    PlacedGlyph space{0, 0, 0, 0, 4, 0, 0};
    std::vector<const PlacedGlyph*> glyphs;
    std::vector<Quad> quads;
    Rect extent;
    LineMetrics metrics{16, 20};

    int Layout(const std::u32string& text, const Rect& rect, uint32_t format) {
        glyphs.clear();
        for (char32_t c : text) {
            glyphs.push_back(c == U' ' ? &space : c < 0x20 ? nullptr : &box);
        }
        return LayoutText(text.data(), glyphs.data(), text.size(), rect, format, metrics, &quads,
                          &extent);
    }
};

TEST(TextLayout, PlacesGlyphsOnTheBaselineFromTheTopLeft) {
    FakeFont font;
    EXPECT_EQ(font.Layout(U"ab c", Rect{10, 30, 300, 50}, 0), 20);
    ASSERT_EQ(font.quads.size(), 3u);  // the space has no ink
    const Quad& first = font.quads[0];
    EXPECT_EQ(first.x0, 11);
    EXPECT_EQ(first.y0, 30 + 16 - 8);
    EXPECT_EQ(first.x1, 17);
    EXPECT_EQ(first.y1, 48);
    EXPECT_EQ(first.atlasX, 100);
    EXPECT_EQ(first.atlasY, 200);
    EXPECT_EQ(font.quads[1].x0, 19);
    EXPECT_EQ(font.quads[2].x0, 10 + 8 + 8 + 4 + 1);  // after the space's advance
    EXPECT_EQ(font.extent.left, 10);
    EXPECT_EQ(font.extent.right, 10 + 28);
    EXPECT_EQ(font.extent.bottom, 50);
}

TEST(TextLayout, ClipsAtTheRightAndBottomMovingTheAtlasOriginOnlyForLeftAndTop) {
    FakeFont font;
    // Right edge cuts the second glyph after 2 pixels; bottom cuts 4 rows.
    font.Layout(U"ab", Rect{0, 0, 11, 14}, 0);
    ASSERT_EQ(font.quads.size(), 2u);
    EXPECT_EQ(font.quads[1].x0, 9);
    EXPECT_EQ(font.quads[1].x1, 11);
    EXPECT_EQ(font.quads[1].y1, 14);
    EXPECT_EQ(font.quads[1].atlasX, 100);
    // Left and top cuts (text overflowing a right-aligned, vertically
    // centred rectangle) shift into the glyph's texels.
    font.Layout(U"ab", Rect{0, 10, 10, 12}, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    ASSERT_EQ(font.quads.size(), 2u);
    EXPECT_EQ(font.quads[0].x0, 0);  // pen at 10 - 16, ink from -5
    EXPECT_EQ(font.quads[0].x1, 1);
    EXPECT_EQ(font.quads[0].atlasX, 105);
    EXPECT_EQ(font.quads[0].y0, 10);  // line top at 1, ink from 9
    EXPECT_EQ(font.quads[0].y1, 12);
    EXPECT_EQ(font.quads[0].atlasY, 201);
    // A glyph wholly outside the rectangle leaves no quad; DT_NOCLIP keeps it.
    font.Layout(U"abc", Rect{0, 0, 16, 20}, 0);
    EXPECT_EQ(font.quads.size(), 2u);
    font.Layout(U"abc", Rect{0, 0, 16, 20}, DT_NOCLIP);
    ASSERT_EQ(font.quads.size(), 3u);
    EXPECT_EQ(font.quads[2].x1, 16 + 1 + 6);
}

TEST(TextLayout, EmptyRectangleDrawsNothingButReportsTheHeight) {
    FakeFont font;
    EXPECT_EQ(font.Layout(U"abc", Rect{5, 5, 5, 5}, 0), 20);
    EXPECT_TRUE(font.quads.empty());
    EXPECT_EQ(font.Layout(U"", Rect{0, 0, 100, 100}, 0), 0);
}

TEST(TextLayout, NewlinesStartLinesUnlessSingleLineAndControlsTakeNoRoom) {
    FakeFont font;
    EXPECT_EQ(font.Layout(U"a\nb", Rect{0, 0, 100, 100}, 0), 40);
    ASSERT_EQ(font.quads.size(), 2u);
    EXPECT_EQ(font.quads[1].x0, 1);
    EXPECT_EQ(font.quads[1].y0, 20 + 8);
    EXPECT_EQ(font.Layout(U"a\nb", Rect{0, 0, 100, 100}, DT_SINGLELINE), 20);
    ASSERT_EQ(font.quads.size(), 2u);
    EXPECT_EQ(font.quads[1].x0, 9);
    EXPECT_EQ(font.quads[1].y0, 8);
}

TEST(TextLayout, AlignsRightCenteredAndBottom) {
    FakeFont font;
    font.Layout(U"ab", Rect{0, 0, 100, 60}, DT_RIGHT);
    EXPECT_EQ(font.quads[0].x0, 100 - 16 + 1);
    font.Layout(U"ab", Rect{0, 0, 100, 60}, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    EXPECT_EQ(font.quads[0].x0, 42 + 1);
    EXPECT_EQ(font.extent.top, 20);
    font.Layout(U"ab", Rect{0, 0, 100, 60}, DT_SINGLELINE | DT_BOTTOM);
    EXPECT_EQ(font.extent.top, 40);
    EXPECT_EQ(font.quads[0].y0, 40 + 8);
}

}  // namespace
}  // namespace gfx::font
