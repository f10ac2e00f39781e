// The window backend of the program: SDL2 windows with OpenGL, SDL events
// as window messages, SDL message boxes, SDL's millisecond ticks.
#pragma once

// Initialises SDL's video and event subsystems (once) and installs the SDL
// backend with SetWindowBackend. Returns false, after writing SDL's reason
// to stderr, when there is no display to work with.
bool UseSdlWindowBackend();
