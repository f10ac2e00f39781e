#include "platform/window/sdl/compose_cache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/cache/cache_entry.h"
#include "platform/window/sdl/sdl_video_driver.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Xlib keeps no cache for root or a set-user/group-id process.
bool XlibKeepsCaches() { return geteuid() != 0 && getuid() == geteuid() && getgid() == getegid(); }

bool HomeCacheExists() {
    const char* home = std::getenv("HOME");
    return home && IsFolder(std::string(home) + "/.compose-cache");
}

}  // namespace

void UseComposeCache() {
    const VideoDriverChoice choice =
        ChooseVideoDrivers(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                           std::getenv("WAYLAND_SOCKET"), std::getenv("SDL_VIDEODRIVER"));
    if (choice.drivers.empty() || choice.drivers.front() != "x11") return;
    if (!XlibKeepsCaches() || std::getenv("XCOMPOSECACHE") || HomeCacheExists()) return;
    const std::string folder = disk_cache::CacheFolder("compose");
    std::string error;
    if (folder.empty() || !disk_cache::MakeFolders(folder, &error)) return;
    setenv("XCOMPOSECACHE", folder.c_str(), 0);
}

bool ComposeTableCached() {
    if (!XlibKeepsCaches()) return false;
    const char* named = std::getenv("XCOMPOSECACHE");
    return (named && IsFolder(named)) || HomeCacheExists();
}
