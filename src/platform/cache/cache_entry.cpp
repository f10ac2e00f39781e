#include "platform/cache/cache_entry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/cache/cache_key.h"
#include "platform/report/program_name.h"

namespace disk_cache {

namespace {

constexpr char kMagic[8] = {'R', 'R', 'C', 'A', 'C', 'H', 'E', '\n'};
constexpr size_t kHeaderBytes = sizeof kMagic + 4 + 8 + 8;
constexpr char kTemporaryPrefix[] = ".tmp-";
constexpr time_t kTemporaryGraceSeconds = 60;

void PutNumber(std::string* bytes, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) *bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t GetNumber(std::string_view bytes, size_t at, int size) {
    uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= uint64_t(static_cast<unsigned char>(bytes[at + size_t(i)])) << (8 * i);
    return value;
}

std::string Reason(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += size_t(put);
    }
    return true;
}

std::atomic<bool> noted{false};

void NoteOnce(const std::string& error) {
    if (noted.exchange(true)) return;
    std::fprintf(stderr, "%s: the start-up cache is not used: %s\n", kProgramName, error.c_str());
}

}  // namespace

bool MakeFolders(const std::string& folder, std::string* error) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            *error = Reason("cannot make", part);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        *error = Reason("cannot use", folder);
        return false;
    }
    return true;
}

std::string CacheFolder(const std::string& kind) {
    const char* off = std::getenv("RR_NO_CACHE");
    if (off && std::strcmp(off, "1") == 0) return {};
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') return {};
        base = std::string(home) + "/.cache";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/reflect-refract/" + kind;
}

std::string SealEntry(uint32_t tag, std::string_view payload) {
    std::string bytes(kMagic, sizeof kMagic);
    PutNumber(&bytes, tag, 4);
    PutNumber(&bytes, payload.size(), 8);
    PutNumber(&bytes, Hash64(payload), 8);
    bytes.append(payload.data(), payload.size());
    return bytes;
}

bool OpenEntry(std::string_view bytes, uint32_t tag, std::string* payload) {
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return false;
    if (GetNumber(bytes, 8, 4) != tag) return false;
    uint64_t size = GetNumber(bytes, 12, 8);
    if (size != bytes.size() - kHeaderBytes) return false;
    std::string_view body = bytes.substr(kHeaderBytes);
    if (GetNumber(bytes, 20, 8) != Hash64(body)) return false;
    payload->assign(body.data(), body.size());
    return true;
}

bool ReadEntry(const std::string& folder, const std::string& name, uint32_t tag, size_t maxBytes,
               std::string* payload) {
    if (folder.empty()) return false;
    const std::string path = folder + "/" + name;
    // Non-blocking: a FIFO in its place is refused, not waited on.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info;
    std::string bytes;
    bool whole = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
                 uint64_t(info.st_size) <= maxBytes + kHeaderBytes;
    if (whole) {
        bytes.resize(size_t(info.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += size_t(got);
        }
        // A file that shrank while it was read is cut; one that grew holds
        // more than its size said: both are refused.
        char extra;
        whole = done == bytes.size() && read(fd, &extra, 1) == 0;
    }
    close(fd);
    return whole && OpenEntry(bytes, tag, payload);
}

bool WriteEntry(const std::string& folder, const std::string& name, uint32_t tag,
                std::string_view payload, std::string* error) {
    if (folder.empty()) {
        *error = "no cache folder";
        return false;
    }
    if (!MakeFolders(folder, error)) {
        NoteOnce(*error);
        return false;
    }
    const std::string path = folder + "/" + name;
    std::string temporary = folder + "/" + kTemporaryPrefix + "XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = Reason("cannot write in", folder);
        NoteOnce(*error);
        return false;
    }
    bool written = WriteAll(fd, SealEntry(tag, payload));
    if (close(fd) != 0) written = false;
    if (!written) {
        *error = Reason("cannot write", temporary);
        unlink(temporary.c_str());
        NoteOnce(*error);
        return false;
    }
    bool renamed = rename(temporary.c_str(), path.c_str()) == 0;
    // An empty folder where the entry belongs is taken away; anything else
    // that is there stays, and the entry is not written.
    if (!renamed && (errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST) &&
        rmdir(path.c_str()) == 0) {
        renamed = rename(temporary.c_str(), path.c_str()) == 0;
    }
    if (!renamed) {
        *error = Reason("cannot write", path);
        unlink(temporary.c_str());
        return false;
    }
    TrimFolder(folder, kMaxEntries, kMaxFolderBytes);
    return true;
}

void TrimFolder(const std::string& folder, size_t maxEntries, uint64_t maxBytes) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    struct File {
        struct timespec changed;
        uint64_t bytes;
        std::string name;
    };
    std::vector<File> files;
    uint64_t total = 0;
    const time_t now = time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        struct stat info;
        if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode))
            continue;
        bool temporary =
            std::strncmp(entry->d_name, kTemporaryPrefix, sizeof kTemporaryPrefix - 1) == 0;
        if (temporary && now - info.st_mtim.tv_sec < kTemporaryGraceSeconds) continue;
        files.push_back({info.st_mtim, uint64_t(info.st_size), entry->d_name});
        total += uint64_t(info.st_size);
    }
    if (files.size() > maxEntries || total > maxBytes) {
        std::sort(files.begin(), files.end(), [](const File& a, const File& b) {
            if (a.changed.tv_sec != b.changed.tv_sec) return a.changed.tv_sec < b.changed.tv_sec;
            return a.changed.tv_nsec < b.changed.tv_nsec;
        });
        size_t left = files.size();
        for (const File& file : files) {
            if (left <= maxEntries && total <= maxBytes) break;
            if (unlinkat(dirfd(dir), file.name.c_str(), 0) == 0) {
                --left;
                total -= file.bytes;
            }
        }
    }
    closedir(dir);
}

}  // namespace disk_cache
