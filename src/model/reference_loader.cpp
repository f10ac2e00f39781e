// Reference files: parsed into a mesh, then its textures and vertex buffer
// are created and it takes the next mesh slot.
#include <cstring>
#include <utility>
#include <vector>

#include "model/skinned_model.h"
#include "model/smd/smd_parser.h"
#include "model/smd_file_load.h"

namespace {

// Directory part of path: through its last backslash; without one, through
// its last forward slash; otherwise empty.
void SetDirectory(char (&directory)[kDirectorySize], const char* path) {
    const char* cut = std::strrchr(path, '\\');
    if (!cut) cut = std::strrchr(path, '/');
    size_t length = cut ? size_t(cut - path) + 1 : 0;
    std::memcpy(directory, path, length);
    directory[length] = '\0';
}

}  // namespace

bool SkinnedModel::LoadReference(gfx::Device* newDevice, const char* path,
                                 const LoadContext& context, SmdLoadFailure* failure,
                                 smd::Reference* prepared) {
    device = newDevice;
    if (!path) return false;
    if (std::strlen(path) >= size_t(kDirectorySize)) {
        // The directory prefix must fit its 128-byte field, or every texture
        // path built from it would be wrong.
        smd::ReportRefusal(context, path, "the path is longer than 127 characters", failure);
        return false;
    }
    SetDirectory(directory, path);
    if (meshCount >= kMaxMeshes) {
        smd::ReportRefusal(context, path, "all 32 mesh slots are in use", failure);
        return false;
    }

    smd::Reference parsed;
    smd::ParseStatus status;
    if (!smd::TakeOrParse(context, path, prepared, smd::ParseReference, &parsed, &status, failure))
        return false;
    if (status.result != SmdLoadResult::Ok) {
        smd::ReportParseFailure(context, path, status, failure);
        return false;
    }

    // Bones, triangles, material textures, vertex buffer; the slot is
    // replaced only now that the whole file has been read.
    ModelMesh mesh;
    mesh.boneCount = parsed.boneCount;
    mesh.bones = parsed.bones.release();
    mesh.triangleCount = parsed.triangleCount;
    mesh.vertexCount = 3 * parsed.triangleCount;
    mesh.triangles = parsed.triangles.release();
    mesh.SetLinks(parsed.linkStart, parsed.links);
    mesh.shared = skinning::ShareCorners(mesh.triangles, mesh.triangleCount);
    mesh.sourceFolder = context.baseFolder;
    mesh.sourcePath = path;
    mesh.LoadMaterialTextures(device, context, parsed.materialCount, directory,
                              parsed.materialNames);
    if (device) {
        device->CreateVertexBuffer(uint32_t(mesh.triangleCount) * 3u * sizeof(SkinVertex), 0, 0,
                                   gfx::D3DPOOL_DEFAULT, &mesh.vertexBuffer, nullptr);
    }
    meshes[meshCount].TakeFrom(mesh);
    ++meshCount;
    MatchMeshToClips(context, path, meshCount - 1);
    return true;
}
