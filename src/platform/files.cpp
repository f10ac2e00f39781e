#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// The entry of folder whose name equals name ignoring ASCII case; empty if none.
// Entries are compared in sorted order so that the choice does not depend on
// the order in which the file system lists them.
std::string FindCaseInsensitive(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return {};
    std::string best;
    while (struct dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            if (best.empty() || best.compare(entry->d_name) > 0) best = entry->d_name;
        }
    }
    closedir(dir);
    return best;
}

// Opens a regular file for reading. O_NONBLOCK makes opening a FIFO return
// at once instead of waiting for a writer; the flag is cleared again for the
// reads. -1 with error set when the file cannot be opened or is not regular.
// Errors name the file as shown.
int OpenRegularFile(const std::string& path, const std::string& shown, struct stat* info,
                    std::string* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (error) *error = shown + ": " + std::strerror(errno);
        return -1;
    }
    if (::fstat(fd, info) != 0) {
        if (error) *error = shown + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(info->st_mode)) {
        if (error) {
            *error = shown + (S_ISDIR(info->st_mode)
                                  ? ": a folder, not a file"
                                  : ": not a regular file (a device, FIFO or socket)");
        }
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// A large buffer asks for huge pages before its first touch: filling 30 MB
// of fresh 4 KiB pages costs more page faults than reading the file does.
void ReserveLarge(std::vector<uint8_t>* bytes, size_t size) {
    constexpr size_t kHugePage = size_t(2) << 20;
    if (size < 2 * kHugePage || bytes->capacity() >= size) return;
    bytes->reserve(size);
    uintptr_t start =
        (reinterpret_cast<uintptr_t>(bytes->data()) + kHugePage - 1) & ~(kHugePage - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(bytes->data()) + size) & ~(kHugePage - 1);
    if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

std::string SizeText(size_t bytes) {
    return bytes >= (size_t(1) << 20) ? std::to_string(bytes >> 20) + " MiB"
                                      : std::to_string(bytes) + " bytes";
}

// resolved = ResolvePathIn(folder, path), without folder's prefix.
std::string NameOfResolved(const std::string& folder, const char* path,
                           const std::string& resolved) {
    if (folder.empty() || !path || path[0] == '/' || path[0] == '\\') return resolved;
    size_t prefix = folder.size() + (folder.back() == '/' ? 0 : 1);
    return resolved.size() >= prefix ? resolved.substr(prefix) : resolved;
}

}  // namespace

std::string ResolvePath(const char* path) { return ResolvePathIn(std::string(), path); }

std::string ResolvePathIn(const std::string& folder, const char* path) {
    if (!path) return {};
    std::string normal(path);
    for (char& c : normal)
        if (c == '\\') c = '/';
    // A relative path inside another folder: the folder's own name is taken
    // as it is, only the components of path are looked up.
    std::string base;
    if (!folder.empty() && !normal.empty() && normal[0] != '/') {
        base = folder;
        if (base.back() != '/') base += '/';
        // "./Shaders/x" inside the folder is its "Shaders/x".
        while (normal.compare(0, 2, "./") == 0) normal.erase(0, 2);
    }
    if (normal.empty() || Exists(base + normal)) return base + normal;

    // Walk the components, fixing the case of each one that is missing.
    std::string resolved = base;
    size_t start = 0;
    if (normal[0] == '/') {
        resolved = "/";
        start = 1;
    }
    while (start <= normal.size()) {
        size_t slash = normal.find('/', start);
        std::string part =
            normal.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty()) {
            std::string candidate = resolved + part;
            if (!Exists(candidate) && part != "." && part != "..") {
                std::string match = FindCaseInsensitive(resolved, part);
                if (match.empty()) return base + normal;
                candidate = resolved + match;
            }
            resolved = candidate;
        }
        if (slash == std::string::npos) break;
        if (!part.empty() && resolved.back() != '/') resolved += '/';
        start = slash + 1;
    }
    return resolved;
}

