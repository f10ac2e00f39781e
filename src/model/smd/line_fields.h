// The fields of node, bone and vertex lines, scanned as the formats
// %d "%[^"]" %d  and  %d %f %f %f %f %f %f  scan them, and checked: a line
// that would corrupt the model gives a Malformed status naming it. Vertex
// lines may go on after u v with weight links: a count, then that many
// pairs of bone id and weight.
#pragma once

#include <string_view>

#include "model/smd/node_ids.h"
#include "model/smd/number_scan.h"
#include "model/smd/parsed_smd.h"
#include "model/smd/smd_lines.h"

namespace smd {

struct NodeFields {
    ScannedInt index;
    std::string_view name;  // cut to 79 characters
    ScannedInt parent;
    int slot = 0;         // the node's slot (its place among the node lines)
    int parentSlot = -1;  // the parent's slot, -1 for a root
};

// Index, space, name in double quotes (at least one character, anything but
// a double quote), parent. False when one of them cannot be read.
bool ScanNodeLine(const Line& line, NodeFields* out);

// A bone line (index x y z rx ry rz) or the part of a vertex line that is
// used (bone x y z nx ny nz; u, v and what follows are read by ReadLinks).
struct PoseFields {
    int count = 0;  // fields read, 0 to 7; the scan stops at the first it cannot read
    ScannedInt index;
    int slot = 0;          // the bone the index names, once checked
    float values[6] = {};  // 0 where not read
    const char* texts[6] = {};
    const char* textEnds[6] = {};
    const char* end = nullptr;  // where the scan stopped
};

void ScanPoseFields(const Line& line, PoseFields* out);

enum class PoseLine { Bone, Vertex };

// Scans a bone or vertex line and checks it: at least the index read, the
// index the id of a node, every value read finite. keyframe >= 0 names the
// keyframe a bone line belongs to in the message. False, with *status set,
// when the line is refused.
bool ReadPoseLine(const Line& line, PoseLine kind, int keyframe, const NodeIds& nodes,
                  PoseFields* fields, ParseStatus* status);

// Scans a node line and checks it: its id in 0 .. 2^31 - 1 and not given
// before, its parent -1 or the id of an earlier node (so that parents come
// before their children). Adds the id to *nodes. False, with *status set,
// when the line is refused.
bool ReadNodeLine(const Line& line, NodeIds* nodes, NodeFields* fields, ParseStatus* status);

// A 255-character line holds at most 60 links.
constexpr int kMaxLineLinks = 64;

struct LinkFields {
    int count = 0;
    int slots[kMaxLineLinks] = {};
    float weights[kMaxLineLinks] = {};
};

// The weight links of a vertex line whose pose fields were read into pose:
// none unless u and v are followed by more text, which must then be a
// count and exactly that many pairs of a node's bone id and a finite weight
// of at least 0. False, with *status set, when the line is refused.
bool ReadLinks(const Line& line, const PoseFields& pose, const NodeIds& nodes, LinkFields* links,
               ParseStatus* status);

// A Malformed status for line, the text formatted as printf does.
ParseStatus Malformed(int line, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A scanned integer as messages show it: its value when it fits an int,
// otherwise the digits as the file writes them.
std::string NumberText(const ScannedInt& number);

}  // namespace smd
