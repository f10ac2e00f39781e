#include "platform/watch/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Written and closed, or renamed into place: the two ways a save ends.
// Creation is left out: a created file is still empty until it is closed.
constexpr uint32_t kSaveEvents = IN_CLOSE_WRITE | IN_MOVED_TO;

void Split(const std::string& path, std::string* folder, std::string* name) {
    size_t slash = path.rfind('/');
    *folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

FileWatch::~FileWatch() {
    Stop();
}

void FileWatch::Stop() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    targets_.clear();
}

bool FileWatch::Watch(const std::string& path, std::string* error) {
    Stop();
    descriptor_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor_ < 0) {
        *error = std::string("inotify: ") + std::strerror(errno);
        return false;
    }
    std::vector<std::string> paths = {path};
    char real[PATH_MAX];
    if (::realpath(path.c_str(), real) && path != real) paths.push_back(real);
    for (const std::string& each : paths) {
        std::string folder, name;
        Split(each, &folder, &name);
        int watch = ::inotify_add_watch(descriptor_, folder.c_str(), kSaveEvents);
        if (watch < 0) {
            *error = folder + ": " + std::strerror(errno);
            Stop();
            return false;
        }
        targets_.push_back(Target{watch, name});
    }
    return true;
}

bool FileWatch::Changed() {
    if (descriptor_ < 0) return false;
    bool changed = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        ssize_t length = ::read(descriptor_, buffer, sizeof buffer);
        if (length <= 0) break;  // EAGAIN: nothing more is waiting
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event)) + ssize_t(event->len);
            if (at > length || event->len == 0) continue;
            for (const Target& target : targets_)
                if (event->wd == target.watch && target.name == event->name) changed = true;
        }
    }
    return changed;
}
