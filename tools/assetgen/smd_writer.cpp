#include "assetgen/smd_writer.h"

#include <cstdio>

#include "assetgen/euler.h"

namespace assetgen {
namespace {

void AppendNumber(std::string& out, float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
    // "-0.000000" reads the same but looks like a sign error in a diff.
    out += (std::string(text) == "-0.000000") ? "0.000000" : text;
}

// The id bone `index` has in the files (-1 stays -1).
std::string NodeId(const Character& character, int index) {
    if (index < 0 || static_cast<size_t>(index) >= character.nodeIds.size())
        return std::to_string(index);
    return std::to_string(character.nodeIds[static_cast<size_t>(index)]);
}

// The first count bones (a clip may hold fewer than the character).
void AppendNodes(std::string& out, const Character& character, size_t count) {
    out += "nodes\n";
    for (size_t i = 0; i < count && i < character.bones.size(); ++i)
        out += "  " + NodeId(character, static_cast<int>(i)) + " \"" + character.bones[i].name +
               "\" " + NodeId(character, character.bones[i].parent) + "\n";
    out += "end\n";
}

void AppendTimeBlock(std::string& out, const Character& character, int time,
                     const std::vector<Matrix4>& locals) {
    out += "time " + std::to_string(time) + "\n";
    for (size_t i = 0; i < locals.size(); ++i) {
        BoneTransform t = DecomposeBoneTransform(locals[i]);
        out += "  " + NodeId(character, static_cast<int>(i));
        for (float v :
             {t.position.x, t.position.y, t.position.z, t.angles.x, t.angles.y, t.angles.z}) {
            out += ' ';
            AppendNumber(out, v);
        }
        out += '\n';
    }
}

}  // namespace

std::string ReferenceSmd(const Character& character) {
    std::string out = "version 1\n";
    AppendNodes(out, character, character.bones.size());
    out += "skeleton\n";
    AppendTimeBlock(out, character, 0, BindLocals(character));
    out += "end\n";
    out += "triangles\n";
    for (const SmdTriangle& triangle : character.triangles) {
        std::string material =
            character.materials[static_cast<size_t>(triangle.material)].textureFile;
        if (character.materialNamesWithoutExtension)
            material = material.substr(0, material.rfind('.'));
        out += material + "\n";
        for (const SmdVertex& v : triangle.corners) {
            out += "  " + NodeId(character, v.bone);
            for (float x : {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y,
                            v.normal.z, v.u, v.v}) {
                out += ' ';
                AppendNumber(out, x);
            }
            if (!v.links.empty()) {
                out += ' ' + std::to_string(v.links.size());
                for (const SmdLink& link : v.links) {
                    out += ' ' + NodeId(character, link.bone) + ' ';
                    AppendNumber(out, link.weight);
                }
            }
            out += '\n';
        }
    }
    out += "end\n";
    return out;
}

std::string AnimationSmd(const Character& character, const Clip& clip) {
    std::string out = "version 1\n";
    AppendNodes(out, character,
                clip.locals.empty() ? character.bones.size() : clip.locals[0].size());
    out += "skeleton\n";
    for (size_t f = 0; f < clip.locals.size(); ++f)
        AppendTimeBlock(out, character, character.firstKeyframe + static_cast<int>(f),
                        clip.locals[f]);
    out += "end\n";
    return out;
}

}  // namespace assetgen
