#include "model/smd/file_outline.h"

#include <cstring>

#include "model/smd/line_fields.h"

namespace smd {

ParseStatus MissingEnd(const char* section, int openerLine) {
    return Malformed(openerLine, "the \"%s\" section has no \"end\" line", section);
}

namespace {

ParseStatus ReadHeader(LineReader& reader) {
    Line line;
    if (!reader.Next(&line)) return {SmdLoadResult::NotSmd, 0, "the file is empty"};
    std::string_view word = FirstWord(line);
    ScannedInt version;
    const char* rest = word.data() + word.size();
    if (IsKeyword(word, "version") && ScanInt(&rest, line.end, &version)) {
        if (version.value == 1) return {};
        if (!version.FitsInt())
            return {SmdLoadResult::NotSmd, 1,
                    "the version number " + NumberText(version) + " is out of range"};
    }
    return {SmdLoadResult::NotSmd, 1, "the first line is not \"version 1\""};
}

ParseStatus CountNodes(LineReader& reader, int openerLine, FileOutline* outline) {
    size_t start = reader.Offset();
    int before = outline->boneCount;
    Line line;
    while (reader.NextWithWord(&line)) {
        if (IsKeyword(FirstWord(line), "end")) {
            if (outline->boneCount > before) outline->nodeSections.push_back({start, openerLine});
            return {};
        }
        if (++outline->boneCount > kMaxCount)
            return Malformed(line.number, "more than %d nodes", kMaxCount);
    }
    return MissingEnd("nodes", openerLine);
}

ParseStatus CountSkeletonTimes(LineReader& reader, int openerLine, FileOutline* outline) {
    Line line;
    while (reader.NextWithWord(&line)) {
        std::string_view word = FirstWord(line);
        if (IsKeyword(word, "end")) return {};
        if (!IsKeyword(word, "time")) continue;
        if (++outline->timeCount > kMaxCount)
            return Malformed(line.number, "more than %d time lines", kMaxCount);
        if (outline->timeCount == 2) outline->secondTimeLine = line.number;
        const char* rest = word.data() + word.size();
        ScannedInt number;
        if (ScanInt(&rest, line.end, &number) && number.FitsInt() &&
            (!outline->keyframeNumbered || number.value < outline->firstKeyframe)) {
            outline->firstKeyframe = number.value;
            outline->keyframeNumbered = true;
        }
    }
    return MissingEnd("skeleton", openerLine);
}

ParseStatus CountTriangles(LineReader& reader, int openerLine, FileOutline* outline) {
    std::string_view previous;  // the section's previous material, empty at its start
    Line line;
    while (reader.NextWithWord(&line)) {
        std::string_view word = FirstWord(line);
        if (IsKeyword(word, "end")) return {};
        int materialLine = line.number;
        if (word != previous) {
            previous = word;
            if (outline->materialCount < kMaxMaterials) {
                char* entry = outline->materialNames[outline->materialCount++];
                std::memcpy(entry, word.data(), word.size());
                entry[word.size()] = '\0';
            }
        }
        for (int corner = 0; corner < 3; ++corner)
            if (!reader.NextWithWord(&line)) return MissingEnd("triangles", openerLine);
        if (++outline->triangleCount > kMaxCount)
            return Malformed(line.number, "more than %d triangles", kMaxCount);
        if (outline->triangleCount == 2) outline->secondTriangleLine = materialLine;
    }
    return MissingEnd("triangles", openerLine);
}

}  // namespace

ParseStatus OutlineFile(LineReader& reader, FileOutline* outline) {
    ParseStatus status = ReadHeader(reader);
    if (status.result != SmdLoadResult::Ok) return status;
    Line line;
    while (reader.Next(&line)) {
        std::string_view word = FirstWord(line);
        if (IsKeyword(word, "nodes")) {
            status = CountNodes(reader, line.number, outline);
        } else if (IsKeyword(word, "skeleton")) {
            status = CountSkeletonTimes(reader, line.number, outline);
        } else if (IsKeyword(word, "triangles")) {
            status = CountTriangles(reader, line.number, outline);
        }
        if (status.result != SmdLoadResult::Ok) return status;
    }
    return status;
}

ParseStatus ReadNodeIds(LineReader& reader, const FileOutline& outline, NodeIds* nodes) {
    nodes->Clear();
    Line line;
    NodeFields node;
    ParseStatus status;
    for (const SectionStart& section : outline.nodeSections) {
        reader.Seek(section.offset, section.openerLine);
        while (reader.NextWithWord(&line) && !IsKeyword(FirstWord(line), "end"))
            if (!ReadNodeLine(line, nodes, &node, &status)) return status;
    }
    for (const SectionStart& section : outline.nodeSections) {
        reader.Seek(section.offset, section.openerLine);
        while (reader.NextWithWord(&line) && !IsKeyword(FirstWord(line), "end")) {
            ScanNodeLine(line, &node);  // read by the first loop
            if (!CheckNodeParent(line, *nodes, &node, &status)) return status;
        }
    }
    return status;
}

bool SkipTriangles(LineReader& reader) {
    Line line;
    while (reader.NextWithWord(&line)) {
        if (IsKeyword(FirstWord(line), "end")) return true;
        for (int corner = 0; corner < 3; ++corner)
            if (!reader.NextWithWord(&line)) return false;
    }
    return false;
}

}  // namespace smd
