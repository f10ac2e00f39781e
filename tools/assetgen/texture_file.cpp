#include "assetgen/texture_file.h"

#include <algorithm>
#include <cctype>

#include <stb_image_write.h>

#include "assetgen/bmp_writer.h"

namespace assetgen {
namespace {

void Append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

std::string LowerExtension(const std::string& fileName) {
    size_t dot = fileName.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

std::vector<uint8_t> EncodeTextureFile(const std::string& fileName, const Image8& image) {
    std::vector<uint8_t> out;
    if (image.width <= 0 || image.height <= 0) return out;
    const std::string extension = LowerExtension(fileName);
    if (extension == ".bmp") return EncodeBmp24(image);
    // stb_image_write only reads the pixels; its interface is not const.
    void* pixels = const_cast<uint8_t*>(image.rgb.data());
    int ok = 0;
    if (extension == ".tga")  // stb writes run-length encoded TGA unless told otherwise
        ok = stbi_write_tga_to_func(&Append, &out, image.width, image.height, 3, pixels);
    else if (extension == ".png")
        ok = stbi_write_png_to_func(&Append, &out, image.width, image.height, 3, pixels,
                                    image.width * 3);
    if (!ok) out.clear();
    return out;
}

}  // namespace assetgen
