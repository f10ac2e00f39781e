// The drawn window icon.
#include <gtest/gtest.h>

#include <string>

#include "platform/window/sdl/application_icon.h"

namespace {

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
