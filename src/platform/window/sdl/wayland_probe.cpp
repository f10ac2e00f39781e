#include "platform/window/sdl/wayland_probe.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The globals SDL 2.26's Wayland driver cannot start without, with what
// each gives in words a person can look up.
struct NeededGlobal {
    const char* interface;
    const char* what;
};
constexpr NeededGlobal kNeededGlobals[] = {
    {"wl_compositor", "surfaces"},
    {"xdg_wm_base", "xdg-shell windows"},
    {"wl_seat", "input seat"},
};

void AddGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
    static_cast<std::vector<std::string>*>(data)->push_back(interface);
}

void RemoveGlobal(void*, wl_registry*, uint32_t) {}

constexpr wl_registry_listener kRegistryListener = {AddGlobal, RemoveGlobal};

void SyncDone(void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }

constexpr wl_callback_listener kSyncListener = {SyncDone};

// wl_display_roundtrip with a deadline: it would wait forever on a
// compositor that accepted the connection but does not answer. Empty when
// the answer came (every global announced before it); else why not.
std::string RoundTrip(wl_display* display, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool answered = false;
    wl_callback* sync = wl_display_sync(display);
    if (!sync) return "could not be asked for its globals";
    wl_callback_add_listener(sync, &kSyncListener, &answered);
    std::string problem;
    while (!answered) {
        if (wl_display_flush(display) < 0 && errno != EAGAIN) break;
        if (wl_display_prepare_read(display) != 0) {
            // Events already read are dispatched before the socket is read.
            if (wl_display_dispatch_pending(display) < 0) break;
            continue;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd socket = {wl_display_get_fd(display), POLLIN, 0};
        int ready = poll(&socket, 1, static_cast<int>(std::max<long>(left.count(), 0)));
        if (ready <= 0) {
            int error = errno;
            wl_display_cancel_read(display);
            if (ready < 0 && error == EINTR) continue;  // a signal; the deadline stands
            problem = ready == 0 ? "did not answer within " + std::to_string(timeoutMs) + " ms"
                                 : std::string("could not be read (") + std::strerror(error) + ")";
            break;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) break;
    }
    wl_callback_destroy(sync);
    if (problem.empty() && !answered) {
        int error = wl_display_get_error(display);
        problem =
            std::string("broke the connection (") + std::strerror(error ? error : EPIPE) + ")";
    }
    return problem;
}

}  // namespace

std::string WaylandDisplayName() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name && name[0] ? name : "wayland-0";
}

std::string ProbeWaylandCompositor(int timeoutMs) {
    std::string name = WaylandDisplayName();
    std::string where = "the Wayland compositor at " + name;
    // libwayland looks for a relative name in XDG_RUNTIME_DIR and, without
    // one, prints its own complaint: this line says it instead.
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (name[0] != '/' && !(runtimeDir && runtimeDir[0] == '/')) {
        return where + " cannot be found: XDG_RUNTIME_DIR, the folder of its socket, is " +
               (runtimeDir && runtimeDir[0] ? "not an absolute path" : "not set");
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return where + " cannot be reached (" + std::strerror(errno) + ")";
    std::vector<std::string> offered;
    wl_registry* registry = wl_display_get_registry(display);
    std::string problem;
    if (!registry) {
        problem = where + " could not be asked for its globals";
    } else {
        wl_registry_add_listener(registry, &kRegistryListener, &offered);
        problem = RoundTrip(display, timeoutMs);
        if (!problem.empty()) problem = where + " " + problem;
        wl_registry_destroy(registry);
    }
    wl_display_disconnect(display);
    if (!problem.empty()) return problem;
    std::string missing;  // "no input seat (wl_seat)", joined by " and "
    for (const NeededGlobal& needed : kNeededGlobals) {
        if (std::find(offered.begin(), offered.end(), needed.interface) != offered.end()) continue;
        missing += (missing.empty() ? "no " : " and no ") + std::string(needed.what) + " (" +
                   needed.interface + ")";
    }
    if (missing.empty()) return "";
    return where + " offers " + missing + "; SDL's Wayland driver cannot start there";
}
