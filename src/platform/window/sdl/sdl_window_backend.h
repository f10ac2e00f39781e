// The window backend of the program: SDL2 windows with OpenGL, SDL events
// as window messages, SDL message boxes, SDL's millisecond ticks.
#pragma once

#include <string>

// Starts SDL's video (sdl_video_driver.h) and installs the SDL backend with
// SetWindowBackend. False when there is no display to show a window on,
// with the reason and what to do in problem (null: written to stderr).
bool UseSdlWindowBackend(std::string* problem = nullptr);
