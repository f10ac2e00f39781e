// Animation files: one model-space pose per keyframe into the next clip slot.
#include <cstring>

#include "model/load_report.h"
#include "model/skinned_model.h"
#include "model/smd_reader.h"
#include "platform/files.h"

using smd::IsKeyword;
using smd::PoseBone;
using smd::ScanBoneLine;
using smd::ScanNodeLine;

bool SkinnedModel::LoadAnimation(const char* path) {
    if (!path) return false;
    if (clipCount >= kMaxClips) {
        smd::ShowRefusal(path, "all 32 animation clip slots are in use");
        return false;
    }
    FILE* file = OpenFile(path, "rt");
    if (!file) return false;
    SmdLoadResult result = ParseAnimation(file);
    std::fclose(file);

    if (result == SmdLoadResult::Ok) return true;
    smd::ShowLoadError(*this, path, result);
    return false;
}

SmdLoadResult SkinnedModel::ParseAnimation(FILE* file) {
    if (!ReadHeader(file)) return SmdLoadResult::NotSmd;
    if (!CountSections(file)) return SmdLoadResult::Malformed;
    if (triangleCount > 1) return SmdLoadResult::WrongKind;

    // Keyframes are read into a clip of their own and handed to the slot only
    // when the whole file has been read without fault.
    AnimationClip clip;
    if (!clip.AllocateFrames(timeCount, boneCount) && timeCount > 0 && boneCount > 0) {
        errorLine = 0;
        std::snprintf(errorText, sizeof(errorText),
                      "not enough memory for %d keyframes of %d bones", timeCount, boneCount);
        return SmdLoadResult::Malformed;
    }

    Rewind(file);
    while (ReadLine(file)) {
        bool read = true;
        if (IsKeyword(token, "nodes")) {
            read = ReadClipNodes(file, clip);
        } else if (IsKeyword(token, "skeleton")) {
            read = ReadClipSkeleton(file, clip);
        } else if (IsKeyword(token, "triangles")) {
            // Counted in the first pass only; its lines must not be taken for
            // section openers, so the section is read through its "end".
            read = CountTriangles(file);
        }
        if (!read) return SmdLoadResult::Malformed;
    }

    clips[clipCount].TakeFramesFrom(clip);
    ++clipCount;
    return SmdLoadResult::Ok;
}

bool SkinnedModel::ReadClipNodes(FILE* file, AnimationClip& clip) {
    int opener = lineNumber;
    while (ReadSectionLine(file)) {
        if (IsKeyword(token, "end")) return true;
        int index = -1;
        int parent = -1;
        if (!ScanNodeLine(lineBuffer, &index, token, &parent)) {
            SetError("expected a node line: index \"name\" parent");
            return false;
        }
        if (index < 0 || index >= boneCount) {
            SetError("node index %d is outside 0..%d", index, boneCount - 1);
            return false;
        }
        if (parent != -1 && (parent < 0 || parent >= boneCount)) {
            SetError("parent index %d is neither -1 nor inside 0..%d", parent, boneCount - 1);
            return false;
        }
        // Every keyframe carries the whole node list.
        for (int f = 0; f < clip.frameCount; ++f) {
            Bone& bone = clip.frames[f][index];
            std::memcpy(bone.name, token, sizeof(token));
            bone.parentIndex = parent;
        }
    }
    SetMissingEnd("nodes", opener);
    return false;
}

bool SkinnedModel::ReadClipSkeleton(FILE* file, AnimationClip& clip) {
    int opener = lineNumber;
    while (ReadSectionLine(file)) {
        if (IsKeyword(token, "end")) return true;
        scannedNumber = -1;
        std::sscanf(lineBuffer, "%79s %d", token, &scannedNumber);
        if (!IsKeyword(token, "time")) continue;  // stray line between blocks

        int frame = scannedNumber;
        if (frame < 0 || frame >= timeCount) {
            SetError("keyframe number %d is outside 0..%d", frame, timeCount - 1);
            return false;
        }
        // A block is exactly one bone line per node, read without looking for
        // "end" or "time"; a short block therefore fails on the line that is
        // not a bone line.
        for (int line = 0; line < boneCount; ++line) {
            if (!ReadSectionLine(file)) {
                SetMissingEnd("skeleton", opener);
                return false;
            }
            int index = -1;
            float values[6];
            if (!ScanBoneLine(lineBuffer, &index, values)) {
                SetError("expected a bone line of keyframe %d: index x y z rx ry rz", frame);
                return false;
            }
            if (index < 0 || index >= boneCount) {
                SetError("bone index %d is outside 0..%d", index, boneCount - 1);
                return false;
            }
            if (frame < clip.frameCount) PoseBone(clip.frames[frame], clip.boneCount, index, values);
        }
    }
    SetMissingEnd("skeleton", opener);
    return false;
}
