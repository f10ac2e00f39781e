#include "smd2gltf/smd_export.h"

#include <algorithm>

#include "model/smd/smd_parser.h"
#include "platform/files.h"
#include "smd2gltf/clip_poses.h"
#include "smd2gltf/glb_file.h"
#include "smd2gltf/gltf_document.h"
#include "smd2gltf/material_textures.h"
#include "smd2gltf/mesh_builder.h"
#include "smd2gltf/skeleton.h"
#include "smd2gltf/texture_coordinates.h"

namespace smd2gltf {

namespace {

// glTF joints are indexed by unsigned shorts at most.
constexpr int kMaxJoints = 65536;

// The bytes of an SMD file, or the program's message for one it cannot read.
bool ReadSmd(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
    std::string why;
    if (ReadFileBytes(path.c_str(), file_limits::kSmdFile, bytes, &why)) return true;
    *error = "cannot read the model file " + why;
    return false;
}

// The program's message for a file its parser refused.
std::string Refusal(const std::string& path, const smd::ParseStatus& status) {
    std::string text = "model file " + ResolvePath(path.c_str());
    if (status.line > 0) text += ", line " + std::to_string(status.line);
    return text + ": " + status.text;
}

// The file's name without its folder and extension, for glTF names.
std::string Stem(const std::string& path) {
    std::string name = path.substr(path.find_last_of("/\\") + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

ExportResult BuildGlb(const ExportOptions& options, std::vector<uint8_t>* glb) {
    ExportResult result;
    std::vector<uint8_t> bytes;
    if (!ReadSmd(options.reference, &bytes, &result.error)) return result;
    smd::Reference reference;
    smd::ParseStatus status = smd::ParseReference(bytes, &reference);
    if (status.result != SmdLoadResult::Ok) {
        result.error = Refusal(options.reference, status);
        return result;
    }
    const std::string referenceShown = ResolvePath(options.reference.c_str());
    if (reference.boneCount == 0) {
        result.error = "model file " + referenceShown + ": no bones: nothing to export";
        return result;
    }
    if (reference.boneCount > kMaxJoints) {
        result.error = "model file " + referenceShown + ": " + std::to_string(reference.boneCount) +
                       " bones; a glTF skin holds at most " + std::to_string(kMaxJoints);
        return result;
    }
    TextureCoordinates uv;
    if (!ReadTextureCoordinates(bytes, reference.triangleCount, &uv)) {
        result.error = "model file " + referenceShown + ": its triangles could not be read again";
        return result;
    }
    if (uv.missing > 0)
        result.notes.push_back("model file " + referenceShown + ", line " +
                               std::to_string(uv.firstMissingLine) + ": " +
                               std::to_string(uv.missing) +
                               (uv.missing == 1 ? " vertex line has" : " vertex lines have") +
                               " no texture coordinates (u, v); they get 0, 0");

    // Clips are read before anything is built, so a refused one costs little.
    std::vector<smd::Animation> clips(options.clips.size());
    for (size_t i = 0; i < options.clips.size(); ++i) {
        if (!ReadSmd(options.clips[i], &bytes, &result.error)) return result;
        status = smd::ParseAnimation(bytes, &clips[i]);
        if (status.result != SmdLoadResult::Ok) {
            result.error = Refusal(options.clips[i], status);
            return result;
        }
    }

    Skeleton skeleton = BuildSkeleton(reference, options.metresPerUnit);
    for (int b = 0; b < reference.boneCount; ++b)
        if (!FitsFloat(skeleton.bindLocal[size_t(b)]) ||
            !FitsFloat(skeleton.inverseBind[size_t(b)])) {
            result.error = "model file " + referenceShown + ": bone " + std::to_string(b) +
                           " lies beyond the range of floats in metres";
            return result;
        }
    Materials materials = LoadMaterials(reference, options.reference, &result.notes);
    MeshData mesh = BuildMesh(reference, skeleton, uv, materials.ofEntry, options.metresPerUnit);
    if (!mesh.positionsFinite) {
        result.error =
            "model file " + referenceShown + ": a vertex lies beyond the range of floats in metres";
        return result;
    }
    if (mesh.cornersOverLimit > 0)
        result.notes.push_back("model file " + referenceShown + ": " +
                               std::to_string(mesh.cornersOverLimit) + " vertices have more than " +
                               std::to_string(kMaxInfluences) + " weight links; their largest " +
                               std::to_string(kMaxInfluences) + " are kept");

    SceneParts parts;
    parts.name = Stem(options.reference);
    for (int b = 0; b < reference.boneCount; ++b)
        parts.boneNames.emplace_back(reference.bones[b].name);
    parts.skeleton = &skeleton;
    parts.mesh = &mesh;
    parts.materials = &materials;
    parts.framesPerSecond = options.framesPerSecond;
    for (size_t i = 0; i < clips.size(); ++i) {
        const std::string clipShown = ResolvePath(options.clips[i].c_str());
        if (clips[i].frameCount == 0) {
            result.notes.push_back("animation " + clipShown + " has no keyframes and is left out");
            continue;
        }
        BoneMatch match = MatchClipBones(reference, clips[i], clipShown);
        result.notes.insert(result.notes.end(), match.notes.begin(), match.notes.end());
        ClipPoses poses = PoseClip(skeleton, clips[i], match.clipBoneOf, options.metresPerUnit);
        if (!std::all_of(poses.locals.begin(), poses.locals.end(),
                         [](const Trs& t) { return FitsFloat(t); })) {
            result.error =
                "model file " + clipShown + ": a bone lies beyond the range of floats in metres";
            return result;
        }
        if (poses.bones.empty()) {
            result.notes.push_back("animation " + clipShown +
                                   " moves no bone of the model and is left out");
            continue;
        }
        parts.clips.push_back({Stem(options.clips[i]), std::move(poses)});
    }

    GltfDocument document = BuildDocument(parts);
    if (!PackGlb(document.json, document.binary, glb)) {
        result.error =
            "the export of " + referenceShown + " would pass the 4 GiB a .glb file can hold";
        return result;
    }
    result.ok = true;
    return result;
}

ExportResult ExportGlb(const ExportOptions& options) {
    std::vector<uint8_t> glb;
    ExportResult result = BuildGlb(options, &glb);
    if (!result.ok) return result;
    if (!WriteFileWhole(options.output, glb, &result.error)) {
        result.error = "cannot write " + result.error;
        result.ok = false;
    }
    return result;
}

}  // namespace smd2gltf
