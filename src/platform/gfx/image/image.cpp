#include "platform/gfx/image/image.h"

#include <climits>
#include <cstring>

#include <stb_image.h>

namespace gfx::image {

bool LooksLikeDds(const uint8_t* data, size_t size) {
    return size >= 4 && std::memcmp(data, "DDS ", 4) == 0;
}

bool DecodeImage(const uint8_t* data, size_t size, RgbaImage* image, std::string* error) {
    if (!data || size == 0 || size > size_t(INT_MAX)) {
        if (error) *error = "no image data";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(data, int(size), &width, &height, &channels, 4);
    if (!pixels) {
        if (error) *error = std::string("cannot decode image: ") + stbi_failure_reason();
        return false;
    }
    image->width = uint32_t(width);
    image->height = uint32_t(height);
    image->pixels.assign(pixels, pixels + size_t(width) * size_t(height) * 4);
    stbi_image_free(pixels);
    return true;
}

}  // namespace gfx::image
