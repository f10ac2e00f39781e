#include "platform/files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

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

}  // namespace

std::string ResolvePath(const char* path) {
    if (!path) return {};
    std::string normal(path);
    for (char& c : normal)
        if (c == '\\') c = '/';
    if (normal.empty() || Exists(normal)) return normal;

    // Walk the components, fixing the case of each one that is missing.
    std::string resolved;
    size_t start = 0;
    if (normal[0] == '/') {
        resolved = "/";
        start = 1;
    }
    while (start <= normal.size()) {
        size_t slash = normal.find('/', start);
        std::string part = normal.substr(start, slash == std::string::npos ? std::string::npos
                                                                            : slash - start);
        if (!part.empty()) {
            std::string candidate = resolved + part;
            if (!Exists(candidate) && part != "." && part != "..") {
                std::string folder = resolved.empty() ? std::string() : resolved;
                std::string match = FindCaseInsensitive(folder, part);
                if (match.empty()) return normal;
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

FILE* OpenFile(const char* path, const char* mode) {
    if (!path || !mode) return nullptr;
    std::string resolved = ResolvePath(path);
    if (resolved.empty()) return nullptr;
    return std::fopen(resolved.c_str(), mode);
}
