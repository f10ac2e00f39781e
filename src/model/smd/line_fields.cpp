#include "model/smd/line_fields.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

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
    if (!ScanInt(&p, line.end, &out->index)) return;
    out->count = 1;
    for (int i = 0; i < 6; ++i) {
        if (!ScanFloat(&p, line.end, &out->values[i], &out->texts[i])) return;
        out->textEnds[i] = p;
        out->count = i + 2;
    }
}

bool ReadPoseLine(const Line& line, PoseLine kind, int keyframe, int boneCount,
                  PoseFields* fields, ParseStatus* status) {
    ScanPoseFields(line, fields);
    if (fields->count == 0) {
        if (kind == PoseLine::Vertex) {
            *status = Malformed(line.number, "expected a vertex line: bone x y z nx ny nz u v");
        } else if (keyframe >= 0) {
            *status = Malformed(line.number,
                                "expected a bone line of keyframe %d: index x y z rx ry rz", keyframe);
        } else {
            *status = Malformed(line.number, "expected a bone line: index x y z rx ry rz");
        }
        return false;
    }
    const ScannedInt& index = fields->index;
    if (index.value < 0 || index.value >= boneCount) {
        *status = Malformed(line.number, "%s %s is outside 0..%d",
                            kind == PoseLine::Vertex ? "vertex bone index" : "bone index",
                            NumberText(index).c_str(), boneCount - 1);
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

bool ReadNodeLine(const Line& line, int boneCount, NodeFields* fields, ParseStatus* status) {
    if (!ScanNodeLine(line, fields)) {
        *status = Malformed(line.number, "expected a node line: index \"name\" parent");
        return false;
    }
    if (fields->index.value < 0 || fields->index.value >= boneCount) {
        *status = Malformed(line.number, "node index %s is outside 0..%d",
                            NumberText(fields->index).c_str(), boneCount - 1);
        return false;
    }
    const ScannedInt& parent = fields->parent;
    if (parent.value != -1 && (parent.value < 0 || parent.value >= boneCount)) {
        *status = Malformed(line.number, "parent index %s is neither -1 nor inside 0..%d",
                            NumberText(parent).c_str(), boneCount - 1);
        return false;
    }
    return true;
}

}  // namespace smd
