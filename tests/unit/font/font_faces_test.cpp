#include "platform/gfx/font/font_faces.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace gfx::font {
namespace {

FontRequest HudRequest() {
    FontRequest request;
    request.height = 20;
    request.weight = 700;
    request.faceName = "Arial";
    return request;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(std::tolower(c));
    });
    return text;
}

TEST(FontFaces, ArialBoldIsAMetricCompatibleBoldFace) {
    FaceFile face;
    ASSERT_TRUE(MatchFace(nullptr, HudRequest(), &face));
    EXPECT_EQ(face.family, "Liberation Sans");
    EXPECT_NE(Lower(face.style).find("bold"), std::string::npos) << face.style;
    EXPECT_GE(face.fcWeight, FC_WEIGHT_BOLD);
    EXPECT_FALSE(face.embolden);
    // Regular weight gets the regular face of the same family.
    FontRequest regular = HudRequest();
    regular.weight = 400;
    ASSERT_TRUE(MatchFace(nullptr, regular, &face));
    EXPECT_EQ(face.family, "Liberation Sans");
    EXPECT_EQ(Lower(face.style).find("bold"), std::string::npos) << face.style;
}

TEST(FontFaces, CellHeightIsTheRequestedHeight) {
    FontFaces faces;
    std::string error;
    ASSERT_TRUE(faces.Open(nullptr, HudRequest(), &error)) << error;
    EXPECT_EQ(faces.CellHeight(), 20);
    EXPECT_GT(faces.Ascent(), faces.Descent());
    // The face's own ascender and descender span the cell, give or take the
    // rounding of the pixel size.
    FT_Face face = faces.Face(0);
    const double span = (face->size->metrics.ascender - face->size->metrics.descender) / 64.0;
    EXPECT_NEAR(span, 20.0, 1.0);
    // An 'H' stands on the baseline and is about 0.7 of the em tall.
    GlyphBitmap h;
    ASSERT_TRUE(faces.Render(faces.Find(U'H'), &h));
    EXPECT_NEAR(h.top, 13, 1);
    EXPECT_NEAR(h.height, h.top, 1);
    EXPECT_GT(h.advance, 8);
    EXPECT_LT(h.advance, 16);

    // A negative height is the em size: the cell grows past it.
    FontRequest em = HudRequest();
    em.height = -20;
    FontFaces emFaces;
    ASSERT_TRUE(emFaces.Open(nullptr, em, &error)) << error;
    EXPECT_EQ(emFaces.CellHeight(), 22);  // Liberation's cell is 1.117 em
}

TEST(FontFaces, HangulComesFromAKoreanFallbackFace) {
    FontFaces faces;
    std::string error;
    ASSERT_TRUE(faces.Open(nullptr, HudRequest(), &error)) << error;
    GlyphSource latin = faces.Find(U'A');
    EXPECT_EQ(latin.face, 0);
    EXPECT_NE(latin.glyph, 0u);
    GlyphSource hangul = faces.Find(U'반');
    ASSERT_GT(hangul.face, 0);
    EXPECT_NE(hangul.glyph, 0u);
    EXPECT_NE(faces.File(hangul.face).family.find("Nanum"), std::string::npos)
        << faces.File(hangul.face).family;
    // The next syllable reuses the open fallback face.
    GlyphSource next = faces.Find(U'굴');
    EXPECT_EQ(next.face, hangul.face);
    EXPECT_EQ(faces.FaceCount(), 2);
    GlyphBitmap bitmap;
    ASSERT_TRUE(faces.Render(hangul, &bitmap));
    EXPECT_GT(bitmap.width, 8);
    EXPECT_GT(bitmap.height, 8);
    int ink = 0;
    for (uint8_t v : bitmap.pixels) {
        ink += v > 128 ? 1 : 0;
    }
    EXPECT_GT(ink, 20);
}

TEST(FontFaces, CharacterNoFaceHasGetsTheMissingGlyphBox) {
    FontFaces faces;
    std::string error;
    ASSERT_TRUE(faces.Open(nullptr, HudRequest(), &error)) << error;
    GlyphSource none = faces.Find(U'\U0010FFFD');  // private use, no font has it
    EXPECT_EQ(none.face, 0);
    EXPECT_EQ(none.glyph, 0u);
    GlyphBitmap box;
    EXPECT_TRUE(faces.Render(none, &box));
}

TEST(FontFaces, NoFaceAtAllFailsWithAMessage) {
    FcConfig* empty = FcConfigCreate();
    ASSERT_NE(empty, nullptr);
    FontFaces faces;
    std::string error;
    EXPECT_FALSE(faces.Open(empty, HudRequest(), &error));
    EXPECT_NE(error.find("Arial"), std::string::npos) << error;
    FcConfigDestroy(empty);
}

}  // namespace
}  // namespace gfx::font
