// A clip's keyframes as glTF node transforms of the reference's bones.
//
// The program blends the clip's model-space bone matrices, so a model bone
// takes the clip's absolute matrix when the clip drives it and keeps its
// bind-pose absolute matrix when not. Here each node's local transform is
// derived from those absolute matrices under the skeleton's tree, which
// gives the same world pose at every keyframe: a bone the clip lacks under
// a bone it moves gets channels that hold it where the program holds it.
#pragma once

#include <string>
#include <vector>

#include "model/smd/parsed_smd.h"
#include "smd2gltf/skeleton.h"

namespace smd2gltf {

// Which clip bone drives each model bone (−1: none), and what a model
// author should hear about the match.
struct BoneMatch {
    std::vector<int> clipBoneOf;
    std::vector<std::string> notes;
};

// Where the clip's node names are the model's at the same positions (up to
// the shorter list) bones match by position; otherwise each clip bone
// drives the model bone of the same name, and each bone left out on either
// side is noted once. clipName names the clip in the notes.
BoneMatch MatchClipBones(const smd::Reference& reference, const smd::Animation& clip,
                         const std::string& clipName);

struct ClipPoses {
    int frameCount = 0;
    // Bones that get channels, in slot order: those the clip drives and
    // every bone below one of them.
    std::vector<int> bones;
    // bones.size() × frameCount transforms, bone-major; the rotations of a
    // bone keep to one hemisphere from keyframe to keyframe.
    std::vector<Trs> locals;
};

ClipPoses PoseClip(const Skeleton& skeleton, const smd::Animation& clip,
                   const std::vector<int>& clipBoneOf, double metresPerUnit);

// name with control bytes written as \xNN, for notes on a terminal.
std::string PrintableName(const char* name);

}  // namespace smd2gltf
