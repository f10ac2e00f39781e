// A look at the Wayland compositor before SDL's Wayland video driver is
// started on it. SDL 2.26 dies inside SDL_Init on a compositor that offers
// no input seat (Weston's headless backend offers none): it writes through
// the input record it only makes for a seat. Nothing can catch that, so the
// compositor's globals are read first with libwayland-client, on a
// connection of its own that is closed again.
#pragma once

#include <string>
#include <vector>

// How long the probe waits for the compositor to answer: a compositor that
// accepted the connection but hangs would otherwise hang the start too.
inline constexpr int kWaylandProbeTimeoutMs = 5000;

// The compositor's name as WAYLAND_DISPLAY gives it, or libwayland's
// default (wayland-0) when it is unset.
std::string WaylandDisplayName();

// Connects to the compositor WAYLAND_DISPLAY names, reads its globals with
// one round trip (waiting at most timeoutMs for the answer) and disconnects.
// Empty when SDL's Wayland driver can start there; else why not, as a
// sentence on "the Wayland compositor at NAME".
std::string ProbeWaylandCompositor(int timeoutMs = kWaylandProbeTimeoutMs);

// What a compositor offering only these globals (interface names) lacks
// for SDL's Wayland driver, as "no input seat (wl_seat)" joined by " and ";
// empty when nothing is missing.
std::string MissingWaylandGlobals(const std::vector<std::string>& offered);
