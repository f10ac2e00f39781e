#include "platform/gfx/font/text_builder.h"

#include <gtest/gtest.h>

namespace gfx::font {
namespace {

// "가나다라마바사아자차카타파하거너" in code page 949.
constexpr char kSixteenA[] =
    "\xb0\xa1\xb3\xaa\xb4\xd9\xb6\xf3\xb8\xb6\xb9\xd9\xbb\xe7\xbe\xc6\xc0\xda\xc2\xf7\xc4\xab"
    "\xc5\xb8\xc6\xc4\xc7\xcf\xb0\xc5\xb3\xca";
// "갸냐댜랴먀뱌샤야쟈챠캬탸퍄햐겨녀" in code page 949.
constexpr char kSixteenB[] =
    "\xb0\xbc\xb3\xc4\xb4\xf4\xb7\xaa\xb8\xcf\xb9\xf2\xbb\xfe\xbe\xdf\xc0\xf0\xc3\xad\xc4\xbc"
    "\xc5\xcb\xc6\xd9\xc7\xe1\xb0\xdc\xb3\xe0";

std::unique_ptr<TextBuilder> Open(int height) {
    auto builder = std::make_unique<TextBuilder>();
    FontRequest request;
    request.height = height;
    request.weight = 700;
    request.faceName = "Arial";
    std::string error;
    EXPECT_TRUE(builder->Open(nullptr, request, &error)) << error;
    return builder;
}

TEST(TextBuilder, FullAtlasStartsOverWithTheCurrentText) {
    auto builder = Open(150);  // only a few such syllables fit the largest atlas
    const Rect wide{0, 0, 100000, 150};
    builder->Build(kSixteenA, -1, wide, 0);
    EXPECT_EQ(builder->Quads().size(), 16u);
    builder->Build(kSixteenB, -1, wide, 0);
    ASSERT_EQ(builder->Quads().size(), 16u);
    for (size_t i = 1; i < builder->Quads().size(); ++i) {
        const Quad& a = builder->Quads()[i - 1];
        const Quad& b = builder->Quads()[i];
        EXPECT_FALSE(a.atlasX == b.atlasX && a.atlasY == b.atlasY);
    }
}

}  // namespace
}  // namespace gfx::font
