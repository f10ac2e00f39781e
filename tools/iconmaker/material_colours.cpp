#include "iconmaker/material_colours.h"

#include "platform/files.h"
#include "smd2gltf/material_textures.h"

namespace iconmaker {

namespace {

constexpr Rgb kGrey{160, 160, 160};
constexpr uint32_t kMaxTextureEdge = 16384;

}  // namespace

Rgb MeanColour(const gfx::image::RgbaImage& picture) {
    uint64_t sum[3] = {}, weight = 0;
    const size_t count = size_t(picture.width) * size_t(picture.height);
    for (size_t i = 0; i < count && picture.pixels; ++i) {
        const uint8_t* pixel = picture.pixels.get() + i * 4;
        for (int c = 0; c < 3; ++c) sum[c] += uint64_t(pixel[c]) * pixel[3];
        weight += pixel[3];
    }
    if (weight == 0) return kGrey;
    auto mean = [weight](uint64_t total) { return uint8_t((total + weight / 2) / weight); };
    return {mean(sum[0]), mean(sum[1]), mean(sum[2])};
}

std::vector<Rgb> MaterialColours(const smd::Reference& reference, const std::string& referencePath,
                                 std::vector<std::string>* notes) {
    const std::string folder = smd2gltf::ReferenceFolder(referencePath);
    gfx::image::TextureLimits limits;
    limits.maxEdge = kMaxTextureEdge;
    std::vector<Rgb> colours;
    for (int i = 0; i < reference.materialCount; ++i) {
        const std::string path = folder + reference.materialNames[i];
        std::vector<uint8_t> bytes;
        std::string why;
        gfx::image::RgbaImage picture;
        if (ReadFileBytes(path.c_str(), file_limits::kTexture, &bytes, &why) &&
            gfx::image::DecodeImage(bytes.data(), bytes.size(), limits, &picture, &why)) {
            colours.push_back(MeanColour(picture));
        } else {
            // ReadFileBytes names the file in its reason; the decoders do not.
            if (why.rfind(ResolvePath(path.c_str()), 0) != 0)
                why = ResolvePath(path.c_str()) + ": " + why;
            notes->push_back(why + " (the material is drawn grey)");
            colours.push_back(kGrey);
        }
    }
    return colours;
}

}  // namespace iconmaker
