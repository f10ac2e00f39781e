// The window backend for pictures taken with no display (--screenshot,
// --thumbnail): a window is a record of its client size, with no input; its
// OpenGL contexts are EGL contexts on no surface (egl_display.h), so the
// device draws only into its own back buffer and presents nothing.
#pragma once

#include <string>

// Opens the EGL display and installs the headless backend with
// SetWindowBackend. takeStopRequest (may be null) is asked at every poll:
// true closes the main window, as a stop signal does on a display. False
// when no offscreen OpenGL can be had, with the reason in problem.
bool UseHeadlessWindowBackend(bool (*takeStopRequest)(), std::string* problem);
