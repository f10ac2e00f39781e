// A look at the Wayland compositor before SDL's Wayland driver starts on it:
// SDL 2.26 dies inside SDL_Init where no input seat is offered (Weston's
// headless backend), which nothing can catch. So the compositor's globals
// are read first with libwayland-client, on a connection of its own.
#pragma once

#include <string>

// How long the probe waits for an answer: a hung compositor must not hang us.
inline constexpr int kWaylandProbeTimeoutMs = 5000;

// The compositor's name as WAYLAND_DISPLAY gives it, or libwayland's
// default (wayland-0) when it is unset.
std::string WaylandDisplayName();

// Connects to the compositor WAYLAND_DISPLAY names, reads its globals with
// one round trip (waiting at most timeoutMs for the answer) and disconnects.
// Empty when SDL's Wayland driver can start there; else why not, as a
// sentence on "the Wayland compositor at NAME".
std::string ProbeWaylandCompositor(int timeoutMs = kWaylandProbeTimeoutMs);
