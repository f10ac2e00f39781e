#include "platform/window/sdl/session_bus.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool IsSocket(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

// A D-Bus address value: bytes other than [-0-9A-Za-z_/.\*] as %XX.
std::string EscapeAddressValue(const std::string& value) {
    std::string out;
    for (unsigned char c : value) {
        bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                     c == '-' || c == '_' || c == '/' || c == '.' || c == '\\' || c == '*';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02x", c);
            out += escaped;
        }
    }
    return out;
}

}  // namespace

std::string SessionBusAddress(const char* given, const char* runtimeDir,
                              bool (*isSocket)(const std::string& path)) {
    if (given && given[0]) return given;
    if (runtimeDir && runtimeDir[0] == '/') {
        const std::string bus = std::string(runtimeDir) + "/bus";
        if (isSocket(bus)) return "unix:path=" + EscapeAddressValue(bus);
    }
    return "disabled:";
}

void ChooseSessionBus() {
    const std::string address = SessionBusAddress(std::getenv("DBUS_SESSION_BUS_ADDRESS"),
                                                  std::getenv("XDG_RUNTIME_DIR"), IsSocket);
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
}
