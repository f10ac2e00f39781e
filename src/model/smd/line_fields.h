// The fields of node, bone and vertex lines, scanned as the formats
// %d "%[^"]" %d  and  %d %f %f %f %f %f %f  scan them, and checked: a line
// that would corrupt the model gives a Malformed status naming it. Vertex
// lines may go on after u v with weight links: a count, then that many
// pairs of bone id and weight.
#pragma once

#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Scans a node line and checks its id: in 0 .. 2^31 - 1 and not given
// before. Adds the id to *nodes. False, with *status set, when the line is
// refused.
bool ReadNodeLine(const Line& line, NodeIds* nodes, NodeFields* fields, ParseStatus* status);
// Checks the parent of a scanned node line once every id is in nodes: -1 or
// the id of a node (any node, the line's own included). Sets
// fields->parentSlot. False, with *status set, when the line is refused.
bool CheckNodeParent(const Line& line, const NodeIds& nodes, NodeFields* fields,
                     ParseStatus* status);

#if defined(__SSE2__)
// Bit i set where block[i] is white space: ' ' or \t \n \v \f \r (9 to 13).
inline unsigned SpaceBits(const char* block) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
    const __m128i fromTab = _mm_sub_epi8(bytes, _mm_set1_epi8(9));
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(fromTab, _mm_set1_epi8(4)), fromTab);
    return unsigned(
        _mm_movemask_epi8(_mm_or_si128(control, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')))));
}
#endif

// The number of words in [p, end), counted up to `enough`; p lies in
// [lineBegin, end). Every vertex line asks whether anything follows u and
// v: when the rest is short and the line long (as vertex lines are) the
// last 32 characters of the line are looked at at once with SSE2 (which
// every x86-64 processor has); what is read is the line's own text.
inline int CountWords(const char* lineBegin, const char* p, const char* end, int enough) {
    int words = 0;
    if (p >= end) return 0;  // nothing left (the mask below would shift by 32)
#if defined(__SSE2__)
    if (end - p <= 32 && end - lineBegin >= 32) {
        const char* block = end - 32;
        const uint32_t space = SpaceBits(block) | SpaceBits(block + 16) << 16;
        const uint32_t word = ~space & (0xFFFFFFFFu << (p - block));
        for (uint32_t starts = word & ~(word << 1); starts && words < enough; starts &= starts - 1)
            ++words;
        return words;
    }
#else
    (void)lineBegin;
#endif
    while (words < enough) {
        p = SkipSpace(p, end);
        if (p >= end) break;
        ++words;
        while (p < end && !IsSpace(*p)) ++p;
    }
    return words;
}

// Whether a vertex line goes on after u and v (the two words after nz,
// which are not read): only then may it hold weight links.
inline bool MayHaveLinks(const Line& line, const PoseFields& pose) {
    return pose.count == 7 && CountWords(line.begin, pose.end, line.end, 3) == 3;
}

// A 255-character line holds at most 60 links.
constexpr int kMaxLineLinks = 64;

struct LinkFields {
    int count = 0;
    int slots[kMaxLineLinks] = {};
    float weights[kMaxLineLinks] = {};
};

// The weight links of a vertex line whose pose fields were read into pose:
// none unless the two words after nz (u and v, not read) are followed by
// more text, which must then be a count and exactly that many pairs of a
// node's bone id and a finite weight of at least 0. False, with *status
// set, when the line is refused.
bool ReadLinks(const Line& line, const PoseFields& pose, const NodeIds& nodes, LinkFields* links,
               ParseStatus* status);

// A Malformed status for line, the text formatted as printf does.
ParseStatus Malformed(int line, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A scanned integer as messages show it: its value when it fits an int,
// otherwise the digits as the file writes them.
std::string NumberText(const ScannedInt& number);

}  // namespace smd
