#include "platform/gfx/font/cp949_decoder.h"

#include <gtest/gtest.h>

namespace gfx::font {
namespace {

// "1 : 반사, 2 : 굴절" in code page 949.
constexpr char kReflectRefract[] = "1 : \xb9\xdd\xbb\xe7, 2 : \xb1\xbc\xc0\xfd";
// "[Camera이동] W/A/S/D [Roll] Q/E [↑↓] R/F" in code page 949.
constexpr char kCameraMove[] =
    "[Camera\xc0\xcc\xb5\xbf] W/A/S/D [Roll] Q/E [\xa1\xe8\xa1\xe9] R/F";

TEST(Cp949Decoder, DecodesHudTextsWithinTheByteCount) {
    Cp949Decoder decoder;
    ASSERT_TRUE(decoder.IsOpen());
    std::u32string out;
    ASSERT_TRUE(decoder.Decode(kReflectRefract, -1, out));
    EXPECT_EQ(out, U"1 : 반사, 2 : 굴절");
    ASSERT_TRUE(decoder.Decode(kCameraMove, -1, out));
    EXPECT_EQ(out, U"[Camera이동] W/A/S/D [Roll] Q/E [↑↓] R/F");
    ASSERT_TRUE(decoder.Decode(kReflectRefract, 6, out));  // "1 : " and 반
    EXPECT_EQ(out, U"1 : 반");
    ASSERT_TRUE(decoder.Decode(nullptr, -1, out));
    EXPECT_TRUE(out.empty());
    // Longer than the decoder's internal chunk.
    std::string many;
    for (int i = 0; i < 100; ++i) many += kReflectRefract;
    ASSERT_TRUE(decoder.Decode(many.c_str(), -1, out));
    EXPECT_EQ(out.size(), 100 * 14u);
}

TEST(Cp949Decoder, InvalidBytesBecomeReplacementsAndDecodingGoesOn) {
    Cp949Decoder decoder;
    std::u32string out;
    ASSERT_TRUE(decoder.Decode("A\xff" "B\x80" "C", -1, out));
    EXPECT_EQ(out, U"A\uFFFDB\uFFFDC");
    // A lead byte cut off by the count: one replacement, nothing read past it.
    ASSERT_TRUE(decoder.Decode(kReflectRefract, 5, out));
    EXPECT_EQ(out, U"1 : \uFFFD");
    // A lead byte followed by a byte that cannot trail it.
    ASSERT_TRUE(decoder.Decode("\xb0\x0a" "Z", -1, out));
    EXPECT_EQ(out.front(), kReplacementCharacter);
    EXPECT_EQ(out.back(), U'Z');
    ASSERT_TRUE(decoder.Decode(kReflectRefract, -1, out));
    EXPECT_EQ(out, U"1 : 반사, 2 : 굴절");
}

}  // namespace
}  // namespace gfx::font
