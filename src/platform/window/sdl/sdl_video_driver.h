// Which SDL video driver the program runs on. Unless SDL_VIDEODRIVER names
// some, only drivers that show a window to a person are tried (wayland with
// WAYLAND_DISPLAY, x11 with DISPLAY), never SDL's offscreen or KMS ones.
// The Wayland compositor is probed first (wayland_probe.h); where SDL would
// die, the next driver is taken, with a line on stderr saying why.
#pragma once

#include <string>
#include <vector>

// The drivers to try, in order, for these variables (null or empty: unset);
// chosen when SDL_VIDEODRIVER named them.
struct VideoDriverChoice {
    std::vector<std::string> drivers;
    bool chosen = false;
};
VideoDriverChoice ChooseVideoDrivers(const char* display, const char* waylandDisplay,
                                     const char* waylandSocket, const char* sdlVideoDriver);

// Whether the first driver ChooseVideoDrivers gives for this process's
// environment is x11 (what Xlib-only work before SDL starts goes by).
bool SdlStartsOnX11();

// Starts SDL's video and events on the first driver that starts (once).
// False when none does, with the reason and what to do in problem.
bool StartSdlVideo(std::string* problem);
