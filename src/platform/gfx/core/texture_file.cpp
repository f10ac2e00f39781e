#include "platform/gfx/core/texture_file.h"

#include "platform/files.h"
#include "platform/gfx/image/texture_limits.h"

namespace gfx {

namespace {

uint32_t FullChainLength(uint32_t width, uint32_t height) {
    uint32_t edge = width > height ? width : height, levels = 1;
    for (; edge > 1; edge >>= 1) ++levels;
    return levels;
}

bool Refuse(const char* path, const std::string& why, std::string* error) {
    *error = ResolvePath(path) + ": " + why;
    return false;
}

}  // namespace

bool ReadTextureFile(const char* path, TextureShape shape, const TextureSupport& support,
                     TextureFile* file, std::string* error) {
    const bool cube = shape == TextureShape::Cube;
    std::vector<uint8_t>& bytes = file->bytes;
    if (!ReadFileBytes(path, cube ? file_limits::kCubeMap : file_limits::kTexture, &bytes, error))
        return false;
    image::TextureLimits limits;
    limits.maxEdge = support.maxEdge;
    std::string why;
    if (cube || image::LooksLikeDds(bytes.data(), bytes.size())) {
        image::DdsImage& dds = file->layout;
        if (!image::ParseDds(bytes.data(), bytes.size(), &dds, &why))
            return Refuse(path, why, error);
        if (cube && !dds.cube) return Refuse(path, "a 2D texture, not a cube map", error);
        if (image::IsCompressed(dds.format) && !support.blockCompressed)
            return Refuse(path, "DXT-compressed, which this device cannot sample", error);
        const uint32_t faces = cube ? 6 : 1;
        const uint64_t bytes0 = image::DdsLevelSize(dds.format, dds.width, dds.height) * faces;
        if (!image::CheckTextureSize(dds.width, dds.height, faces, bytes0, limits, &why))
            return Refuse(path, why, error);
        file->dds = true;
        file->width = dds.width;
        file->height = dds.height;
        file->levels = dds.levels;
        return true;
    }
    if (!image::DecodeImage(bytes.data(), bytes.size(), limits, &file->picture, &why))
        return Refuse(path, why, error);
    std::vector<uint8_t>().swap(bytes);  // the file is no longer needed
    file->width = file->picture.width;
    file->height = file->picture.height;
    file->levels = FullChainLength(file->width, file->height);
    return true;
}

}  // namespace gfx
