// The window backend of the program: SDL2 windows with OpenGL, SDL events
// as window messages, SDL message boxes, SDL's millisecond ticks.
#pragma once

#include <string>

// Initialises SDL's video and event subsystems (once) and installs the SDL
// backend with SetWindowBackend. Returns false when there is no display to
// show a window on, with the reason and what to do in problem.
//
// Unless SDL_VIDEODRIVER names a driver, only drivers that show a window to
// a person are tried (x11 with DISPLAY, wayland with WAYLAND_DISPLAY): SDL's
// fallbacks would run without anything on screen.
bool UseSdlWindowBackend(std::string* problem);
// The same, writing the reason to stderr.
bool UseSdlWindowBackend();

// The folder of the running executable (no trailing '/'); empty when it
// cannot be found. Needs no initialised SDL.
std::string ProgramFolder();
