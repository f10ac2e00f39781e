// Texture files as every device reads them, once, in the front: the file is
// read (up to its kind's size limit), a DDS file parsed and any other picture
// decoded to RGBA, and the size checked against the device's largest texture
// and the texture budget, all before a backend sees it. Backends make their
// textures from the result, so they refuse the same files for the same reasons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/core/device_rules.h"
#include "platform/gfx/image/dds.h"
#include "platform/gfx/image/image.h"

namespace gfx {

enum class TextureShape { Flat, Cube };

// What a device can sample.
struct TextureSupport {
    uint32_t maxEdge = rules::kMaxTextureEdge;
    bool blockCompressed = true;  // DXT1, DXT3, DXT5

    bool operator==(const TextureSupport&) const = default;
};

struct TextureFile {
    uint32_t width = 0;  // level 0; a cube map's faces are square
    uint32_t height = 0;
    uint32_t levels = 0;  // the texture's mip levels
    // A DDS file, its levels taken as they are: the file and where they lie
    // in it. A cube map file read as a flat texture gives its first face.
    bool dds = false;
    image::DdsImage layout;
    std::vector<uint8_t> bytes;
    // Any other picture: level 0; the backend makes the rest of the chain.
    image::RgbaImage picture;
};

// False, with error "PATH: why", for a file that cannot be such a texture.
bool ReadTextureFile(const char* path, TextureShape shape, const TextureSupport& support,
                     TextureFile* file, std::string* error);

}  // namespace gfx
