// Which SDL video driver the program runs on. Unless SDL_VIDEODRIVER names
// one, only drivers that show a window to a person are tried (x11 with
// DISPLAY, wayland with WAYLAND_DISPLAY): SDL's fallbacks (offscreen,
// KMS/DRM, ...) would run with nothing on screen, looking hung.
#pragma once

#include <string>

// Starts SDL's video and event subsystems on such a driver (once). False
// when there is no display to show a window on, with the reason and what to
// do in problem.
bool StartSdlVideo(std::string* problem);
