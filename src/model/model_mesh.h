// One loaded reference mesh: bind-pose skeleton, triangles, material table
// and the device vertex buffer that skinning rewrites every frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/bone.h"
#include "model/load_context.h"
#include "model/mesh_triangle.h"
#include "model/shared_corners.h"
#include "model/skinning.h"
#include "model/smd/parsed_smd.h"
#include "model/smd/smd_limits.h"
#include "platform/gfx/core/device.h"

struct ModelMesh {
    int vertexCount = 0;  // always 3 × triangleCount
    gfx::VertexBuffer* vertexBuffer = nullptr;
    int boneCount = 0;
    Bone* bones = nullptr;
    int triangleCount = 0;
    // A corner driven by weight links has the bone index
    // skinning::kLinkedCorner and its bind pose in model space here; linked
    // drives it.
    MeshTriangle* triangles = nullptr;
    skinning::LinkedCorners linked;
    // The corners that repeat, skinned once (ShareCorners, made by the loader
    // once triangles and links are final); empty: every corner is skinned.
    skinning::SharedCorners shared;
    // One path per material: the reference file's directory + material name,
    // relative to the base folder it was loaded from.
    char texturePaths[kMaxMaterials][kMaterialNameSize] = {};
    int textureCount = 0;
    // textureCount entries; an entry is null when its texture, or an earlier
    // one, could not be created.
    gfx::Texture** textures = nullptr;
    // The file the mesh was read from (its path and the base folder that path
    // is read from), for the texture coordinates only the textured display
    // needs: read again on its first use (ReadyTexCoords), so that loading
    // and the other displays pay nothing for them.
    std::string sourceFolder;
    std::string sourcePath;
    // Stream 1 of the textured display: u, v per corner (v from the picture's
    // top, as the device samples); null until ReadyTexCoords made it.
    gfx::VertexBuffer* texCoordBuffer = nullptr;
    bool texCoordsTried = false;  // made, or failed and noted

    ModelMesh() = default;
    ModelMesh(const ModelMesh&) = delete;
    ModelMesh& operator=(const ModelMesh&) = delete;
    ~ModelMesh();

    // Replaces bones with count default bones. False (mesh unchanged) for a
    // count below 1; false with no bones when memory runs out.
    bool AllocateBones(int count);
    // Replaces triangles with count default triangles and sets vertexCount.
    bool AllocateTriangles(int count);
    // Fills texturePaths with directory + names[i] and creates one texture per
    // path (read from the context's base folder), stopping at the first
    // failure, which is noted to the context's sink. A material name without
    // an extension takes the texture file MaterialTextureName finds. A path
    // that does not fit in its 80-byte entry is stored cut short and counts
    // as a failure: its texture is not requested, so a truncated name never
    // opens a different file.
    bool LoadMaterialTextures(gfx::Device* device, const LoadContext& context, int count,
                              const char* directory, const char (*names)[kMaterialNameSize]);
    // Takes the weight links of the triangles (corner c's links are
    // links[linkStart[c] .. linkStart[c + 1]), bones as slots, weights final)
    // once bones and triangles are in place: a corner with links other than
    // its own bone at full weight becomes a linked corner (the parser has
    // already made a corner whose one link has full weight a corner of that
    // link's bone). False, with no corner changed, when the table does not
    // fit the triangles and bones.
    bool SetLinks(const std::vector<uint32_t>& linkStart,
                  const std::vector<smd::WeightLink>& links);
    // Writes every triangle's corners, moved by the current absolute matrix
    // of its bone, into the vertex buffer. False when the mesh has nothing to
    // skin or the buffer cannot be locked (then nothing is written).
    bool SkinMesh();
    // The same skinning with the given pose (boneCount bones) into out
    // (3 × triangleCount vertices).
    void SkinCorners(const Bone* pose, SkinVertex* out) const;
    // True when the mesh holds bones, triangles and a vertex buffer large
    // enough for them: only such a mesh is skinned and drawn.
    bool IsDrawable() const;
    // True once texCoordBuffer holds every corner's coordinates (made on the
    // first call from the source file, which must still hold this mesh's
    // triangles: corners without u and v take 0, 0). A failure is noted to
    // report once and not tried again (mesh_tex_coords.cpp).
    bool ReadyTexCoords(gfx::Device* device, const ReportSink& report);

    // Releases everything this mesh owns and takes over other's contents,
    // leaving other at its defaults. Used to commit a fully parsed mesh.
    void TakeFrom(ModelMesh& other);
    // Releases everything the mesh owns and returns it to its defaults.
    void Clear();

private:
    void ReleaseTextures();
};
