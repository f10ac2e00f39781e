// Animation files: one model-space pose of every bone per keyframe.
#include <cstring>
#include <new>

#include "model/smd/bone_pose.h"
#include "model/smd/file_outline.h"
#include "model/smd/line_fields.h"
#include "model/smd/smd_parser.h"

namespace smd {
namespace {

struct BoneLine {
    int index;
    float values[6];
};

struct AnimationReader {
    LineReader& reader;
    const FileOutline& outline;
    const NodeIds& nodeIds;
    // The node line the first pass refused, and why (line 0: none).
    const ParseStatus& nodeFault;
    int nodeSlot = 0;  // node lines read so far
    // Keyframes are kept only when the file has both time and node lines
    // (and not while a file whose node lines fail is only checked).
    bool keepFrames;
    // Every keyframe carries the whole node list: names and parents as the
    // node lines read so far give them. A keyframe is created when its block
    // has been read and checked, from this list.
    std::unique_ptr<Bone[]> nodes;
    std::vector<std::unique_ptr<Bone[]>>& frames;
    // Line of the time line that gave each keyframe its block (0: none yet).
    std::vector<int> blockLine;
    std::vector<BoneLine> block;
    ParseStatus status;

    AnimationReader(LineReader& lines, const FileOutline& fileOutline, const NodeIds& ids,
                    const ParseStatus& fault, bool keep,
                    std::vector<std::unique_ptr<Bone[]>>& keyframes)
        : reader(lines),
          outline(fileOutline),
          nodeIds(ids),
          nodeFault(fault),
          keepFrames(keep),
          frames(keyframes) {}

    bool MissingEnd(const char* section, int openerLine) {
        status = smd::MissingEnd(section, openerLine);
        return false;
    }

    bool OutOfMemory() {
        status = {SmdLoadResult::Malformed, 0,
                  "not enough memory for " + std::to_string(outline.timeCount) + " keyframes of " +
                      std::to_string(outline.boneCount) + " bones"};
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
            int slot = nodeSlot++;
            if (!keepFrames) continue;
            // Checked by the first pass: the line scans, its parent is a
            // node.
            ScanNodeLine(line, &node);
            int parent = node.parent.value == -1 ? -1 : nodeIds.Slot(node.parent.value);
            auto set = [&](Bone& bone) {
                std::memcpy(bone.name, node.name.data(), node.name.size());
                std::memset(bone.name + node.name.size(), 0, sizeof(bone.name) - node.name.size());
                bone.parentIndex = parent;
            };
            set(nodes[slot]);
            for (auto& frame : frames)
                if (frame) set(frame[slot]);
        }
        return MissingEnd("nodes", openerLine);
    }

    // A time line's block: exactly one bone line per node, read without
    // looking for "end" or "time", checked, then posed into a new keyframe.
    bool ReadBlock(int keyframe, int openerLine) {
        block.clear();
        Line line;
        PoseFields fields;
        for (int i = 0; i < outline.boneCount; ++i) {
            if (!reader.NextWithWord(&line)) return MissingEnd("skeleton", openerLine);
            if (!ReadPoseLine(line, PoseLine::Bone, keyframe, nodeIds, &fields, &status))
                return false;
            if (!keepFrames) continue;
            BoneLine& bone = block.emplace_back();
            bone.index = fields.slot;
            std::memcpy(bone.values, fields.values, sizeof(bone.values));
        }
        if (!keepFrames) return true;
        std::unique_ptr<Bone[]> frame(new (std::nothrow) Bone[size_t(outline.boneCount)]);
        if (!frame) return OutOfMemory();
        for (int b = 0; b < outline.boneCount; ++b) {
            std::memcpy(frame[b].name, nodes[b].name, sizeof(frame[b].name));
            frame[b].parentIndex = nodes[b].parentIndex;
        }
        for (const BoneLine& bone : block)
            PoseBone(frame.get(), outline.boneCount, bone.index, bone.values);
        frames[size_t(keyframe)] = std::move(frame);
        return true;
    }

