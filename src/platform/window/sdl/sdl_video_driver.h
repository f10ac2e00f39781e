// Which SDL video driver the program runs on. Unless SDL_VIDEODRIVER names
// some, only drivers that show a window to a person are tried (wayland with
// WAYLAND_DISPLAY, x11 with DISPLAY): SDL's fallbacks (offscreen, KMS/DRM,
// ...) would run with nothing on screen, looking hung. Before the wayland
// driver starts, the compositor is looked at (wayland_probe.h): where SDL
// would die, the next driver is taken, with a line on stderr saying why.
#pragma once

#include <string>
#include <vector>

// The drivers to try, in order, for these environment variables (null or
// empty: unset); chosen when SDL_VIDEODRIVER named them.
struct VideoDriverChoice {
    std::vector<std::string> drivers;
    bool chosen = false;
};
VideoDriverChoice ChooseVideoDrivers(const char* display, const char* waylandDisplay,
                                     const char* waylandSocket, const char* sdlVideoDriver);

// Starts SDL's video and event subsystems on the first of the drivers that
// starts (once). False when none does, with the reason and what to do in
// problem.
bool StartSdlVideo(std::string* problem);
