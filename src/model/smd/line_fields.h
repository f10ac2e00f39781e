// The fields of node, bone and vertex lines, scanned as the formats
// %d "%[^"]" %d  and  %d %f %f %f %f %f %f  scan them, and checked: a line
// that would corrupt the model gives a Malformed status naming it.
#pragma once

#include <string_view>

#include "model/smd/number_scan.h"
#include "model/smd/parsed_smd.h"
#include "model/smd/smd_lines.h"

namespace smd {

struct NodeFields {
    ScannedInt index;
    std::string_view name;  // cut to 79 characters
    ScannedInt parent;
};

// Index, space, name in double quotes (at least one character, anything but
// a double quote), parent. False when one of them cannot be read.
bool ScanNodeLine(const Line& line, NodeFields* out);

// A bone line (index x y z rx ry rz) or the part of a vertex line that is
// used (bone x y z nx ny nz; u, v and what follows are not read).
struct PoseFields {
    int count = 0;  // fields read, 0 to 7; the scan stops at the first it cannot read
    ScannedInt index;
    float values[6] = {};  // 0 where not read
    const char* texts[6] = {};
    const char* textEnds[6] = {};
};

void ScanPoseFields(const Line& line, PoseFields* out);

enum class PoseLine { Bone, Vertex };

// Scans a bone or vertex line and checks it: at least the index read, the
// index inside 0 .. boneCount - 1, every value read finite. keyframe >= 0
// names the keyframe a bone line belongs to in the message. False, with
// *status set, when the line is refused.
bool ReadPoseLine(const Line& line, PoseLine kind, int keyframe, int boneCount,
                  PoseFields* fields, ParseStatus* status);

// Scans a node line and checks its index (0 .. boneCount - 1) and parent
// (-1 or an index). False, with *status set, when the line is refused.
bool ReadNodeLine(const Line& line, int boneCount, NodeFields* fields, ParseStatus* status);

// A Malformed status for line, the text formatted as printf does.
ParseStatus Malformed(int line, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A scanned integer as messages show it: its value when it fits an int,
// otherwise the digits as the file writes them.
std::string NumberText(const ScannedInt& number);

}  // namespace smd