    // Counted in the first pass only; its lines must not be taken for
    // section openers.
    bool ReadTriangles(int openerLine) {
        return SkipTriangles(reader) || MissingEnd("triangles", openerLine);
    }

    bool ReadSkeleton(int openerLine) {
        Line line;
        while (reader.NextWithWord(&line)) {
            std::string_view word = FirstWord(line);
            if (IsKeyword(word, "end")) return true;
            if (!IsKeyword(word, "time")) continue;  // a stray line between blocks
            const char* rest = word.data() + word.size();
            ScannedInt number;
            if (!ScanInt(&rest, line.end, &number)) {
                status = Malformed(line.number, "the time line has no keyframe number");
                return false;
            }
            // Keyframe numbers run on from the smallest, one by one, in any
            // order: "time 1" to "time 32" are keyframes 0 to 31.
            const int64_t first = outline.firstKeyframe;
            const int64_t last = first + outline.timeCount - 1;
            if (number.value < first || number.value > last) {
                status = Malformed(line.number, "keyframe number %s is outside %lld..%lld",
                                   NumberText(number).c_str(), static_cast<long long>(first),
                                   static_cast<long long>(last));
                return false;
            }
            int keyframe = int(number.value - first);
            if (blockLine[size_t(keyframe)] != 0) {
                status =
                    Malformed(line.number, "keyframe number %s is given twice (first on line %d)",
                              NumberText(number).c_str(), blockLine[size_t(keyframe)]);
                return false;
            }
            blockLine[size_t(keyframe)] = line.number;
            if (!ReadBlock(keyframe, openerLine)) return false;
        }
        return MissingEnd("skeleton", openerLine);
    }
};

}  // namespace

ParseStatus ParseAnimation(std::span<const uint8_t> bytes, Animation* out) {
    LineReader reader(bytes);
    std::unique_ptr<FileOutline> outline(new FileOutline);
    ParseStatus status = OutlineFile(reader, outline.get());
    if (status.result != SmdLoadResult::Ok) return status;
    if (outline->triangleCount > 1)
        return {SmdLoadResult::WrongKind, outline->secondTriangleLine,
                "the file has " + std::to_string(outline->triangleCount) +
                    " triangles: a reference, not an animation"};

    // Nothing is allocated for the bones before every node line has been
    // checked; a file whose node lines fail is only read through to its
    // first fault.
    NodeIds nodeIds;
    ParseStatus nodeFault = ReadNodeIds(reader, *outline, &nodeIds);
    const bool linesHold = nodeFault.result == SmdLoadResult::Ok;
    bool keepFrames = linesHold && outline->timeCount > 0 && outline->boneCount > 0;
    std::vector<std::unique_ptr<Bone[]>> frames;
    AnimationReader second(reader, *outline, nodeIds, nodeFault, keepFrames, frames);
    second.blockLine.assign(size_t(outline->timeCount), 0);
    if (second.keepFrames) {
        frames.resize(size_t(outline->timeCount));
        second.nodes.reset(new (std::nothrow) Bone[size_t(outline->boneCount)]);
        if (!second.nodes) {
            second.OutOfMemory();
            return second.status;
        }
        second.block.reserve(size_t(outline->boneCount));
    }
    reader.Seek(0, 0);
    if (!ReadSections(reader, second)) return second.status;
    if (!linesHold) return nodeFault;  // not reached: the second pass stops at its line

    // Every time line opened a block (a time line read as a bone line fails
    // its block), and no keyframe number came twice: every keyframe is set.
    out->frameCount = keepFrames ? outline->timeCount : 0;
    out->boneCount = keepFrames ? outline->boneCount : 0;
    out->frames = std::move(frames);
    out->nodeIds = std::move(nodeIds.ids);
    return {};
}

}  // namespace smd
