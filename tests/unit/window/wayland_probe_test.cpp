// The video driver order a person expects, and the Wayland probe's deadline
// (the e2e cases run the probe against real compositors).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/window/sdl/sdl_video_driver.h"
#include "platform/window/sdl/wayland_probe.h"

namespace {

struct DriverCase {
    const char* display;
    const char* waylandDisplay;
    const char* waylandSocket;
    const char* sdlVideoDriver;
    std::vector<std::string> drivers;
    bool chosen;
};

TEST(VideoDriverChoiceTest, WaylandFirstInAWaylandSessionUnlessSdlVideoDriverSaysOtherwise) {
    const DriverCase cases[] = {
        {":0", "wayland-0", nullptr, nullptr, {"wayland", "x11"}, false},  // Xwayland there too
        {":0", nullptr, nullptr, nullptr, {"x11"}, false},
        {nullptr, "wayland-0", nullptr, nullptr, {"wayland"}, false},
        {"", "", nullptr, "", {}, false},
        {":0", "wayland-0", "5", nullptr, {"x11"}, false},  // a socket the probe would spend
        {":0", "wayland-0", nullptr, "x11,,wayland", {"x11", "wayland"}, true},
        {nullptr, nullptr, nullptr, "offscreen", {"offscreen"}, true},
    };
    for (const DriverCase& c : cases) {
        VideoDriverChoice choice =
            ChooseVideoDrivers(c.display, c.waylandDisplay, c.waylandSocket, c.sdlVideoDriver);
        EXPECT_EQ(choice.drivers, c.drivers) << (c.sdlVideoDriver ? c.sdlVideoDriver : "(unset)");
        EXPECT_EQ(choice.chosen, c.chosen);
    }
}

// A compositor that took the connection and never answers: a listening
// socket nobody reads (the kernel accepts for it).
TEST(WaylandProbeTest, GivesUpOnACompositorThatDoesNotAnswer) {
    char folder[] = "/tmp/rr_wl_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    int silent = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s/wl-silent", folder);
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(silent, 1), 0);
    setenv("WAYLAND_DISPLAY", address.sun_path, 1);  // an absolute name needs no runtime folder
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ProbeWaylandCompositor(200), std::string("the Wayland compositor at ") +
                                               address.sun_path + " did not answer within 200 ms");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    unsetenv("WAYLAND_DISPLAY");
    close(silent);
    std::filesystem::remove_all(folder);
}

}  // namespace
