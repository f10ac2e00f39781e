// Reference files: the bind-pose skeleton and the triangles.
#include <cstring>
#include <new>

#include "model/smd/bone_pose.h"
#include "model/smd/file_outline.h"
#include "model/smd/line_fields.h"
#include "model/smd/material_index.h"
#include "model/smd/smd_parser.h"

namespace smd {
namespace {

// The second pass. With bones and triangles null it only checks the lines
// (a file whose node lines fail is read that way, so that nothing is
// allocated for it and its first fault in file order is still the one
// reported).
struct ReferenceReader {
    LineReader& reader;
    const FileOutline& outline;
    MaterialIndex materials;
    Bone* bones = nullptr;
    MeshTriangle* triangles = nullptr;
    int triangleCount = 0;  // triangles read so far, over all sections
    ParseStatus status;

    ReferenceReader(LineReader& lines, const FileOutline& fileOutline)
        : reader(lines), outline(fileOutline), materials(fileOutline.materialNames, fileOutline.materialCount) {}

    bool MissingEnd(const char* section, int openerLine) {
        status = smd::MissingEnd(section, openerLine);
        return false;
    }

    bool ReadNodes(int openerLine) {
        Line line;
        NodeFields node;
        while (reader.NextWithWord(&line)) {
            if (IsKeyword(FirstWord(line), "end")) return true;
            if (!ReadNodeLine(line, outline.boneCount, &node, &status)) return false;
            if (!bones) continue;
            Bone& bone = bones[node.index.value];
            std::memcpy(bone.name, node.name.data(), node.name.size());
            std::memset(bone.name + node.name.size(), 0, sizeof(bone.name) - node.name.size());
            bone.parentIndex = int(node.parent.value);
        }
        return MissingEnd("nodes", openerLine);
    }

    bool ReadSkeleton(int openerLine) {
        Line line;
        // The first line is the bind pose's time line and is skipped unread;
        // an "end" in its place closes the (empty) section.
        if (!reader.NextWithWord(&line)) return MissingEnd("skeleton", openerLine);
        if (IsKeyword(FirstWord(line), "end")) return true;
        PoseFields fields;
        while (reader.NextWithWord(&line)) {
            if (IsKeyword(FirstWord(line), "end")) return true;
            if (!ReadPoseLine(line, PoseLine::Bone, -1, outline.boneCount, &fields, &status)) return false;
            if (bones) PoseBone(bones, outline.boneCount, int(fields.index.value), fields.values);
        }
        return MissingEnd("skeleton", openerLine);
    }

    bool ReadTriangles(int openerLine) {
        // Vertex lines 1, 2, 3 of a triangle go to corner slots 0, 2, 1.
        static constexpr int kSlotOfLine[3] = {0, 2, 1};
        int first = triangleCount;
        Line line;
        PoseFields fields;
        while (reader.NextWithWord(&line)) {
            std::string_view word = FirstWord(line);
            if (IsKeyword(word, "end")) {
                if (bones && triangles &&
                    !BindToBones(bones, outline.boneCount, triangles, first, triangleCount)) {
                    status = {SmdLoadResult::Malformed, 0,
                              "not enough memory for " + std::to_string(outline.boneCount) +
                                  " bone inverses"};
                    return false;
                }
                return true;
            }
            MeshTriangle* triangle = triangles ? &triangles[triangleCount] : nullptr;
            if (triangle) triangle->materialIndex = materials.Find(word);
            for (int corner = 0; corner < 3; ++corner) {
                if (!reader.NextWithWord(&line)) return MissingEnd("triangles", openerLine);
                if (!ReadPoseLine(line, PoseLine::Vertex, -1, outline.boneCount, &fields, &status))
                    return false;
                if (!triangle) continue;
                int slot = kSlotOfLine[corner];
                triangle->boneIndices[slot] = int(fields.index.value);
                triangle->vertices[slot].position = {fields.values[0], fields.values[1], fields.values[2]};
                triangle->vertices[slot].normal = {fields.values[3], fields.values[4], fields.values[5]};
            }
            ++triangleCount;
        }
        return MissingEnd("triangles", openerLine);
    }
};

}  // namespace

ParseStatus ParseReference(std::span<const uint8_t> bytes, Reference* out) {
    LineReader reader(bytes);
    std::unique_ptr<FileOutline> outline(new FileOutline);
    ParseStatus status = OutlineFile(reader, outline.get());
    if (status.result != SmdLoadResult::Ok) return status;
    if (outline->timeCount > 1)
        return {SmdLoadResult::WrongKind, outline->secondTimeLine,
                "the skeleton has " + std::to_string(outline->timeCount) +
                    " time lines: an animation, not a reference"};

    bool linesHold = NodeLinesHold(reader, *outline);
    std::unique_ptr<Bone[]> bones;
    std::unique_ptr<MeshTriangle[]> triangles;
    if (linesHold) {
        if (outline->boneCount > 0) bones.reset(new (std::nothrow) Bone[size_t(outline->boneCount)]);
        if (outline->triangleCount > 0)
            triangles.reset(new (std::nothrow) MeshTriangle[size_t(outline->triangleCount)]);
        if ((outline->boneCount > 0 && !bones) || (outline->triangleCount > 0 && !triangles))
            return {SmdLoadResult::Malformed, 0,
                    "not enough memory for " + std::to_string(outline->boneCount) + " bones and " +
                        std::to_string(outline->triangleCount) + " triangles"};
    }

    reader.Seek(0, 0);
    ReferenceReader second(reader, *outline);
    second.bones = bones.get();
    second.triangles = triangles.get();
    if (!ReadSections(reader, second)) return second.status;
    if (!linesHold) return Malformed(0, "a node line was refused");  // not reached: the second pass stops at it

    out->boneCount = outline->boneCount;
    out->bones = std::move(bones);
    out->triangleCount = outline->triangleCount;
    out->triangles = std::move(triangles);
    out->materialCount = outline->materialCount;
    std::memcpy(out->materialNames, outline->materialNames, sizeof(out->materialNames));
    return {};
}

}  // namespace smd
