#include "model/smd/line_fields.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "model/smd/smd_limits.h"

namespace smd {

ParseStatus Malformed(int line, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return {SmdLoadResult::Malformed, line, text};
}

std::string NumberText(const ScannedInt& number) {
    if (number.FitsInt()) return std::to_string(number.value);
    return std::string(number.text, size_t(number.length));
}

bool ScanNodeLine(const Line& line, NodeFields* out) {
    const char* p = line.begin;
    if (!ScanInt(&p, line.end, &out->index)) return false;
    p = SkipSpace(p, line.end);
    if (p >= line.end || *p != '"') return false;
    ++p;
    const char* close = static_cast<const char*>(std::memchr(p, '"', size_t(line.end - p)));
    if (!close || close == p) return false;
    size_t length = size_t(close - p);
    out->name = {p, length < size_t(kWordCut) ? length : size_t(kWordCut)};
    const char* rest = close + 1;
    return ScanInt(&rest, line.end, &out->parent);
}

void ScanPoseFields(const Line& line, PoseFields* out) {
    out->count = 0;
    for (float& value : out->values) value = 0.0f;
    const char* p = line.begin;
    if (!ScanInt(&p, line.end, &out->index)) {
        out->end = p;
        return;
    }
    out->count = 1;
    for (int i = 0; i < 6; ++i) {
        if (!ScanFloat(&p, line.end, &out->values[i], &out->texts[i])) break;
        out->textEnds[i] = p;
        out->count = i + 2;
    }
    out->end = p;
}

namespace {

// A word of the file as a message quotes it: printable ASCII as it is, any
// other byte as \xNN (the message goes to a terminal and a message box),
// at most 24 characters of it.
std::string Quoted(const char* begin, const char* end) {
    std::string out = "\"";
    for (const char* c = begin; c < end; ++c) {
        if (c - begin == 24) {
            out += "...";
            break;
        }
        if (*c >= 0x20 && *c < 0x7F) {
            out += *c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(uint8_t(*c)));
            out += escaped;
        }
    }
    return out + "\"";
}

// The refusal of an id that names no node: as a range while the ids are the
// slots 0 .. n - 1, otherwise by name.
ParseStatus UnknownBone(int line, const char* what, const ScannedInt& id, const NodeIds& nodes) {
    if (nodes.identity)
        return Malformed(line, "%s index %s is outside 0..%d", what, NumberText(id).c_str(),
                         nodes.Count() - 1);
    return Malformed(line, "%s id %s is not a node", what, NumberText(id).c_str());
}

}  // namespace

bool ReadPoseLine(const Line& line, PoseLine kind, int keyframe, const NodeIds& nodes,
                  PoseFields* fields, ParseStatus* status) {
    ScanPoseFields(line, fields);
    if (fields->count == 0) {
        if (kind == PoseLine::Vertex) {
            *status = Malformed(line.number, "expected a vertex line: bone x y z nx ny nz u v");
        } else if (keyframe >= 0) {
            *status = Malformed(
                line.number, "expected a bone line of keyframe %d: index x y z rx ry rz", keyframe);
        } else {
            *status = Malformed(line.number, "expected a bone line: index x y z rx ry rz");
        }
        return false;
    }
    fields->slot = nodes.Slot(fields->index.value);
    if (fields->slot < 0) {
        *status = UnknownBone(line.number, kind == PoseLine::Vertex ? "vertex bone" : "bone",
                              fields->index, nodes);
        return false;
    }
    static constexpr const char* kBoneValues[6] = {"x", "y", "z", "rx", "ry", "rz"};
    static constexpr const char* kVertexValues[6] = {"x", "y", "z", "nx", "ny", "nz"};
    for (int i = 0; i + 1 < fields->count; ++i) {
        if (std::isfinite(fields->values[i])) continue;
        const char* name = kind == PoseLine::Vertex ? kVertexValues[i] : kBoneValues[i];
        *status = Malformed(line.number, "%s value %.*s is not a finite number", name,
                            int(fields->textEnds[i] - fields->texts[i]), fields->texts[i]);
        return false;
    }
    return true;
}

