// Picture decoding with the program's limits (Mesa's largest texture side,
// the texture budget): any bytes give a picture within the limits or a
// reason, and a picture's block holds all its pixels (its last byte is read).
// libpng and libjpeg-turbo are Debian's builds, not instrumented here; what
// runs instrumented is our code around them and our BMP and TGA readers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/gfx/image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gfx::image::TextureLimits limits;
    limits.maxEdge = 16384;
    gfx::image::RgbaImage image;
    std::string error;
    if (!gfx::image::DecodeImage(data, size, limits, &image, &error)) {
        if (error.empty() || image.pixels) std::abort();
        return 0;
    }
    if (!image.pixels || image.width == 0 || image.height == 0 || image.width > limits.maxEdge ||
        image.height > limits.maxEdge || uint64_t(image.width) * image.height * 4 > limits.maxBytes)
        std::abort();
    volatile uint8_t sink = image.pixels[0];
    sink = sink ^ image.pixels[size_t(image.width) * image.height * 4 - 1];
    return 0;
}
