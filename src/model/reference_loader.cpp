// Reference files: bind-pose skeleton and triangles into the next mesh slot.
#include <cstring>
#include <memory>
#include <new>

#include "model/load_messages.h"
#include "model/load_report.h"
#include "model/skinned_model.h"
#include "model/smd_reader.h"
#include "platform/files.h"
#include "platform/window/core/message_box.h"

using smd::IsKeyword;
using smd::PoseBone;
using smd::ScanBoneLine;
using smd::ScanNodeLine;

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

namespace smd {

void ShowLoadError(const SkinnedModel& model, const char* path, SmdLoadResult result) {
    if (result == SmdLoadResult::NotSmd) {
        MessageBoxA(nullptr, kNotSmdMessage, kLoadErrorCaption, MB_OK);
    } else if (result == SmdLoadResult::WrongKind) {
        MessageBoxA(nullptr, kWrongKindMessage, kLoadErrorCaption, MB_OK);
    } else if (result == SmdLoadResult::Malformed) {
        char text[512];
        if (model.errorLine > 0) {
            std::snprintf(text, sizeof(text), "%s, line %d: %s", path, model.errorLine,
                          model.errorText);
        } else {
            std::snprintf(text, sizeof(text), "%s: %s", path, model.errorText);
        }
        MessageBoxA(nullptr, text, kLoadErrorCaption, MB_OK);
    }
}

void ShowRefusal(const char* path, const char* reason) {
    char text[512];
    std::snprintf(text, sizeof(text), "%s: %s", path, reason);
    MessageBoxA(nullptr, text, kLoadErrorCaption, MB_OK);
}

}  // namespace smd

bool SkinnedModel::LoadReference(gfx::Device* newDevice, const char* path) {
    device = newDevice;
    if (!path) return false;
    if (std::strlen(path) >= size_t(kDirectorySize)) {
        // The directory prefix must fit its 128-byte field, or every texture
        // path built from it would be wrong.
        smd::ShowRefusal(path, "the path is longer than 127 characters");
        return false;
    }
    SetDirectory(directory, path);
    if (meshCount >= kMaxMeshes) {
        smd::ShowRefusal(path, "all 32 mesh slots are in use");
        return false;
    }

    FILE* file = OpenFile(path, "rt");
    if (!file) return false;
    SmdLoadResult result = ParseReference(file);
    std::fclose(file);

    if (result == SmdLoadResult::Ok) return true;
    smd::ShowLoadError(*this, path, result);
    return false;
}

SmdLoadResult SkinnedModel::ParseReference(FILE* file) {
    if (!ReadHeader(file)) return SmdLoadResult::NotSmd;
    if (!CountSections(file)) return SmdLoadResult::Malformed;
    if (timeCount > 1) return SmdLoadResult::WrongKind;

    // The second pass fills a mesh of its own; it replaces the slot only when
    // the whole file has been read without fault, so a failed load leaves the
    // slot as it was.
    ModelMesh mesh;
    bool bonesMade = mesh.AllocateBones(boneCount);
    bool trianglesMade = mesh.AllocateTriangles(triangleCount);
    if ((boneCount > 0 && !bonesMade) || (triangleCount > 0 && !trianglesMade)) {
        errorLine = 0;
        std::snprintf(errorText, sizeof(errorText),
                      "not enough memory for %d bones and %d triangles", boneCount,
                      triangleCount);
        return SmdLoadResult::Malformed;
    }
    mesh.LoadMaterialTextures(device, materialCount, directory, materialNames);

    Rewind(file);
    while (ReadLine(file)) {
        bool read = true;
        if (IsKeyword(token, "nodes")) {
            read = ReadNodes(file, mesh);
        } else if (IsKeyword(token, "skeleton")) {
            read = ReadSkeleton(file, mesh);
        } else if (IsKeyword(token, "triangles")) {
            read = ReadTriangles(file, mesh);
        }
        if (!read) return SmdLoadResult::Malformed;
    }

    if (device) {
        device->CreateVertexBuffer(uint32_t(mesh.triangleCount) * 3u * sizeof(SkinVertex), 0, 0,
                                   gfx::D3DPOOL_DEFAULT, &mesh.vertexBuffer, nullptr);
    }
    meshes[meshCount].TakeFrom(mesh);
    ++meshCount;
    return SmdLoadResult::Ok;
}

bool SkinnedModel::ReadNodes(FILE* file, ModelMesh& mesh) {
    int opener = lineNumber;
    while (ReadSectionLine(file)) {
        if (IsKeyword(token, "end")) return true;
        int index = -1;
        int parent = -1;
        if (!ScanNodeLine(lineBuffer, &index, token, &parent)) {
            SetError("expected a node line: index \"name\" parent");
            return false;
        }
        if (index < 0 || index >= mesh.boneCount) {
            SetError("node index %d is outside 0..%d", index, mesh.boneCount - 1);
            return false;
        }
        if (parent != -1 && (parent < 0 || parent >= mesh.boneCount)) {
            SetError("parent index %d is neither -1 nor inside 0..%d", parent,
                     mesh.boneCount - 1);
            return false;
        }
        Bone& bone = mesh.bones[index];
        std::memcpy(bone.name, token, sizeof(token));
        bone.parentIndex = parent;
    }
    SetMissingEnd("nodes", opener);
    return false;
}