std::string PathIn(const std::string& folder, const char* path) {
    if (!path) return {};
    return folder.empty() ? std::string(path) : ResolvePathIn(folder, path);
}

std::string NameIn(const std::string& folder, const char* path) {
    return NameOfResolved(folder, path, ResolvePathIn(folder, path));
}

bool IsRegularFileIn(const std::string& folder, const char* path) {
    struct stat info;
    std::string resolved = ResolvePathIn(folder, path);
    return !resolved.empty() && stat(resolved.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string WorkingFolder() {
    std::vector<char> buffer(256);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() >= (size_t(1) << 20)) return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string DisplayPath(const char* path) {
    std::string resolved = ResolvePath(path);
    if (resolved.empty() || resolved[0] == '/') return resolved;
    while (resolved.compare(0, 2, "./") == 0) resolved.erase(0, 2);
    std::string folder = WorkingFolder();
    if (folder.empty()) return resolved;
    return folder + (folder.back() == '/' ? "" : "/") + resolved;
}

std::string DisplayPathIn(const std::string& folder, const char* path) {
    if (folder.empty()) return DisplayPath(path);
    std::string name = NameIn(folder, path);
    if (name.empty() || name[0] == '/') return name;
    while (name.compare(0, 2, "./") == 0) name.erase(0, 2);
    std::string base = folder;
    if (base[0] != '/') base = DisplayPath(folder.c_str());
    return base + (base.back() == '/' ? "" : "/") + name;
}

FILE* OpenFile(const char* path, const char* mode) {
    if (!path || !mode) return nullptr;
    std::string resolved = ResolvePath(path);
    if (resolved.empty()) return nullptr;
    if (mode[0] != 'r' || std::strchr(mode, '+')) return std::fopen(resolved.c_str(), mode);
    struct stat info;
    int fd = OpenRegularFile(resolved, resolved, &info, nullptr);
    if (fd < 0) return nullptr;
    FILE* file = ::fdopen(fd, mode);
    if (!file) ::close(fd);
    return file;
}

bool ReadFileBytes(const char* path, size_t limit, std::vector<uint8_t>* bytes,
                   std::string* error) {
    return ReadFileBytesIn(std::string(), path, limit, bytes, error);
}

bool ReadFileBytesIn(const std::string& folder, const char* path, size_t limit,
                     std::vector<uint8_t>* bytes, std::string* error) {
    bytes->clear();
    std::string resolved = ResolvePathIn(folder, path);
    if (resolved.empty()) {
        if (error) *error = "no file named";
        return false;
    }
    std::string shown = NameOfResolved(folder, path, resolved);
    struct stat info;
    int fd = OpenRegularFile(resolved, shown, &info, error);
    if (fd < 0) return false;
    auto refuse = [&](const std::string& reason) {
        if (error) *error = shown + ": " + reason;
        bytes->clear();
        bytes->shrink_to_fit();
        ::close(fd);
        return false;
    };
    if (info.st_size < 0 || size_t(info.st_size) > limit) {
        return refuse("larger than " + SizeText(limit) + ", the most this program reads");
    }
    // The size may change while the file is read: read until the end, but
    // never past the limit. The buffer is the size the file had; only when a
    // read into a small probe finds more does it grow.
    ReserveLarge(bytes, size_t(info.st_size));
    bytes->resize(size_t(info.st_size));
    size_t got = 0;
    uint8_t probe[4096];
    while (true) {
        bool full = got == bytes->size();
        uint8_t* into = full ? probe : bytes->data() + got;
        size_t room = full ? sizeof probe : bytes->size() - got;
        ssize_t n = ::read(fd, into, room);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return refuse(std::strerror(errno));
        if (n == 0) break;
        if (full) {
            if (got + size_t(n) > limit) {
                got += size_t(n);
                break;
            }
            bytes->insert(bytes->end(), probe, probe + n);
        }
        got += size_t(n);
    }
    if (got > limit)
        return refuse("larger than " + SizeText(limit) + ", the most this program reads");
    bytes->resize(got);
    ::close(fd);
    return true;
}
