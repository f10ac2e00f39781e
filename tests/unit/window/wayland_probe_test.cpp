// The video driver order, and the Wayland probe against compositors that
// are not there, do not answer or hang up (a real one: the e2e cases).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>
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

// A runtime folder with a socket named as WAYLAND_DISPLAY says; the
// environment is put back afterwards.
class WaylandProbeTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"}) {
            const char* value = getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        char pattern[] = "/tmp/rr_wl_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
        setenv("WAYLAND_DISPLAY", "wl-test", 1);
        unsetenv("WAYLAND_SOCKET");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
        std::filesystem::remove_all(folder_);
    }
    // A socket bound at WAYLAND_DISPLAY's place; listening or not.
    int Socket(bool listening) {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::string path = folder_ + "/wl-test";
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        if (listening) {
            EXPECT_EQ(listen(fd, 4), 0);
        }
        return fd;
    }

    std::string folder_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(WaylandProbeTest, SaysWhyThereIsNoCompositorToStartOn) {
    std::string prefix = "the Wayland compositor at wl-test ";
    EXPECT_EQ(ProbeWaylandCompositor(200),
              prefix + "cannot be reached (No such file or directory)");
    int closed = Socket(false);
    EXPECT_EQ(ProbeWaylandCompositor(200), prefix + "cannot be reached (Connection refused)");
    close(closed);
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(ProbeWaylandCompositor(200),
              prefix + "cannot be found: XDG_RUNTIME_DIR, the folder of its socket, is not set");
}

TEST_F(WaylandProbeTest, GivesUpOnACompositorThatDoesNotAnswer) {
    int listening = Socket(true);  // the kernel accepts; nobody reads
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ProbeWaylandCompositor(200),
              "the Wayland compositor at wl-test did not answer within 200 ms");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    close(listening);
}

TEST_F(WaylandProbeTest, ReportsACompositorThatHangsUp) {
    int listening = Socket(true);
    std::thread hangUp([listening] { close(accept(listening, nullptr, nullptr)); });
    std::string problem = ProbeWaylandCompositor(5000);
    hangUp.join();
    close(listening);
    EXPECT_EQ(problem.rfind("the Wayland compositor at wl-test broke the connection (", 0), 0u)
        << problem;
}

}  // namespace
