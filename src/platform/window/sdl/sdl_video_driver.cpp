#include "platform/window/sdl/sdl_video_driver.h"

#include <SDL.h>
#include <errno.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/window/sdl/wayland_probe.h"

namespace {

constexpr char kNoDisplay[] = "no display: set DISPLAY or WAYLAND_DISPLAY, or run under Xvfb";

bool NonEmpty(const char* value) { return value && value[0]; }

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The driver's name for a person.
std::string Shown(const std::string& driver) {
    if (driver == "x11") return "X11";
    if (driver == "wayland") return "Wayland";
    return driver;
}

// Starts SDL on this driver alone. Empty when it started; else why not.
std::string StartDriver(const std::string& driver) {
    // A WAYLAND_SOCKET serves one connect, which the probe would use up.
    if (driver == "wayland" && !NonEmpty(std::getenv("WAYLAND_SOCKET"))) {
        std::string problem = ProbeWaylandCompositor();
        if (!problem.empty()) return problem;
    }
    // Over SDL_VIDEODRIVER too, which SDL would read before a normal hint.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver.c_str(), SDL_HINT_OVERRIDE);
    constexpr Uint32 kSubsystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS;
    if (SDL_InitSubSystem(kSubsystems) == 0) return "";
    std::string error = SDL_GetError();
    if (driver == "x11") return "DISPLAY=" + Env("DISPLAY") + ": " + error;
    if (driver == "wayland") {
        return "SDL's Wayland driver did not start on the compositor at " + WaylandDisplayName() +
               " (" + error + ")";
    }
    return driver + ": " + error;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
    return text;
}

}  // namespace

VideoDriverChoice ChooseVideoDrivers(const char* display, const char* waylandDisplay,
                                     const char* waylandSocket, const char* sdlVideoDriver) {
    VideoDriverChoice choice;
    if (NonEmpty(sdlVideoDriver)) {
        choice.chosen = true;
        std::string list = sdlVideoDriver;
        for (size_t start = 0; start <= list.size();) {
            size_t end = std::min(list.find(',', start), list.size());
            if (end > start) choice.drivers.push_back(list.substr(start, end - start));
            start = end + 1;
        }
        return choice;
    }
    // In a Wayland session DISPLAY names Xwayland: Wayland goes first for a
    // native window (no extra copy, sharp at the output's scale), X11 second
    // (SDL 2.26's own order never uses Wayland where Xwayland runs). A
    // WAYLAND_SOCKET cannot be probed before SDL uses it (StartDriver).
    if (NonEmpty(waylandDisplay) && !NonEmpty(waylandSocket)) choice.drivers.push_back("wayland");
    if (NonEmpty(display)) choice.drivers.push_back("x11");
    return choice;
}

bool SdlStartsOnX11() {
    const VideoDriverChoice choice =
        ChooseVideoDrivers(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                           std::getenv("WAYLAND_SOCKET"), std::getenv("SDL_VIDEODRIVER"));
    return !choice.drivers.empty() && choice.drivers.front() == "x11";
}

bool StartSdlVideo(std::string* problem) {
    constexpr Uint32 kSubsystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS;
    if (SDL_WasInit(kSubsystems) == kSubsystems) return true;
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    const char* socket = std::getenv("WAYLAND_SOCKET");
    VideoDriverChoice choice =
        ChooseVideoDrivers(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), socket, chosen);
    if (choice.drivers.empty()) {
        *problem = std::string(kNoDisplay) +
                   (NonEmpty(socket)
                        ? " (WAYLAND_SOCKET is set, but is used only with SDL_VIDEODRIVER=wayland)"
                        : " (neither is set)");
        return false;
    }
    // A click that activates the window is also a click in it, as on Win32.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    std::vector<std::string> failures;
    for (const std::string& driver : choice.drivers) {
        std::string failure = StartDriver(driver);
        if (!failure.empty()) {
            failures.push_back(failure);
            continue;
        }
        for (const std::string& earlier : failures) {
            std::fprintf(stderr, "%s: %s: using %s\n", program_invocation_short_name,
                         earlier.c_str(), Shown(driver).c_str());
        }
        // Nothing reads text input; without it no input method pops up.
        SDL_StopTextInput();
        return true;
    }
    if (choice.chosen) {
        *problem = std::string("the video driver SDL_VIDEODRIVER=") + chosen +
                   " did not start: " + Joined(failures);
    } else {
        *problem = std::string(kNoDisplay) + " (" + Joined(failures) + ")";
    }
    return false;
}
