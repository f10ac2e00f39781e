#include "smd2gltf/material_textures.h"

#include <cstring>
#include <unordered_map>

#include "model/material_texture_name.h"
#include "platform/files.h"
#include "platform/gfx/image/image.h"
#include "smd2gltf/clip_poses.h"
#include "smd2gltf/png_writer.h"

namespace smd2gltf {

namespace {

// A texture's largest side: what GL implementations commonly take.
constexpr uint32_t kMaxTextureEdge = 16384;

}  // namespace

std::string ReferenceFolder(const std::string& path) {
    size_t cut = path.rfind('\\');
    if (cut == std::string::npos) cut = path.rfind('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

Materials LoadMaterials(const smd::Reference& reference, const std::string& referencePath,
                        std::vector<std::string>* notes) {
    Materials materials;
    std::unordered_map<std::string, int> byName;
    for (int i = 0; i < reference.materialCount; ++i) {
        const char* name = reference.materialNames[i];
        auto [at, added] = byName.emplace(name, int(materials.names.size()));
        if (added) materials.names.emplace_back(name);
        materials.ofEntry.push_back(at->second);
    }
    if (materials.names.empty() && reference.triangleCount > 0) {
        materials.names.emplace_back("material");
        materials.ofEntry.push_back(0);
    }

    const std::string folder = ReferenceFolder(referencePath);
    gfx::image::TextureLimits limits;
    limits.maxEdge = kMaxTextureEdge;
    for (const std::string& name : materials.names) {
        // A name without an extension finds its file as the program's loader does.
        const std::string path =
            folder + MaterialTextureName(std::string(), folder.c_str(), name.c_str());
        std::vector<uint8_t> bytes;
        std::string why;
        gfx::image::RgbaImage picture;
        std::vector<uint8_t> png;
        bool loaded = !name.empty() &&
                      ReadFileBytes(path.c_str(), file_limits::kTexture, &bytes, &why) &&
                      gfx::image::DecodeImage(bytes.data(), bytes.size(), limits, &picture, &why) &&
                      EncodePng(picture, &png, &why);
        if (!loaded) {
            if (name.empty()) why = "the material has no name";
            // ReadFileBytes names the file in its reason; the decoders do not.
            if (why.rfind(ResolvePath(path.c_str()), 0) != 0)
                why = ResolvePath(path.c_str()) + ": " + why;
            notes->push_back("material " + PrintableName(name.c_str()) +
                             " has no texture: " + PrintableName(why.c_str()));
            materials.image.push_back(-1);
            continue;
        }
        materials.image.push_back(int(materials.pngs.size()));
        materials.pngs.push_back(std::move(png));
        materials.imageNames.push_back(name);
    }
    return materials;
}

}  // namespace smd2gltf
