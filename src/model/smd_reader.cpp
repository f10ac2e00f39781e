// Line reading, the first-pass section readers and the line scanners shared
// by the reference and the animation loader.
#include "model/smd_reader.h"

#include <strings.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "model/skinned_model.h"
#include "model/smd/bone_pose.h"
#include "model/smd/smd_limits.h"

namespace smd {

bool IsKeyword(const char* word, const char* keyword) {
    return strcasecmp(word, keyword) == 0;
}

bool ScanNodeLine(const char* line, int* index, char (&name)[80], int* parent) {
    // Same fields as the scan format  %d "%[^"]" %d, read by hand so that a
    // name longer than the 79-character buffer is cut instead of stopping the
    // scan before the parent index.
    int consumed = 0;
    if (std::sscanf(line, "%d \"%n", index, &consumed) != 1 || consumed == 0) return false;
    const char* start = line + consumed;
    const char* close = std::strchr(start, '"');
    if (!close || close == start) return false;
    size_t length = std::min<size_t>(size_t(close - start), sizeof(name) - 1);
    std::memcpy(name, start, length);
    name[length] = '\0';
    return std::sscanf(close + 1, "%d", parent) == 1;
}

bool ScanBoneLine(const char* line, int* index, float values[6]) {
    for (int i = 0; i < 6; ++i) values[i] = 0.0f;
    return std::sscanf(line, "%d %f %f %f %f %f %f", index, &values[0], &values[1], &values[2],
                       &values[3], &values[4], &values[5]) >= 1;
}

}  // namespace smd

using namespace smd;

bool SkinnedModel::ReadLine(FILE* file) {
    token[0] = '\0';
    if (!std::fgets(lineBuffer, kLineBufferSize, file)) {
        lineBuffer[0] = '\0';
        return false;
    }
    ++lineNumber;
    size_t length = std::strlen(lineBuffer);
    if (length == size_t(kLineBufferSize - 1) && lineBuffer[length - 1] != '\n') {
        // Longer than the buffer: keep the first 255 characters, drop the rest
        // so that it is not taken for a line of its own.
        int c;
        while ((c = std::fgetc(file)) != EOF && c != '\n') {
        }
    }
    if (std::sscanf(lineBuffer, "%79s", token) != 1) token[0] = '\0';
    return true;
}

bool SkinnedModel::ReadSectionLine(FILE* file) {
    while (ReadLine(file)) {
        if (token[0] != '\0') return true;
    }
    return false;
}

void SkinnedModel::SetError(const char* format, ...) {
    errorLine = lineNumber;
    va_list args;
    va_start(args, format);
    std::vsnprintf(errorText, sizeof(errorText), format, args);
    va_end(args);
}

void SkinnedModel::SetMissingEnd(const char* section, int openerLine) {
    SetError("the \"%s\" section has no \"end\" line", section);
    errorLine = openerLine;
}

bool SkinnedModel::ReadHeader(FILE* file) {
    boneCount = 0;
    timeCount = 0;
    materialCount = 0;
    triangleCount = 0;
    std::memset(materialNames, 0, sizeof(materialNames));
    lineNumber = 0;
    errorLine = 0;
    errorText[0] = '\0';

    if (!ReadLine(file)) return false;
    scannedNumber = 0;
    if (std::sscanf(lineBuffer, "%79s %d", token, &scannedNumber) < 1) return false;
    return IsKeyword(token, "version") && scannedNumber == 1;
}

void SkinnedModel::Rewind(FILE* file) {
    std::fseek(file, 0, SEEK_SET);
    std::clearerr(file);
    lineNumber = 0;
}

bool SkinnedModel::CountNodes(FILE* file) {
    int opener = lineNumber;
    while (ReadSectionLine(file)) {
        if (IsKeyword(token, "end")) return true;
        if (++boneCount > kMaxCount) {
            SetError("more than %d nodes", kMaxCount);
            return false;
        }
    }
    SetMissingEnd("nodes", opener);
    return false;
}

bool SkinnedModel::CountSkeletonTimes(FILE* file) {
    int opener = lineNumber;
    while (ReadSectionLine(file)) {
        if (IsKeyword(token, "end")) return true;
        if (IsKeyword(token, "time") && ++timeCount > kMaxCount) {
            SetError("more than %d time lines", kMaxCount);
            return false;
        }
    }
    SetMissingEnd("skeleton", opener);
    return false;
}

bool SkinnedModel::CountTriangles(FILE* file) {
    int opener = lineNumber;
    char previous[kTokenSize] = {};
    while (ReadSectionLine(file)) {
        if (IsKeyword(token, "end")) return true;
        if (std::strcmp(token, previous) != 0) {
            std::memcpy(previous, token, sizeof(previous));
            // A new entry at every change of material. Past the table's 128
            // entries further changes are not recorded: the materials only
            // name textures, which are never bound for drawing, so the mesh
            // still loads; such triangles take the last matching entry (or 0).
            if (materialCount < kMaxMaterials) {
                std::memcpy(materialNames[materialCount], token, kMaterialNameSize);
                ++materialCount;
            }
        }
        for (int corner = 0; corner < 3; ++corner) {
            if (!ReadSectionLine(file)) {
                SetMissingEnd("triangles", opener);
                return false;
            }
        }
        if (++triangleCount > kMaxCount) {
            SetError("more than %d triangles", kMaxCount);
            return false;
        }
    }
    SetMissingEnd("triangles", opener);
    return false;
}

bool SkinnedModel::CountSections(FILE* file) {
    while (ReadLine(file)) {
        bool counted = true;
        if (IsKeyword(token, "nodes")) {
            counted = CountNodes(file);
        } else if (IsKeyword(token, "skeleton")) {
            counted = CountSkeletonTimes(file);
        } else if (IsKeyword(token, "triangles")) {
            counted = CountTriangles(file);
        }
        if (!counted) return false;
    }
    return true;
}
