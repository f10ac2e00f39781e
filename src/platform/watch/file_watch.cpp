#include "platform/watch/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
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

FileWatch::~FileWatch() { Stop(); }

void FileWatch::Stop() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    targets_.clear();
    folders_.clear();
    pending_.clear();
}

bool FileWatch::Watch(const std::vector<std::string>& paths, std::string* error) {
    // Events already waiting belong to the old list: read them under it.
    std::vector<size_t> before = ChangedFiles();
    std::vector<std::string> oldNames;
    for (size_t file : before)
        for (const Target& target : targets_)
            if (target.file == file)
                oldNames.push_back(std::to_string(target.watch) + "/" + target.name);

    if (descriptor_ < 0 && !paths.empty()) {
        descriptor_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (descriptor_ < 0) {
            *error = std::string("inotify: ") + std::strerror(errno);
            Stop();
            return false;
        }
    }
    std::vector<Target> targets;
    std::vector<int> folders;
    bool all = true;
    for (size_t file = 0; file < paths.size(); ++file) {
        std::vector<std::string> forms = {paths[file]};
        char real[PATH_MAX];
        if (::realpath(paths[file].c_str(), real) && paths[file] != real) forms.push_back(real);
        for (const std::string& each : forms) {
            std::string folder, name;
            Split(each, &folder, &name);
            // The same folder gives the same descriptor again.
            int watch = ::inotify_add_watch(descriptor_, folder.c_str(), kSaveEvents);
            if (watch < 0) {
                if (all) *error = folder + ": " + std::strerror(errno);
                all = false;
                continue;
            }
            targets.push_back(Target{watch, name, file});
            if (std::find(folders.begin(), folders.end(), watch) == folders.end())
                folders.push_back(watch);
        }
    }
    for (int old : folders_)
        if (std::find(folders.begin(), folders.end(), old) == folders.end())
            ::inotify_rm_watch(descriptor_, old);
    targets_ = std::move(targets);
    folders_ = std::move(folders);
    // Saves not yet taken carry over to the files that stay on the list.
    pending_.clear();
    for (const Target& target : targets_) {
        std::string key = std::to_string(target.watch) + "/" + target.name;
        if (std::find(oldNames.begin(), oldNames.end(), key) != oldNames.end() &&
            std::find(pending_.begin(), pending_.end(), target.file) == pending_.end())
            pending_.push_back(target.file);
    }
    if (targets_.empty() && descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
        folders_.clear();
    }
    return all;
}

std::vector<size_t> FileWatch::ChangedFiles() {
    std::vector<size_t> changed = std::move(pending_);
    pending_.clear();
    if (descriptor_ >= 0) {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            ssize_t length = ::read(descriptor_, buffer, sizeof buffer);
            if (length <= 0) break;  // EAGAIN: nothing more is waiting
            for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += ssize_t(sizeof(inotify_event)) + ssize_t(event->len);
                if (at > length || event->len == 0) continue;
                for (const Target& target : targets_)
                    if (event->wd == target.watch && target.name == event->name)
                        changed.push_back(target.file);
            }
        }
    }
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    return changed;
}
