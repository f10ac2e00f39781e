#include "platform/gfx/font/text_layout.h"

#include <gtest/gtest.h>

#include <array>

namespace gfx::font {
namespace {

// Every glyph a 6 × 10 box one pixel right of the pen, its top 8 pixels
// above the baseline, advancing 8; spaces advance 4 with no ink.
std::vector<Quad> Layout(const std::u32string& text, const Rect& rect, uint32_t format,
                         Rect* extent = nullptr, int* height = nullptr) {
    static const PlacedGlyph box{6, 10, 1, 8, 8, 100, 200};
    static const PlacedGlyph space{0, 0, 0, 0, 4, 0, 0};
    std::vector<const PlacedGlyph*> glyphs;
    for (char32_t c : text) glyphs.push_back(c == U' ' ? &space : c < 0x20 ? nullptr : &box);
    std::vector<Quad> quads;
    Rect ignored;
    const int h = LayoutText(text.data(), glyphs.data(), text.size(), rect, format,
                             LineMetrics{16, 20}, &quads, extent ? extent : &ignored);
    if (height) *height = h;
    return quads;
}

TEST(TextLayout, PlacesGlyphsOnTheBaselineAndClipsToTheRectangle) {
    Rect extent;
    std::vector<Quad> q = Layout(U"ab c", Rect{10, 30, 300, 50}, 0, &extent);
    ASSERT_EQ(q.size(), 3u);  // the space has no ink
    EXPECT_EQ((std::array{q[0].x0, q[0].y0, q[0].x1, q[0].y1}), (std::array{11, 38, 17, 48}));
    EXPECT_EQ(q[1].x0, 19);
    EXPECT_EQ(q[2].x0, 10 + 8 + 8 + 4 + 1);
    EXPECT_EQ((std::array{extent.left, extent.right, extent.bottom}), (std::array{10, 38, 50}));

    // Right and bottom cut the ink; the atlas origin stays.
    q = Layout(U"abc", Rect{0, 0, 11, 14}, 0);
    ASSERT_EQ(q.size(), 2u);  // c lies wholly outside
    EXPECT_EQ((std::array{q[1].x0, q[1].x1, q[1].y1, q[1].atlasX}), (std::array{9, 11, 14, 100}));
    EXPECT_EQ(Layout(U"abc", Rect{0, 0, 11, 14}, DT_NOCLIP).size(), 3u);
    EXPECT_TRUE(Layout(U"abc", Rect{5, 5, 5, 5}, 0).empty());
    // Left and top cuts (text overflowing a right-aligned, vertically
    // centred rectangle) move the atlas origin with them.
    q = Layout(U"ab", Rect{0, 10, 10, 12}, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ((std::array{q[0].x0, q[0].x1, q[0].atlasX}), (std::array{0, 1, 105}));
    EXPECT_EQ((std::array{q[0].y0, q[0].y1, q[0].atlasY}), (std::array{10, 12, 201}));
}

TEST(TextLayout, LinesAndAlignment) {
    int height = 0;
    std::vector<Quad> q = Layout(U"a\nb", Rect{0, 0, 100, 100}, 0, nullptr, &height);
    EXPECT_EQ((std::array{q[1].x0, q[1].y0, height}), (std::array{1, 28, 40}));
    q = Layout(U"a\nb", Rect{0, 0, 100, 100}, DT_SINGLELINE, nullptr, &height);
    EXPECT_EQ((std::array{q[1].x0, q[1].y0, height}), (std::array{9, 8, 20}));  // \n takes no room
    EXPECT_EQ(Layout(U"ab", Rect{0, 0, 100, 60}, DT_RIGHT)[0].x0, 85);
    EXPECT_EQ(Layout(U"ab", Rect{0, 0, 100, 60}, DT_CENTER)[0].x0, 43);
    EXPECT_EQ(Layout(U"ab", Rect{0, 0, 100, 60}, DT_SINGLELINE | DT_BOTTOM)[0].y0, 48);
    // Extreme rectangles overflow nothing (checked under the sanitizers).
    EXPECT_TRUE(
        Layout(U"ab", Rect{INT32_MAX - 9, INT32_MIN, INT32_MAX, INT32_MAX}, DT_RIGHT).empty());
    EXPECT_TRUE(
        Layout(U"ab\nc", Rect{INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}, DT_NOCLIP).empty());
    EXPECT_TRUE(Layout(U"", Rect{0, 0, 100, 60}, 0, nullptr, &height).empty());
    EXPECT_EQ(height, 0);
}

}  // namespace
}  // namespace gfx::font
