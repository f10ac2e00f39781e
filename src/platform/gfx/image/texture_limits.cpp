#include "platform/gfx/image/texture_limits.h"

namespace gfx::image {

namespace {

std::string Size(uint32_t width, uint32_t height, uint32_t faces) {
    std::string text = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    return faces > 1 ? std::to_string(faces) + " faces of " + text : text;
}

std::string Mebibytes(uint64_t bytes) {
    // Rounded up, so that a size just over the limit never reads as equal to it.
    return std::to_string((bytes + (uint64_t(1) << 20) - 1) >> 20) + " MiB";
}

}  // namespace

bool CheckTextureSize(uint32_t width, uint32_t height, uint32_t faces, uint64_t bytes,
                      const TextureLimits& limits, std::string* error) {
    std::string why;
    if (width == 0 || height == 0) {
        why = "a picture of " + Size(width, height, 1) + " is empty";
    } else if (width > limits.maxEdge || height > limits.maxEdge) {
        why = Size(width, height, faces) + ": larger than the " + std::to_string(limits.maxEdge) +
              " pixels a side this device's textures allow";
    } else if (bytes > limits.maxBytes) {
        why = Size(width, height, faces) + " take " + Mebibytes(bytes) + ", more than the " +
              Mebibytes(limits.maxBytes) + " a texture may take";
    } else {
        return true;
    }
    if (error) *error = why;
    return false;
}

}  // namespace gfx::image
