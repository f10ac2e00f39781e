#include "smd2gltf/glb_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace smd2gltf {

namespace {

constexpr uint32_t kMagic = 0x46546C67;      // "glTF"
constexpr uint32_t kJsonChunk = 0x4E4F534A;  // "JSON"
constexpr uint32_t kBinChunk = 0x004E4942;   // "BIN\0"

void PutWord(std::vector<uint8_t>* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out->push_back(uint8_t(value >> (8 * i)));
}

size_t Padded(size_t size) { return (size + 3) & ~size_t(3); }

}  // namespace

bool PackGlb(std::string_view json, std::span<const uint8_t> binary, std::vector<uint8_t>* out) {
    out->clear();
    const size_t jsonLength = Padded(json.size());
    const size_t binLength = Padded(binary.size());
    const size_t total = 12 + 8 + jsonLength + (binary.empty() ? 0 : 8 + binLength);
    if (total > UINT32_MAX) return false;
    out->reserve(total);
    PutWord(out, kMagic);
    PutWord(out, 2);
    PutWord(out, uint32_t(total));
    PutWord(out, uint32_t(jsonLength));
    PutWord(out, kJsonChunk);
    out->insert(out->end(), json.begin(), json.end());
    out->resize(out->size() + jsonLength - json.size(), ' ');
    if (!binary.empty()) {
        PutWord(out, uint32_t(binLength));
        PutWord(out, kBinChunk);
        out->insert(out->end(), binary.begin(), binary.end());
        out->resize(out->size() + binLength - binary.size(), 0);
    }
    return true;
}

bool WriteFileWhole(const std::string& path, std::span<const uint8_t> bytes, std::string* error) {
    auto fail = [&](const std::string& shown, int code) {
        *error = shown + ": " + std::strerror(code);
        return false;
    };
    if (std::filesystem::is_directory(path)) return fail(path, EISDIR);
    // The new file goes beside the old one, so the rename stays on one file
    // system; a name starting with '.' keeps it out of sight meanwhile.
    std::filesystem::path target(path);
    std::string folder = target.parent_path().string();
    std::string temporary = (folder.empty() ? std::string() : folder + "/") + "." +
                            target.filename().string() + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) return fail(path, errno);
    size_t written = 0;
    int code = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            code = n < 0 ? errno : ENOSPC;
            break;
        }
        written += size_t(n);
    }
    // Readable as a file written with open(2) would be, not mkstemp's 0600.
    mode_t mask = umask(0);
    umask(mask);
    if (code == 0 && fchmod(fd, 0666 & ~mask) != 0) code = errno;
    if (::close(fd) != 0 && code == 0) code = errno;
    if (code == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) code = errno;
    if (code != 0) {
        ::unlink(temporary.c_str());
        return fail(path, code);
    }
    return true;
}

}  // namespace smd2gltf
