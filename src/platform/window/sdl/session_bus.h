// Which D-Bus session bus SDL talks to (it connects for the screen saver and
// input methods when video starts). Given none, libdbus would "autolaunch"
// one: it forks and runs dbus-launch from this process, which by then has
// threads of its own (stop signals, fontconfig). A child forked from a
// process with threads may deadlock before it execs (seen under
// AddressSanitizer: the program then waited for it forever), and a bus
// started that way outlives the program. So the program names the bus itself.
#pragma once

#include <string>

// The address to use: `given` when set (not null, not empty); else the
// user's bus, $XDG_RUNTIME_DIR/bus, when that is a socket (`runtimeDir`
// absolute; `isSocket` looks); else "disabled:" (no bus, nothing started).
std::string SessionBusAddress(const char* given, const char* runtimeDir,
                              bool (*isSocket)(const std::string& path));

// Sets DBUS_SESSION_BUS_ADDRESS to SessionBusAddress of the environment.
// Call first in main, before any thread starts (setenv is not thread-safe).
void ChooseSessionBus();
