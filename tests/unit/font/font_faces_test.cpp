#include "platform/gfx/font/font_faces.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

namespace gfx::font {
namespace {

FontRequest HudRequest(int height = 20) {
    FontRequest request;
    request.height = height;
    request.weight = 700;
    request.faceName = "Arial";
    return request;
}

TEST(FontFaces, ArialBoldIsLiberationSansBoldWithA20PixelCellAndKoreanFallback) {
    FontFaces faces;
    std::string error;
    ASSERT_TRUE(faces.Open(nullptr, HudRequest(), &error)) << error;
    EXPECT_EQ(faces.File(0).family, "Liberation Sans");
    EXPECT_EQ(faces.File(0).style, "Bold");
    EXPECT_FALSE(faces.File(0).embolden);
    EXPECT_EQ(faces.CellHeight(), 20);
    const FT_Size_Metrics& m = faces.Face(0)->size->metrics;
    EXPECT_NEAR((m.ascender - m.descender) / 64.0, 20.0, 1.0);
    GlyphBitmap h;
    ASSERT_TRUE(faces.Render(faces.Find(U'H'), &h));
    EXPECT_NEAR(h.top, 13, 1);  // cap height about 0.7 em, on the baseline
    EXPECT_NEAR(h.height, h.top, 1);

    const GlyphSource hangul = faces.Find(U'반');
    ASSERT_GT(hangul.face, 0);
    EXPECT_NE(faces.File(hangul.face).family.find("Nanum"), std::string::npos);
    EXPECT_EQ(faces.Find(U'굴').face, hangul.face);  // the open fallback is reused
    EXPECT_EQ(faces.FaceCount(), 2);
    const GlyphSource none = faces.Find(U'\U0010FFFD');  // no font has it
    EXPECT_EQ(none.face, 0);
    EXPECT_EQ(none.glyph, 0u);  // the missing-glyph box

    FontFaces em;  // a negative height is the em: Liberation's cell is 1.117 em
    ASSERT_TRUE(em.Open(nullptr, HudRequest(-20), &error));
    EXPECT_EQ(em.CellHeight(), 22);
}

TEST(FontFaces, NoFaceAtAllFailsWithAMessage) {
    FcConfig* empty = FcConfigCreate();
    FontFaces faces;
    std::string error;
    EXPECT_FALSE(faces.Open(empty, HudRequest(), &error));
    EXPECT_NE(error.find("Arial"), std::string::npos) << error;
    FcConfigDestroy(empty);
}

}  // namespace
}  // namespace gfx::font
