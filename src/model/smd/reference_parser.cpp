// Reference files: the bind-pose skeleton and the triangles.
#include <cstring>
#include <new>

#include "model/smd/bone_pose.h"
#include "model/smd/file_outline.h"
#include "model/smd/line_fields.h"
#include "model/smd/material_index.h"
#include "model/smd/smd_parser.h"
#include "model/smd/weight_links.h"

namespace smd {
namespace {

// The second pass. With bones and triangles null it only checks the lines
// (a file whose node lines fail is read that way, so that nothing is
// allocated for it and its first fault in file order is still the one
// reported).
struct ReferenceReader {
    LineReader& reader;
    const FileOutline& outline;
    const NodeIds& nodes;
    // The node line the first pass refused, and why (line 0: none).
    const ParseStatus& nodeFault;
    MaterialIndex materials;
    Bone* bones = nullptr;
    MeshTriangle* triangles = nullptr;
    std::vector<uint32_t>* linkStart = nullptr;
    std::vector<WeightLink>* links = nullptr;
    int triangleCount = 0;  // triangles read so far, over all sections
    int nodeSlot = 0;       // node lines read so far
    LinkFields cornerLinks[3];
    ParseStatus status;

    ReferenceReader(LineReader& lines, const FileOutline& fileOutline, const NodeIds& ids,
                    const ParseStatus& fault)
        : reader(lines),
          outline(fileOutline),
          nodes(ids),
          nodeFault(fault),
          materials(fileOutline.materialNames, fileOutline.materialCount) {}

    bool MissingEnd(const char* section, int openerLine) {
        status = smd::MissingEnd(section, openerLine);
        return false;
    }

    bool ReadNodes(int openerLine) {
        Line line;
        NodeFields node;
        while (reader.NextWithWord(&line)) {
            if (IsKeyword(FirstWord(line), "end")) return true;
            if (line.number == nodeFault.line) {
                status = nodeFault;
                return false;
            }
            if (!bones) continue;
            // Checked by the first pass: the line scans, its parent is a
            // node.
            ScanNodeLine(line, &node);
            Bone& bone = bones[nodeSlot++];
            std::memcpy(bone.name, node.name.data(), node.name.size());
            std::memset(bone.name + node.name.size(), 0, sizeof(bone.name) - node.name.size());
            bone.parentIndex = node.parent.value == -1 ? -1 : nodes.Slot(node.parent.value);
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
            if (!ReadPoseLine(line, PoseLine::Bone, -1, nodes, &fields, &status)) return false;
            if (bones) PoseBone(bones, outline.boneCount, fields.slot, fields.values);
        }
        return MissingEnd("skeleton", openerLine);
    }

    // The links of the three corners of triangle t, in slot order. A corner
    // whose links come to one bone at full weight (exporters put the real
    // bone there and an implicit root in the first field) becomes a corner
    // of that bone before the corners are bound: it is kept in that bone's
    // space and skinned exactly as a line naming that bone first.
    void KeepLinks(int t) {
        for (int slot = 0; slot < 3; ++slot) {
            const LinkFields& corner = cornerLinks[slot];
            if (corner.count == 0 && linkStart->empty()) continue;
            // The first corner with links: every corner before it has none.
            if (linkStart->empty()) linkStart->assign(size_t(3 * t + slot) + 1, 0);
            const size_t first = links->size();
            AppendFinalLinks(corner, triangles[t].boneIndices[slot], links);
            if (links->size() == first + 1 && links->back().weight == 1.0f)
                triangles[t].boneIndices[slot] = links->back().bone;
            linkStart->push_back(uint32_t(links->size()));
        }
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
                int slot = kSlotOfLine[corner];
                if (!ReadPoseLine(line, PoseLine::Vertex, -1, nodes, &fields, &status))
                    return false;
                cornerLinks[slot].count = 0;
                if (MayHaveLinks(line, fields) &&
                    !ReadLinks(line, fields, nodes, &cornerLinks[slot], &status))
                    return false;
                if (!triangle) continue;
                triangle->boneIndices[slot] = fields.slot;
                triangle->vertices[slot].position = {fields.values[0], fields.values[1],
                                                     fields.values[2]};
                triangle->vertices[slot].normal = {fields.values[3], fields.values[4],
                                                   fields.values[5]};
            }
            if (triangle) KeepLinks(triangleCount);
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

    NodeIds nodes;
    ParseStatus nodeFault = ReadNodeIds(reader, *outline, &nodes);
    const bool linesHold = nodeFault.result == SmdLoadResult::Ok;
    std::unique_ptr<Bone[]> bones;
    std::unique_ptr<MeshTriangle[]> triangles;
    if (linesHold) {
        if (outline->boneCount > 0)
            bones.reset(new (std::nothrow) Bone[size_t(outline->boneCount)]);
        if (outline->triangleCount > 0)
            triangles.reset(new (std::nothrow) MeshTriangle[size_t(outline->triangleCount)]);
        if ((outline->boneCount > 0 && !bones) || (outline->triangleCount > 0 && !triangles))
            return {SmdLoadResult::Malformed, 0,
                    "not enough memory for " + std::to_string(outline->boneCount) + " bones and " +
                        std::to_string(outline->triangleCount) + " triangles"};
    }

    reader.Seek(0, 0);
    std::vector<uint32_t> linkStart;
    std::vector<WeightLink> links;
    ReferenceReader second(reader, *outline, nodes, nodeFault);
    second.bones = bones.get();
    second.triangles = triangles.get();
    second.linkStart = &linkStart;
    second.links = &links;
    if (!ReadSections(reader, second)) return second.status;
    if (!linesHold) return nodeFault;  // not reached: the second pass stops at its line

    out->boneCount = outline->boneCount;
    out->bones = std::move(bones);
    out->triangleCount = outline->triangleCount;
    out->triangles = std::move(triangles);
    out->materialCount = outline->materialCount;
    std::memcpy(out->materialNames, outline->materialNames, sizeof(out->materialNames));
    out->nodeIds = std::move(nodes.ids);
    out->linkStart = std::move(linkStart);
    out->links = std::move(links);
    return {};
}

}  // namespace smd
