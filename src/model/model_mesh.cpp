#include "model/model_mesh.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "model/material_texture_name.h"
#include "model/printable_text.h"
#include "platform/files.h"

ModelMesh::~ModelMesh() { Clear(); }

void ModelMesh::Clear() {
    delete[] bones;
    bones = nullptr;
    boneCount = 0;
    delete[] triangles;
    triangles = nullptr;
    triangleCount = 0;
    vertexCount = 0;
    linked = {};
    shared = {};
    gfx::SafeRelease(vertexBuffer);
    gfx::SafeRelease(texCoordBuffer);
    texCoordsTried = false;
    sourceFolder.clear();
    sourcePath.clear();
    ReleaseTextures();
    textureCount = 0;
    std::memset(texturePaths, 0, sizeof(texturePaths));
}

void ModelMesh::ReleaseTextures() {
    if (!textures) return;
    for (int i = 0; i < textureCount; ++i) gfx::SafeRelease(textures[i]);
    delete[] textures;
    textures = nullptr;
}

bool ModelMesh::AllocateBones(int count) {
    if (count <= 0) return false;
    delete[] bones;
    linked = {};  // made for the old skeleton
    bones = new (std::nothrow) Bone[count];
    boneCount = bones ? count : 0;
    return bones != nullptr;
}

bool ModelMesh::AllocateTriangles(int count) {
    if (count <= 0) return false;
    delete[] triangles;
    linked = {};  // made for the old triangles
    shared = {};
    triangles = new (std::nothrow) MeshTriangle[count];
    triangleCount = triangles ? count : 0;
    vertexCount = 3 * triangleCount;
    return triangles != nullptr;
}

bool ModelMesh::LoadMaterialTextures(gfx::Device* device, const LoadContext& context, int count,
                                     const char* directory,
                                     const char (*names)[kMaterialNameSize]) {
    if (count <= 0) return false;
    if (count > kMaxMaterials) count = kMaxMaterials;
    ReleaseTextures();
    textureCount = count;
    std::memset(texturePaths, 0, sizeof(texturePaths));

    bool fits[kMaxMaterials];
    std::string files[kMaxMaterials];
    for (int i = 0; i < count; ++i) {
        files[i] = MaterialTextureName(context.baseFolder, directory, names[i]);
        int written =
            std::snprintf(texturePaths[i], kMaterialNameSize, "%s%s", directory, files[i].c_str());
        fits[i] = written >= 0 && written < kMaterialNameSize;
    }

    textures = new (std::nothrow) gfx::Texture*[count]();
    if (!textures) {
        textureCount = 0;
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!fits[i]) {
            context.report.NoteFormat(
                "material texture %s: the path is longer than %d characters; "
                "materials %d to %d have no texture",
                PrintableText(directory + files[i]).c_str(), kMaterialNameSize - 1, i, count - 1);
            return false;
        }
        std::string file = PathIn(context.baseFolder, texturePaths[i]);
        if (gfx::Failed(gfx::D3DXCreateTextureFromFileA(device, file.c_str(), &textures[i]))) {
            textures[i] = nullptr;
            context.report.NoteFormat(
                "material texture %s cannot be read; materials %d to %d have no texture",
                PrintableText(NameIn(context.baseFolder, texturePaths[i])).c_str(), i, count - 1);
            return false;
        }
    }
    return true;
}

bool ModelMesh::IsDrawable() const {
    if (!bones || boneCount <= 0 || !triangles || triangleCount <= 0 || !vertexBuffer) return false;
    return vertexBuffer->GetLength() >= uint32_t(triangleCount) * 3u * sizeof(SkinVertex);
}

void ModelMesh::TakeFrom(ModelMesh& other) {
    if (&other == this) return;
    Clear();
    vertexCount = other.vertexCount;
    vertexBuffer = other.vertexBuffer;
    boneCount = other.boneCount;
    bones = other.bones;
    triangleCount = other.triangleCount;
    triangles = other.triangles;
    linked = std::move(other.linked);
    shared = std::move(other.shared);
    std::memcpy(texturePaths, other.texturePaths, sizeof(texturePaths));
    textureCount = other.textureCount;
    textures = other.textures;
    sourceFolder = std::move(other.sourceFolder);
    sourcePath = std::move(other.sourcePath);
    texCoordBuffer = other.texCoordBuffer;
    texCoordsTried = other.texCoordsTried;

    other.vertexBuffer = nullptr;
    other.texCoordBuffer = nullptr;
    other.bones = nullptr;
    other.triangles = nullptr;
    other.textures = nullptr;
    other.Clear();
}
