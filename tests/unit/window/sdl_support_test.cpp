// Text conversion for SDL and the drawn window icon.
#include <gtest/gtest.h>

#include <string>

#include "platform/window/sdl/application_icon.h"
#include "platform/window/sdl/text_conversion.h"

namespace {

TEST(Cp949ToUtf8Test, ConvertsKoreanAndMarksBadBytesWithoutLosingTheRest) {
    const std::string mark = "\xef\xbf\xbd";
    EXPECT_EQ(Cp949ToUtf8("\xc7\xd1\xb1\xdb"), "\xed\x95\x9c\xea\xb8\x80");
    EXPECT_EQ(Cp949ToUtf8("\x8c\x63"), "\xeb\x98\xa0");  // only in the code page's extension
    EXPECT_EQ(Cp949ToUtf8("a\xff" "b"), "a" + mark + "b");
    EXPECT_EQ(Cp949ToUtf8("\xbf\xc0\xb7"), "\xec\x98\xa4" + mark);  // cut off at the end
    EXPECT_EQ(Cp949ToUtf8(static_cast<const char*>(nullptr)), "");
    std::string input, expected;  // longer than the conversion buffer
    for (int i = 0; i < 500; ++i) {
        input += "\xbf\xc0\xb7\xf9 ";
        expected += "\xec\x98\xa4\xeb\xa5\x98 ";
    }
    EXPECT_EQ(Cp949ToUtf8(input), expected);
}

TEST(ApplicationIconTest, SphereLitFromTheUpperLeftOnTransparentGround) {
    constexpr int size = 32;
    std::vector<uint8_t> pixels = DrawApplicationIcon(size);
    ASSERT_EQ(pixels.size(), size_t{size * size * 4});
    auto at = [&](int x, int y, int channel) { return pixels[(y * size + x) * 4 + channel]; };
    auto brightness = [&](int x, int y) { return at(x, y, 0) + at(x, y, 1) + at(x, y, 2); };
    EXPECT_EQ(at(0, 0, 3), 0);
    EXPECT_EQ(at(size / 2, size / 2, 3), 255);
    EXPECT_GT(brightness(10, 10), brightness(22, 22));
    EXPECT_TRUE(DrawApplicationIcon(0).empty());
}

}  // namespace
