#include "platform/gfx/font/text_builder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Counts allocations so that a test can check that drawing a known text
// allocates nothing.
namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace gfx::font {
namespace {

// "1 : 반사, 2 : 굴절" in code page 949.
constexpr char kReflectRefract[] = "1 : \xb9\xdd\xbb\xe7, 2 : \xb1\xbc\xc0\xfd";
// "[Camera회전] 마우스 R 버튼" in code page 949.
constexpr char kCameraTurn[] = "[Camera\xc8\xb8\xc0\xfc] \xb8\xb6\xbf\xec\xbd\xba R \xb9\xf6\xc6\xb0";
// "가나다라마바사아자차카타파하거너" in code page 949.
constexpr char kSixteenA[] =
    "\xb0\xa1\xb3\xaa\xb4\xd9\xb6\xf3\xb8\xb6\xb9\xd9\xbb\xe7\xbe\xc6\xc0\xda\xc2\xf7\xc4\xab"
    "\xc5\xb8\xc6\xc4\xc7\xcf\xb0\xc5\xb3\xca";
// "갸냐댜랴먀뱌샤야쟈챠캬탸퍄햐겨녀" in code page 949.
constexpr char kSixteenB[] =
    "\xb0\xbc\xb3\xc4\xb4\xf4\xb7\xaa\xb8\xcf\xb9\xf2\xbb\xfe\xbe\xdf\xc0\xf0\xc3\xad\xc4\xbc"
    "\xc5\xcb\xc6\xd9\xc7\xe1\xb0\xdc\xb3\xe0";

FontRequest Request(int height) {
    FontRequest request;
    request.height = height;
    request.weight = 700;
    request.faceName = "Arial";
    return request;
}

TEST(TextBuilder, HudLineGivesOneQuadPerInkedCharacterInsideItsCell) {
    TextBuilder builder;
    std::string error;
    ASSERT_TRUE(builder.Open(nullptr, Request(20), &error)) << error;
    const Rect rect{1, 50, 18 * 20, 70};
    EXPECT_EQ(builder.Build(kReflectRefract, -1, rect, 0), 20);
    EXPECT_EQ(builder.CodePoints(), U"1 : 반사, 2 : 굴절");
    // Everything but the five spaces has ink.
    ASSERT_EQ(builder.Quads().size(), 14u - 5u + 0u);
    int previousX = 0;
    for (const Quad& quad : builder.Quads()) {
        EXPECT_GE(quad.x0, rect.left);
        EXPECT_GE(quad.y0, rect.top);
        EXPECT_LE(quad.y1, rect.bottom);
        EXPECT_GT(quad.x0, previousX);
        previousX = quad.x0;
    }
    // Hangul syllables are full-width: wider than the Latin digits.
    const PlacedGlyph* syllable = builder.Glyph(U'반');
    const PlacedGlyph* digit = builder.Glyph(U'1');
    ASSERT_NE(syllable, nullptr);
    ASSERT_NE(digit, nullptr);
    EXPECT_GT(syllable->advance, digit->advance + 4);
    EXPECT_TRUE(builder.Atlas().IsDirty());
}

TEST(TextBuilder, KnownTextsBuildWithoutAllocating) {
    TextBuilder builder;
    std::string error;
    ASSERT_TRUE(builder.Open(nullptr, Request(20), &error)) << error;
    const Rect rect{1, 10, 600, 30};
    char fps[128];
    std::snprintf(fps, sizeof fps, "FPS: %f", 61.5);
    builder.Build(kReflectRefract, -1, rect, 0);
    builder.Build(kCameraTurn, -1, rect, 0);
    builder.Build(fps, -1, rect, 0);
    builder.Build("0123456789", -1, rect, 0);  // every digit the counter can show
    const long before = allocations.load();
    for (int frame = 0; frame < 10; ++frame) {
        std::snprintf(fps, sizeof fps, "FPS: %f", 60.0 + frame * 0.125);
        builder.Build(fps, -1, rect, 0);
        builder.Build(kReflectRefract, -1, rect, 0);
        builder.Build(kCameraTurn, -1, rect, 0);
    }
    EXPECT_EQ(allocations.load() - before, 0);
}

TEST(TextBuilder, FullAtlasStartsOverWithTheCurrentText) {
    // 150-pixel cells: only a few syllables fit in the largest atlas.
    TextBuilder builder;
    std::string error;
    ASSERT_TRUE(builder.Open(nullptr, Request(150), &error)) << error;
    const Rect wide{0, 0, 100000, 150};
    builder.Build(kSixteenA, -1, wide, 0);
    EXPECT_EQ(builder.Quads().size(), 16u);
    builder.Build(kSixteenB, -1, wide, 0);
    ASSERT_EQ(builder.Quads().size(), 16u);
    // The quads point at this text's glyphs, which differ from each other.
    for (size_t i = 1; i < builder.Quads().size(); ++i) {
        const Quad& a = builder.Quads()[i - 1];
        const Quad& b = builder.Quads()[i];
        EXPECT_FALSE(a.atlasX == b.atlasX && a.atlasY == b.atlasY);
    }
}

TEST(TextBuilder, InvalidBytesDrawReplacementsAndNoReadPastTheCount) {
    TextBuilder builder;
    std::string error;
    ASSERT_TRUE(builder.Open(nullptr, Request(20), &error)) << error;
    const char bytes[] = {'A', '\xff', '\xb9'};  // no terminating zero
    EXPECT_EQ(builder.Build(bytes, 3, Rect{0, 0, 200, 20}, 0), 20);
    EXPECT_EQ(builder.CodePoints(), U"A\uFFFD\uFFFD");
    EXPECT_EQ(builder.Build(nullptr, -1, Rect{0, 0, 200, 20}, 0), 0);
    EXPECT_TRUE(builder.Quads().empty());
}

}  // namespace
}  // namespace gfx::font
