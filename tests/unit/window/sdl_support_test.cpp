// The drawn window icon.
#include <gtest/gtest.h>

#include <string>

#include "platform/window/sdl/application_icon.h"
#include "platform/window/sdl/session_bus.h"

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

// The bus given is kept; without one the user's bus socket is named
// (escaped as D-Bus addresses are); without that, none: nothing autolaunched.
TEST(SessionBusTest, GivenElseTheUsersSocketElseDisabled) {
    auto socketHere = [](const std::string& path) { return path.size() > 4; };
    auto noSocket = [](const std::string&) { return false; };
    struct Case {
        const char* given;
        const char* runtimeDir;
        bool socket;
        const char* address;
    } cases[] = {
        {"unix:path=/run/user/7/bus", "/run/user/7", true, "unix:path=/run/user/7/bus"},
        {"", "/run/user/7", true, "unix:path=/run/user/7/bus"},
        {nullptr, "/tmp/a b,c", true, "unix:path=/tmp/a%20b%2cc/bus"},
        {nullptr, "/run/user/7", false, "disabled:"},
        {nullptr, "relative", true, "disabled:"},
        {nullptr, nullptr, true, "disabled:"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SessionBusAddress(c.given, c.runtimeDir, c.socket ? +socketHere : +noSocket),
                  c.address);
    }
}

}  // namespace