bool ReadNodeLine(const Line& line, NodeIds* nodes, NodeFields* fields, ParseStatus* status) {
    if (!ScanNodeLine(line, fields)) {
        *status = Malformed(line.number, "expected a node line: index \"name\" parent");
        return false;
    }
    const ScannedInt& id = fields->index;
    if (id.value < 0 || id.value > INT32_MAX) {
        *status = Malformed(line.number, "node id %s is outside 0..%d", NumberText(id).c_str(),
                            INT32_MAX);
        return false;
    }
    fields->slot = nodes->Count();
    if (!nodes->Add(int(id.value))) {
        *status = Malformed(line.number, "node id %s is given twice", NumberText(id).c_str());
        return false;
    }
    return true;
}

bool CheckNodeParent(const Line& line, const NodeIds& nodes, NodeFields* fields,
                     ParseStatus* status) {
    const ScannedInt& parent = fields->parent;
    fields->parentSlot = parent.value == -1 ? -1 : nodes.Slot(parent.value);
    if (parent.value != -1 && fields->parentSlot < 0) {
        *status = Malformed(line.number, "parent id %s is neither -1 nor the id of a node",
                            NumberText(parent).c_str());
        return false;
    }
    return true;
}

bool ReadLinks(const Line& line, const PoseFields& pose, const NodeIds& nodes, LinkFields* links,
               ParseStatus* status) {
    links->count = 0;
    if (!MayHaveLinks(line, pose)) return true;
    const char* p = pose.end;
    for (int word = 0; word < 2; ++word) {
        p = SkipSpace(p, line.end);
        while (p < line.end && !IsSpace(*p)) ++p;
    }
    p = SkipSpace(p, line.end);
    const char* text;

    // The rest of the line as words: the count, then bone, weight, ...
    struct Word {
        const char* begin;
        const char* end;
    };
    Word words[2 * kMaxLineLinks + 1];
    int wordCount = 0;  // also those past the table
    while (p < line.end) {
        const char* begin = p;
        while (p < line.end && !IsSpace(*p)) ++p;
        if (wordCount < int(std::size(words))) words[wordCount] = {begin, p};
        ++wordCount;
        p = SkipSpace(p, line.end);
    }
    const int fieldCount = wordCount - 1;
    ScannedInt count;
    const char* at = words[0].begin;
    if (!ScanInt(&at, words[0].end, &count) || at != words[0].end) {
        *status = Malformed(line.number, "expected a link count after u v, found %s",
                            Quoted(words[0].begin, words[0].end).c_str());
        return false;
    }
    if (count.value < 0) {
        *status = Malformed(line.number, "link count %s is negative", NumberText(count).c_str());
        return false;
    }
    if (count.value > kMaxLineLinks || count.value * 2 != fieldCount) {
        *status =
            Malformed(line.number,
                      "link count %s does not match the %d fields after it (a bone id and a weight "
                      "per link)%s",
                      NumberText(count).c_str(), fieldCount,
                      line.cut ? "; the line is longer than 255 characters and was cut" : "");
        return false;
    }
    links->count = int(count.value);
    for (int k = 0; k < links->count; ++k) {
        const Word& boneWord = words[1 + 2 * k];
        const Word& weightWord = words[2 + 2 * k];
        ScannedInt bone;
        float weight = 0.0f;
        const char* b = boneWord.begin;
        const char* w = weightWord.begin;
        if (!ScanInt(&b, boneWord.end, &bone) || b != boneWord.end ||
            !ScanFloat(&w, weightWord.end, &weight, &text) || w != weightWord.end) {
            *status = Malformed(line.number, "link %d: expected a bone id and a weight, found %s",
                                k + 1, Quoted(boneWord.begin, weightWord.end).c_str());
            return false;
        }
        links->slots[k] = nodes.Slot(bone.value);
        if (links->slots[k] < 0) {
            char what[32];
            std::snprintf(what, sizeof what, "link %d: bone", k + 1);
            *status = UnknownBone(line.number, what, bone, nodes);
            return false;
        }
        if (!std::isfinite(weight) || weight < 0.0f) {
            *status = Malformed(line.number, "link %d: weight %s is %s", k + 1,
                                Quoted(weightWord.begin, weightWord.end).c_str(),
                                std::isfinite(weight) ? "negative" : "not a finite number");
            return false;
        }
        links->weights[k] = weight;
    }
    return true;
}

}  // namespace smd
