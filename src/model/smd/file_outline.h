// The first pass over an SMD file: the header, then every section read
// through its "end" line to count node lines, time lines and triangles and
// to collect the material table, before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/smd/node_ids.h"
#include "model/smd/parsed_smd.h"
#include "model/smd/smd_lines.h"

namespace smd {

// Where a section's lines begin: just after its opener line.
struct SectionStart {
    size_t offset = 0;
    int openerLine = 0;
};

struct FileOutline {
    int boneCount = 0;      // node lines
    int timeCount = 0;      // time lines in skeleton sections
    int triangleCount = 0;  // material lines, each with three vertex lines
    int materialCount = 0;
    // An entry at every change of material between consecutive triangles
    // of a section; past 128 entries further changes are not recorded.
    char materialNames[kMaxMaterials][kMaterialNameSize] = {};
    // Lines that make the file the other kind: the second time line, the
    // material line of the second triangle (0 when there is none).
    int secondTimeLine = 0;
    int secondTriangleLine = 0;
    // The smallest keyframe number of the time lines (those whose number
    // fits an int); 0 when there is none. Keyframe f is the number
    // firstKeyframe + f.
    int64_t firstKeyframe = 0;
    bool keyframeNumbered = false;
    // The nodes sections that hold node lines, in file order.
    std::vector<SectionStart> nodeSections;
};

// Reads the header and the sections. NotSmd unless the first line is the
// word "version" (any case) and the number 1; Malformed for a section that
// reaches the end of the file without "end" or counts beyond kMaxCount.
ParseStatus OutlineFile(LineReader& reader, FileOutline* outline);

// Reads and checks every node line before anything is allocated for the
// bones, so that a file of bad node lines costs no memory, and gives each
// node id its slot. The ids are read first, then the parents, which may name
// any node (one given later, or the node itself, as files without gaps have
// always been read). A Malformed status for the first node line refused:
// the first whose id is refused, or when every id holds, the first whose
// parent is no node (the ids before a refused id are in *nodes).
ParseStatus ReadNodeIds(LineReader& reader, const FileOutline& outline, NodeIds* nodes);

// The refusal of a section that reaches the end of the file without its
// "end" line.
ParseStatus MissingEnd(const char* section, int openerLine);

// The second pass's walk over the file: each section opener handed to the
// pass's reader of that section (ReadNodes, ReadSkeleton, ReadTriangles,
// each given the opener's line number); other lines are passed over. Stops
// at the first section a reader refuses.
template <typename Pass>
bool ReadSections(LineReader& reader, Pass& pass) {
    Line line;
    while (reader.Next(&line)) {
        std::string_view word = FirstWord(line);
        bool read = true;
        if (IsKeyword(word, "nodes")) {
            read = pass.ReadNodes(line.number);
        } else if (IsKeyword(word, "skeleton")) {
            read = pass.ReadSkeleton(line.number);
        } else if (IsKeyword(word, "triangles")) {
            read = pass.ReadTriangles(line.number);
        }
        if (!read) return false;
    }
    return true;
}

// Reads the lines of a triangles section after its opener through its "end"
// line without looking at them: a material line, then three vertex lines,
// per triangle. False when the file ends first.
bool SkipTriangles(LineReader& reader);

}  // namespace smd
