// The reference's materials and their textures, ready to embed.
//
// The material table may list a name more than once (a material that comes
// back after another); glTF gets one material per name. Each material's
// texture is the file the program reads for it (the reference's folder and
// the material name), decoded by the program's own image readers (BMP, TGA,
// PNG, JPEG) and encoded again as PNG, the one lossless format glTF takes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/smd/parsed_smd.h"

namespace smd2gltf {

struct Materials {
    std::vector<std::string> names;          // one per name, in table order
    std::vector<int> ofEntry;                // table entry → index into names
    std::vector<int> image;                  // per material: index into pngs, or −1
    std::vector<std::vector<uint8_t>> pngs;  // the PNG files
    std::vector<std::string> imageNames;     // the texture file each came from
};

// The folder part of a reference path as the program takes it: up to and
// including the last backslash, else the last slash, else empty.
std::string ReferenceFolder(const std::string& path);

// Collects the materials and loads their textures. A texture that cannot
// be read, decoded or encoded leaves its material without one and adds a
// note saying so.
Materials LoadMaterials(const smd::Reference& reference, const std::string& referencePath,
                        std::vector<std::string>* notes);

}  // namespace smd2gltf
