#include "smd2gltf/clip_poses.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace smd2gltf {

std::string PrintableName(const char* name) {
    std::string out;
    for (const char* p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out;
}

BoneMatch MatchClipBones(const smd::Reference& reference, const smd::Animation& clip,
                         const std::string& clipName) {
    const int modelCount = reference.boneCount;
    const int clipCount = clip.frameCount > 0 ? clip.boneCount : 0;
    const Bone* clipBones = clip.frameCount > 0 ? clip.frames[0].get() : nullptr;
    BoneMatch match;
    match.clipBoneOf.assign(size_t(modelCount), -1);
    if (clipCount == 0) return match;

    bool samePositions = true;
    for (int b = 0; b < modelCount && b < clipCount && samePositions; ++b)
        samePositions = std::strcmp(reference.bones[b].name, clipBones[b].name) == 0;
    if (samePositions) {
        for (int b = 0; b < modelCount && b < clipCount; ++b) match.clipBoneOf[size_t(b)] = b;
        char note[512];
        if (clipCount < modelCount) {
            std::snprintf(note, sizeof note,
                          "animation %s has %d bones, the model %d: bones %d to %d keep their pose",
                          clipName.c_str(), clipCount, modelCount, clipCount, modelCount - 1);
            match.notes.push_back(note);
        } else if (clipCount > modelCount) {
            std::snprintf(
                note, sizeof note,
                "animation %s has %d bones, the model %d: its bones %d to %d are not used",
                clipName.c_str(), clipCount, modelCount, modelCount, clipCount - 1);
            match.notes.push_back(note);
        }
        return match;
    }

    // By name; of bones that share a name, the first of each side pair up.
    std::unordered_map<std::string_view, int> modelByName;
    for (int b = modelCount; b-- > 0;) modelByName[reference.bones[b].name] = b;
    for (int c = 0; c < clipCount; ++c) {
        auto found = modelByName.find(clipBones[c].name);
        if (found != modelByName.end() && match.clipBoneOf[size_t(found->second)] < 0) {
            match.clipBoneOf[size_t(found->second)] = c;
        } else {
            match.notes.push_back("animation " + clipName + ": its bone \"" +
                                  PrintableName(clipBones[c].name) +
                                  "\" is not in the model and is not used");
        }
    }
    for (int b = 0; b < modelCount; ++b)
        if (match.clipBoneOf[size_t(b)] < 0)
            match.notes.push_back("animation " + clipName + " has no bone \"" +
                                  PrintableName(reference.bones[b].name) +
                                  "\": it keeps its bind pose");
    return match;
}

ClipPoses PoseClip(const Skeleton& skeleton, const smd::Animation& clip,
                   const std::vector<int>& clipBoneOf, double metresPerUnit) {
    ClipPoses poses;
    poses.frameCount = clip.frameCount;
    const int count = skeleton.boneCount;
    // A bone gets channels when it or a bone above it is driven.
    std::vector<signed char> moves(size_t(count), -1);
    for (int b = 0; b < count; ++b) {
        std::vector<int> chain;
        int c = b;
        while (c >= 0 && moves[size_t(c)] < 0) {
            chain.push_back(c);
            c = skeleton.parent[size_t(c)];
        }
        bool above = c >= 0 && moves[size_t(c)] == 1;
        for (size_t i = chain.size(); i-- > 0;) {
            above = above || clipBoneOf[size_t(chain[i])] >= 0;
            moves[size_t(chain[i])] = above ? 1 : 0;
        }
    }
    for (int b = 0; b < count; ++b)
        if (moves[size_t(b)] == 1) poses.bones.push_back(b);
    if (poses.frameCount == 0) return poses;

    const size_t frames = size_t(poses.frameCount);
    poses.locals.resize(poses.bones.size() * frames);
    std::vector<Mat4d> absolute(static_cast<size_t>(count));
    for (size_t f = 0; f < frames; ++f) {
        const Bone* frame = clip.frames[f].get();
        for (int b = 0; b < count; ++b) {
            int c = clipBoneOf[size_t(b)];
            absolute[size_t(b)] =
                c >= 0 ? ToDouble(frame[c].absoluteMatrix) : skeleton.bindAbsolute[size_t(b)];
        }
        for (size_t i = 0; i < poses.bones.size(); ++i) {
            int b = poses.bones[i];
            int p = skeleton.parent[size_t(b)];
            Trs local = LocalTransform(absolute[size_t(b)], p >= 0 ? &absolute[size_t(p)] : nullptr,
                                       metresPerUnit);
            if (f > 0) {
                const double* before = poses.locals[i * frames + f - 1].rotation;
                double dot = 0;
                for (int k = 0; k < 4; ++k) dot += before[k] * local.rotation[k];
                if (dot < 0)
                    for (double& value : local.rotation) value = -value;
            }
            poses.locals[i * frames + f] = local;
        }
    }
    return poses;
}

}  // namespace smd2gltf