bool SkinnedModel::ReadSkeleton(FILE* file, ModelMesh& mesh) {
    int opener = lineNumber;
    // The first line is the bind pose's time line and is skipped unread. An
    // "end" in its place closes the (empty) section instead of being skipped,
    // which would run the reader past its section.
    if (!ReadSectionLine(file)) {
        SetMissingEnd("skeleton", opener);
        return false;
    }
    if (IsKeyword(token, "end")) return true;
    while (ReadSectionLine(file)) {
        if (IsKeyword(token, "end")) return true;
        int index = -1;
        float values[6];
        if (!ScanBoneLine(lineBuffer, &index, values)) {
            SetError("expected a bone line: index x y z rx ry rz");
            return false;
        }
        if (index < 0 || index >= mesh.boneCount) {
            SetError("bone index %d is outside 0..%d", index, mesh.boneCount - 1);
            return false;
        }
        PoseBone(mesh.bones, mesh.boneCount, index, values);
    }
    SetMissingEnd("skeleton", opener);
    return false;
}

bool SkinnedModel::ReadTriangles(FILE* file, ModelMesh& mesh) {
    int opener = lineNumber;
    // Vertex lines 1, 2, 3 of a triangle go to corner slots 0, 2, 1.
    static constexpr int kSlotOfLine[3] = {0, 2, 1};
    int count = 0;
    bool ended = false;
    while (ReadSectionLine(file)) {
        if (IsKeyword(token, "end")) {
            ended = true;
            break;
        }
        if (count >= mesh.triangleCount) {
            SetError("more triangles than were counted");
            return false;
        }
        MeshTriangle& triangle = mesh.triangles[count];
        // Every matching entry overwrites the index: the last match wins.
        for (int i = 0; i < materialCount; ++i) {
            if (std::strcmp(token, materialNames[i]) == 0) triangle.materialIndex = i;
        }
        for (int line = 0; line < 3; ++line) {
            if (!ReadSectionLine(file)) {
                SetMissingEnd("triangles", opener);
                return false;
            }
            int index = -1;
            float values[6] = {};
            // Texture coordinates and any weight links after them are not used.
            if (std::sscanf(lineBuffer, "%d %f %f %f %f %f %f", &index, &values[0], &values[1],
                            &values[2], &values[3], &values[4], &values[5]) < 1) {
                SetError("expected a vertex line: bone x y z nx ny nz u v");
                return false;
            }
            if (index < 0 || index >= mesh.boneCount) {
                SetError("vertex bone index %d is outside 0..%d", index, mesh.boneCount - 1);
                return false;
            }
            int slot = kSlotOfLine[line];
            triangle.boneIndices[slot] = index;
            triangle.vertices[slot].position = {values[0], values[1], values[2]};
            triangle.vertices[slot].normal = {values[3], values[4], values[5]};
        }
        ++count;
    }
    if (!ended) {
        SetMissingEnd("triangles", opener);
        return false;
    }

    // Bind-local step: express every corner in the local space of its bone,
    // which is what skinning expects. The inverse of each bone is computed
    // once; a bone without an inverse leaves its corners in model space.
    std::unique_ptr<Matrix4[]> inverses(new (std::nothrow) Matrix4[size_t(mesh.boneCount)]);
    std::unique_ptr<bool[]> invertible(new (std::nothrow) bool[size_t(mesh.boneCount)]);
    if (!inverses || !invertible) {
        errorLine = 0;
        std::snprintf(errorText, sizeof(errorText), "not enough memory for %d bone inverses",
                      mesh.boneCount);
        return false;
    }
    for (int b = 0; b < mesh.boneCount; ++b)
        invertible[b] = MatrixInverse(mesh.bones[b].absoluteMatrix, &inverses[b]);

    int bindCount = triangleCount < mesh.triangleCount ? triangleCount : mesh.triangleCount;
    for (int t = 0; t < bindCount; ++t) {
        MeshTriangle& triangle = mesh.triangles[t];
        for (int k = 0; k < 3; ++k) {
            int bone = triangle.boneIndices[k];
            if (!invertible[bone]) continue;
            SkinVertex& vertex = triangle.vertices[k];
            vertex.position = Vec3TransformCoord(vertex.position, inverses[bone]);
            vertex.normal = Vec3TransformNormal(vertex.normal, inverses[bone]);
        }
    }
    return true;
}
