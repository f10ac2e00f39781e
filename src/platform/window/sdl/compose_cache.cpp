#include "platform/window/sdl/compose_cache.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/cache/cache_entry.h"
#include "platform/window/sdl/sdl_video_driver.h"

namespace {

// A folder Xlib keeps its cache in: the user's own, that no one else may write.
bool UsableFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 0022) == 0;
}

// Xlib keeps no cache for root or a set-user/group-id process.
bool XlibKeepsCaches() { return geteuid() != 0 && getuid() == geteuid() && getgid() == getegid(); }

bool HomeCacheUsable() {
    const char* home = std::getenv("HOME");
    return home && UsableFolder(std::string(home) + "/.compose-cache");
}

// Whether folder holds a file Xlib would map: one written in the last day
// (Xlib parses the table again when its file is older).
bool HoldsFreshFile(const std::string& folder) {
    DIR* entries = opendir(folder.c_str());
    if (!entries) return false;
    bool fresh = false;
    const time_t dayAgo = time(nullptr) - 24 * 60 * 60;
    while (const dirent* entry = readdir(entries)) {
        struct stat info;
        const std::string path = folder + "/" + entry->d_name;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_mtime > dayAgo) {
            fresh = true;
            break;
        }
    }
    closedir(entries);
    return fresh;
}

}  // namespace

void UseComposeCache() {
    const VideoDriverChoice choice =
        ChooseVideoDrivers(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                           std::getenv("WAYLAND_SOCKET"), std::getenv("SDL_VIDEODRIVER"));
    if (choice.drivers.empty() || choice.drivers.front() != "x11") return;
    if (!XlibKeepsCaches() || std::getenv("XCOMPOSECACHE") || HomeCacheUsable()) return;
    const std::string folder = disk_cache::CacheFolder("compose");
    std::string error;
    if (folder.empty() || !disk_cache::MakeFolders(folder, &error)) return;
    setenv("XCOMPOSECACHE", folder.c_str(), 0);
}

bool ComposeTableCached() {
    if (!XlibKeepsCaches()) return false;
    const char* named = std::getenv("XCOMPOSECACHE");
    if (named) return UsableFolder(named) && HoldsFreshFile(named);  // Xlib looks no further
    const char* home = std::getenv("HOME");
    return HomeCacheUsable() && HoldsFreshFile(std::string(home) + "/.compose-cache");
}
