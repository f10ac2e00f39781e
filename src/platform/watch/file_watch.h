// Telling when a file has been saved, without polling it: Linux inotify on
// the file's folder. The folder, not the file, because editors often save
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

    // Starts watching path, ending any earlier watch. False, with *error
    // saying why, when its folder cannot be watched.
    bool Watch(const std::string& path, std::string* error);
    // Ends the watch.
    void Stop();
    bool IsWatching() const { return descriptor_ >= 0; }

    // Whether the file was written and closed, or another file was renamed
    // to its name, since the last call. Reads every waiting event; never
    // blocks.
    bool Changed();

private:
    struct Target {
        int watch;         // inotify watch descriptor of the folder
        std::string name;  // the file's name in it
    };
    int descriptor_ = -1;
    std::vector<Target> targets_;
};
