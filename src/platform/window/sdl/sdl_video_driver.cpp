#include "platform/window/sdl/sdl_video_driver.h"

#include <SDL.h>

#include <cstdlib>

namespace {

constexpr char kNoDisplay[] = "no display: set DISPLAY or WAYLAND_DISPLAY, or run under Xvfb";

bool NonEmpty(const char* value) { return value && value[0]; }

// The screen drivers whose display the environment names, in SDL's own
// order of preference. Wayland is not probed without WAYLAND_DISPLAY: its
// library would print its own complaint about XDG_RUNTIME_DIR first.
std::string ScreenVideoDrivers() {
    std::string drivers;
    if (NonEmpty(std::getenv("DISPLAY"))) drivers = "x11";
    if (NonEmpty(std::getenv("WAYLAND_DISPLAY")) || NonEmpty(std::getenv("WAYLAND_SOCKET")))
        drivers += drivers.empty() ? "wayland" : ",wayland";
    return drivers;
}

bool IsScreenVideoDriver(const char* name) {
    return name && (std::string(name) == "x11" || std::string(name) == "wayland");
}

}  // namespace

bool StartSdlVideo(std::string* problem) {
    constexpr Uint32 kSubsystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS;
    if (SDL_WasInit(kSubsystems) == kSubsystems) return true;
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    bool explicitDriver = NonEmpty(chosen);
    if (!explicitDriver) {
        std::string drivers = ScreenVideoDrivers();
        if (drivers.empty()) {
            *problem = std::string(kNoDisplay) + " (neither is set)";
            return false;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    }
    // A click that activates the window is also a click in it, as on Win32.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_InitSubSystem(kSubsystems) != 0) {
        if (explicitDriver) {
            *problem = std::string("the video driver SDL_VIDEODRIVER=") + chosen +
                       " did not start: " + SDL_GetError();
        } else {
            std::string names;
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
                if (!NonEmpty(std::getenv(name))) continue;
                names += (names.empty() ? "" : ", ") + std::string(name) + "=" + std::getenv(name);
            }
            *problem = std::string(kNoDisplay) + " (" + names + ": " + SDL_GetError() + ")";
        }
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!explicitDriver && !IsScreenVideoDriver(driver)) {
        *problem = std::string(kNoDisplay) + " (SDL offered only the " +
                   (driver ? driver : "unknown") + " video driver)";
        SDL_QuitSubSystem(kSubsystems);
        return false;
    }
    // Nothing reads text input; without it no input method pops up.
    SDL_StopTextInput();
    return true;
}
