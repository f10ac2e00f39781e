// Telling when files have been saved, without polling them: Linux inotify on
// each file's folder. The folder, not the file, because editors often save
// by writing a new file and renaming it over the old one, which a watch on
// the old file would not see. A symbolic link's target is watched too.
#pragma once

#include <string>
#include <vector>

class FileWatch {
public:
    FileWatch() = default;
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // From now on watches these files (their index in paths names them in
    // ChangedFiles), in place of the ones watched before; saves of files
    // that stay on the list and are not yet taken are still reported. False,
    // with *error naming the first folder that cannot be watched, when some
    // file's folder cannot be watched; the other files are watched all the
    // same. An empty list watches nothing.
    bool Watch(const std::vector<std::string>& paths, std::string* error);
    bool Watch(const std::string& path, std::string* error) {
        return Watch(std::vector<std::string>{path}, error);
    }
    // Ends every watch.
    void Stop();
    bool IsWatching() const { return !targets_.empty(); }

    // The files (indices into the list given to Watch, each once, in
    // increasing order) that were written and closed, or had another file
    // renamed to their name, since the last call. Reads every waiting event;
    // never blocks.
    std::vector<size_t> ChangedFiles();
    // Whether any watched file changed since the last call (ChangedFiles).
    bool Changed() { return !ChangedFiles().empty(); }

private:
    struct Target {
        int watch;         // inotify watch descriptor of the folder
        std::string name;  // the file's name in it
        size_t file;       // its index in the list given to Watch
    };
    int descriptor_ = -1;
    std::vector<Target> targets_;
    std::vector<int> folders_;     // every folder watch made, each once
    std::vector<size_t> pending_;  // files seen changed and not yet taken
};
