#include "platform/text/cp949.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace text {
namespace {

const std::string kMark = "\xef\xbf\xbd";

// "1 : 반사, 2 : 굴절" and "[Camera이동] ... [↑↓] R/F" in code page 949.
constexpr char kReflectRefract[] = "1 : \xb9\xdd\xbb\xe7, 2 : \xb1\xbc\xc0\xfd";
constexpr char kCameraMove[] = "[Camera\xc0\xcc\xb5\xbf] W/A/S/D [Roll] Q/E [\xa1\xe8\xa1\xe9] R/F";

TEST(Cp949, DecodesTextsWithinTheByteCount) {
    Cp949Decoder decoder;
    ASSERT_TRUE(decoder.IsOpen());
    std::u32string out;
    ASSERT_TRUE(decoder.Decode(kReflectRefract, -1, out));
    EXPECT_EQ(out, U"1 : 반사, 2 : 굴절");
    ASSERT_TRUE(decoder.Decode(kCameraMove, -1, out));
    EXPECT_EQ(out, U"[Camera이동] W/A/S/D [Roll] Q/E [↑↓] R/F");
    ASSERT_TRUE(decoder.Decode(kReflectRefract, 6, out));
    EXPECT_EQ(out, U"1 : 반");
    ASSERT_TRUE(decoder.Decode(kReflectRefract, 5, out));  // lead byte cut off by the count
    EXPECT_EQ(out, U"1 : \uFFFD");
    ASSERT_TRUE(decoder.Decode(nullptr, -1, out));
    EXPECT_TRUE(out.empty());

    EXPECT_EQ(Cp949ToUtf8("\xc7\xd1\xb1\xdb"), "\xed\x95\x9c\xea\xb8\x80");
    EXPECT_EQ(Cp949ToUtf8("\x8c\x63"), "\xeb\x98\xa0");  // only in the code page's extension
    EXPECT_EQ(Cp949ToUtf8("a\xff"
                          "b\x80"
                          "c"),
              "a" + kMark + "b" + kMark + "c");
    EXPECT_EQ(Cp949ToUtf8("\xbf\xc0\xb7"), "\xec\x98\xa4" + kMark);  // cut off at the end
    EXPECT_EQ(Cp949ToUtf8("\xb0\x0a"
                          "Z"),
              kMark + "\nZ");  // a lead byte that nothing trails
    EXPECT_EQ(Cp949ToUtf8(static_cast<const char*>(nullptr)), "");
}

// glibc consumes A2 E8 and then calls it invalid; a step that trusted how far
// iconv moved ran past the end of the text.
TEST(Cp949, PairThatIconvConsumesAndRefusesStaysInsideTheText) {
    const std::string hostile("\x28\xe8\xa2\xe8\xff\xa2\xe8", 7);
    EXPECT_EQ(Cp949ToUtf8(hostile), "(\xe7\x86\xac" + kMark + kMark + kMark + kMark);
    EXPECT_EQ(Cp949ToUtf8(std::string("\xa2\xe8", 2)), kMark + kMark);
}

// Every lead/trail pair, followed by '!' (which no lead byte takes as its
// trail): either one code point that iconv also gives for the pair alone, or
// a replacement for the lead byte and the trail byte decoded on its own; the
// '!' always survives.
TEST(Cp949, EveryPairDecodesAsIconvSaysOrMarksTheLeadByteOnly) {
    Cp949Decoder decoder;
    iconv_t reference = iconv_open("UTF-32LE", "CP949");
    ASSERT_NE(reference, reinterpret_cast<iconv_t>(-1));
    std::u32string out, trailAlone;
    int valid = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const char text[3] = {char(lead), char(trail), '!'};
            decoder.Decode(std::string_view(text, 3), out);
            ASSERT_FALSE(out.empty());
            ASSERT_EQ(out.back(), U'!') << lead << " " << trail;

            char pair[2] = {char(lead), char(trail)};
            char* in = pair;
            size_t inLeft = 2;
            char32_t expected[2] = {};
            char* o = reinterpret_cast<char*>(expected);
            size_t outLeft = sizeof expected;
            size_t r = iconv(reference, &in, &inLeft, &o, &outLeft);
            iconv(reference, nullptr, nullptr, nullptr, nullptr);
            if (r != size_t(-1) && inLeft == 0 && outLeft == sizeof(char32_t)) {
                ++valid;
                EXPECT_EQ(out, std::u32string({expected[0], U'!'})) << lead << " " << trail;
            } else {
                decoder.Decode(std::string_view(text + 1, 2), trailAlone);
                EXPECT_EQ(out, kReplacementCharacter + trailAlone) << lead << " " << trail;
            }
        }
    }
    iconv_close(reference);
    EXPECT_GT(valid, 17000);  // code page 949 holds 17,048 double-byte characters
}

}  // namespace
}  // namespace text
