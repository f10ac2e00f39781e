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

// The folder Xlib takes its cache from: XCOMPOSECACHE when set (it looks no
// further), else ~/.compose-cache; empty without HOME.
std::string XlibCacheFolder() {
    if (const char* named = std::getenv("XCOMPOSECACHE")) return named;
    const char* home = std::getenv("HOME");
    return home ? std::string(home) + "/.compose-cache" : std::string();
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
    if (!SdlStartsOnX11() || !XlibKeepsCaches()) return;
    if (std::getenv("XCOMPOSECACHE") || UsableFolder(XlibCacheFolder())) return;
    const std::string folder = disk_cache::CacheFolder("compose");
    std::string error;
    if (folder.empty() || !disk_cache::MakeFolders(folder, &error)) return;
    setenv("XCOMPOSECACHE", folder.c_str(), 0);
}

bool ComposeTableCached() {
    const std::string folder = XlibCacheFolder();
    return XlibKeepsCaches() && UsableFolder(folder) && HoldsFreshFile(folder);
}
