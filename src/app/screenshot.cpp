#include "app/screenshot.h"

#include <stb_image_write.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void Append(void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

}  // namespace

bool SavePng(const std::string& path, uint32_t width, uint32_t height,
             const std::vector<uint8_t>& rgba, std::string* error, bool* existed) {
    if (existed) *existed = false;
    if (width == 0 || height == 0 || width > 65535 || height > 65535 ||
        rgba.size() != size_t(width) * height * 4) {
        *error = path + ": no picture to save";
        return false;
    }
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (size_t i = 0, n = size_t(width) * height; i < n; ++i)
        std::memcpy(&rgb[i * 3], &rgba[i * 4], 3);

    // Encoded in memory first, so that a failed write can say why (errno).
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(Append, &png, int(width), int(height), 3, rgb.data(),
                                int(width) * 3)) {
        *error = path + ": the PNG could not be encoded";
        return false;
    }
    // "x": made only when no file has the name (glibc, C11).
    FILE* file = std::fopen(path.c_str(), existed ? "wbx" : "wb");
    if (!file) {
        if (existed) *existed = errno == EEXIST;
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    int writeErrno = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        writeErrno = errno;
    }
    if (!written) {
        *error = path + ": " + std::strerror(writeErrno);
        return false;
    }
    return true;
}

bool SaveRgbaPng(const std::string& path, uint32_t width, uint32_t height,
                 const std::vector<uint8_t>& rgba, std::string* error) {
    if (width == 0 || height == 0 || width > 65535 || height > 65535 ||
        rgba.size() != size_t(width) * height * 4) {
        *error = path + ": no picture to save";
        return false;
    }
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(Append, &png, int(width), int(height), 4, rgba.data(),
                                int(width) * 4)) {
        *error = path + ": the PNG could not be encoded";
        return false;
    }
    std::string temporary = path + ".XXXXXX";
    int file = mkstemp(temporary.data());
    if (file < 0) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    // mkstemp makes the file for its owner only; a picture is for everyone to read.
    bool written = fchmod(file, 0644) == 0;
    for (size_t done = 0; written && done < png.size();) {
        ssize_t n = write(file, png.data() + done, png.size() - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += size_t(n);
    }
    int writeErrno = errno;
    if (close(file) != 0 && written) {
        written = false;
        writeErrno = errno;
    }
    if (written && rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        writeErrno = errno;
    }
    if (!written) {
        unlink(temporary.c_str());
        *error = path + ": " + std::strerror(writeErrno);
        return false;
    }
    return true;
}
