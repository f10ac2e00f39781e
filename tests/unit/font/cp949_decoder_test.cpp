#include "platform/gfx/font/cp949_decoder.h"

#include <gtest/gtest.h>

namespace gfx::font {
namespace {

// "1 : 반사, 2 : 굴절" in code page 949.
constexpr char kReflectRefract[] = "1 : \xb9\xdd\xbb\xe7, 2 : \xb1\xbc\xc0\xfd";
// "[Camera이동] W/A/S/D [Roll] Q/E [↑↓] R/F" in code page 949.
constexpr char kCameraMove[] =
    "[Camera\xc0\xcc\xb5\xbf] W/A/S/D [Roll] Q/E [\xa1\xe8\xa1\xe9] R/F";

TEST(Cp949Decoder, DecodesHangulSymbolsAndAscii) {
    Cp949Decoder decoder;
    ASSERT_TRUE(decoder.IsOpen());
    std::u32string out;
    ASSERT_TRUE(decoder.Decode(kReflectRefract, -1, out));
    EXPECT_EQ(out, U"1 : 반사, 2 : 굴절");
    ASSERT_TRUE(decoder.Decode(kCameraMove, -1, out));
    EXPECT_EQ(out, U"[Camera이동] W/A/S/D [Roll] Q/E [↑↓] R/F");
}

TEST(Cp949Decoder, CountLimitsTheBytesAndNullIsEmpty) {
    Cp949Decoder decoder;
    std::u32string out = U"stale";
    // Six bytes: "1 : " and the two bytes of 반.
    ASSERT_TRUE(decoder.Decode(kReflectRefract, 6, out));
    EXPECT_EQ(out, U"1 : 반");
    ASSERT_TRUE(decoder.Decode(kReflectRefract, 0, out));
    EXPECT_TRUE(out.empty());
    out = U"stale";
    ASSERT_TRUE(decoder.Decode(nullptr, -1, out));
    EXPECT_TRUE(out.empty());
}

TEST(Cp949Decoder, InvalidBytesBecomeReplacementsAndDecodingGoesOn) {
    Cp949Decoder decoder;
    std::u32string out;
    // 0xFF is never valid; 0x80 alone is not a character.
    ASSERT_TRUE(decoder.Decode("A\xff" "B\x80" "C", -1, out));
    EXPECT_EQ(out, U"A\uFFFDB\uFFFDC");
    // A lead byte cut off by the count: one replacement, no read past it.
    ASSERT_TRUE(decoder.Decode(kReflectRefract, 5, out));
    EXPECT_EQ(out, U"1 : \uFFFD");
    // A lead byte followed by a byte that cannot trail it.
    ASSERT_TRUE(decoder.Decode("\xb0\x0a" "Z", -1, out));
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.front(), kReplacementCharacter);
    EXPECT_EQ(out.back(), U'Z');
    // The decoder recovers fully for the next text.
    ASSERT_TRUE(decoder.Decode(kReflectRefract, -1, out));
    EXPECT_EQ(out, U"1 : 반사, 2 : 굴절");
}

TEST(Cp949Decoder, LongTextsSpanSeveralChunks) {
    Cp949Decoder decoder;
    std::string text;
    std::u32string expected;
    for (int i = 0; i < 300; ++i) {
        text += "\xb9\xdd" "x";
        expected += U"반x";
    }
    std::u32string out;
    ASSERT_TRUE(decoder.Decode(text.c_str(), static_cast<int>(text.size()), out));
    EXPECT_EQ(out, expected);
}

TEST(Cp949Decoder, EveryByteValueAloneAndInPairsIsHandled) {
    Cp949Decoder decoder;
    std::u32string out;
    for (int a = 1; a < 256; ++a) {
        for (int b = 0; b < 256; b += 5) {
            const char pair[2] = {static_cast<char>(a), static_cast<char>(b)};
            ASSERT_TRUE(decoder.Decode(pair, 2, out));
            ASSERT_GE(out.size(), 1u);
            ASSERT_LE(out.size(), 2u);
        }
    }
}

}  // namespace
}  // namespace gfx::font
