#include "assetgen/animations.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "assetgen/euler.h"

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kDegrees = kPi / 180.0f;

Matrix4 RotationPart(const Matrix4& m) {
    Matrix4 r = m;
    r.m[3][0] = r.m[3][1] = r.m[3][2] = 0.0f;
    return r;
}

float Smoothstep(float t) { return t * t * (3.0f - 2.0f * t); }

// Sets the turn of a bone found by name; names come from this file, so a
// missing bone is a programming error caught by the tests' pose checks.
struct PoseEditor {
    const Character& character;
    Pose pose;

    explicit PoseEditor(const Character& c) : character(c), pose(BindPose(c)) {}
    PoseEditor& Turn(const std::string& bone, const Vector3& degrees) {
        int index = FindBone(character, bone);
        if (index >= 0) pose.turns[static_cast<size_t>(index)] = degrees;
        return *this;
    }
    // The same turn on both sides, mirrored through the X = 0 plane:
    // turns about Y and Z change sign on the right.
    PoseEditor& Both(const std::string& bone, const Vector3& leftDegrees) {
        Turn(bone + "_L", leftDegrees);
        return Turn(bone + "_R", {leftDegrees.x, -leftDegrees.y, -leftDegrees.z});
    }
    PoseEditor& Shift(const Vector3& shift) {
        pose.pelvisShift = shift;
        return *this;
    }
};

Clip PeriodicClip(const Character& character, const std::string& name, int frames,
                  const std::function<Pose(float)>& poseAt) {
    Clip clip;
    clip.name = name;
    for (int f = 0; f < frames; ++f) {
        float w = 2.0f * kPi * static_cast<float>(f) / static_cast<float>(frames);
        clip.locals.push_back(PoseLocals(character, poseAt(w)));
    }
    return clip;
}

Pose RunPose(const Character& c, float w) {
    float s = std::sin(w);
    PoseEditor p(c);
    p.Shift({0, 0, 2.0f * (0.5f - 0.5f * std::cos(2 * w)) + 1.8f});
    p.Turn("Pelvis", {10 + 2 * std::sin(2 * w), 0, 6 * s});
    p.Turn("Spine", {0, 0, -3 * s});
    p.Turn("Chest", {0, 0, -4 * s});
    p.Turn("Head", {-8 - 3 * std::sin(2 * w), 0, 0});
    p.Both("Ear", {6 * std::sin(2 * w), 0, 0});
    p.Turn("Thigh_L", {-10 + 32 * s, 0, 0});
    p.Turn("Thigh_R", {-10 - 32 * s, 0, 0});
    p.Turn("Shin_L", {18 + 14 * std::cos(w - 2.8f), 0, 0});
    p.Turn("Shin_R", {18 + 14 * std::cos(w + kPi - 2.8f), 0, 0});
    p.Turn("Foot_L", {-6 + 10 * std::sin(w + 0.5f), 0, 0});
    p.Turn("Foot_R", {-6 - 10 * std::sin(w + 0.5f), 0, 0});
    p.Turn("UpperArm_L", {-30 * s, -15, 0});
    p.Turn("UpperArm_R", {30 * s, 15, 0});
    p.Both("ForeArm", {-35 - 8 * s, 0, 0});
    p.Turn("Tail1", {10, 0, 12 * s});
    p.Turn("Tail2", {4, 0, 12 * std::sin(w - 0.8f)});
    p.Turn("Tail3", {4, 0, 14 * std::sin(w - 1.6f)});
    return p.pose;
}

Pose StunPose(const Character& c, float w) {
    PoseEditor p(c);
    Vector3 sway{5 * std::sin(w), 5 * std::cos(w), 0};
    p.Shift({0, 0, -0.8f});
    p.Turn("Pelvis", sway);
    // The legs undo the pelvis's sway so the feet stay planted.
    p.Turn("Thigh_L", {-sway.x - 12, -sway.y, 0});
    p.Turn("Thigh_R", {-sway.x - 12, -sway.y, 0});
    p.Both("Shin", {24, 0, 0});
    p.Both("Foot", {-12, 0, 0});
    p.Turn("Spine", {4 * std::sin(w - 0.5f), 4 * std::cos(w - 0.5f), 0});
    p.Turn("Chest", {4 * std::sin(w - 1.0f), 5 * std::cos(w - 1.0f), 0});
    p.Turn("Head", {8 + 8 * std::sin(w - 1.5f), 10 * std::cos(w - 1.5f), 6 * std::sin(w)});
    p.Turn("Ear_L", {0, 25 + 6 * std::sin(2 * w), 0});
    p.Turn("Ear_R", {0, -25 - 6 * std::sin(2 * w + 1.0f), 0});
    p.Turn("UpperArm_L", {8 * std::sin(w + 0.5f), 10, 0});
    p.Turn("UpperArm_R", {8 * std::sin(w + 1.2f), -10, 0});
    p.Both("ForeArm", {-10 + 6 * std::sin(w + 1.0f), 0, 0});
    p.Turn("Tail1", {-8, 0, 10 * std::sin(w)});
    p.Turn("Tail2", {-6, 0, 10 * std::sin(w - 0.7f)});
    p.Turn("Tail3", {-4, 0, 12 * std::sin(w - 1.4f)});
    return p.pose;
}

// Attack key poses: the character's right arm (on the −X side) strikes.
Pose AttackWindUp(const Character& c, float amount) {
    PoseEditor p(c);
    p.Shift(Vector3{0, 3, -2} * amount);
    p.Turn("Pelvis", Vector3{-8, 0, -10} * amount);
    p.Turn("Spine", Vector3{-2, 0, -5} * amount);
    p.Turn("Chest", Vector3{-2, 0, -5} * amount);
    p.Turn("Head", Vector3{-4, 0, 16} * amount);
    p.Both("Ear", Vector3{10, 0, 0} * amount);
    p.Turn("UpperArm_R", Vector3{15, 55, 0} * amount);
    p.Turn("ForeArm_R", Vector3{-30, 0, 0} * amount);
    p.Turn("UpperArm_L", Vector3{-20, -20, 0} * amount);
    p.Turn("ForeArm_L", Vector3{-30, 0, 0} * amount);
    p.Both("Thigh", Vector3{-2, 0, 0} * amount);
    p.Both("Shin", Vector3{16, 0, 0} * amount);
    p.Both("Foot", Vector3{-8, 0, 0} * amount);
    p.Turn("Tail1", Vector3{15, 0, 10} * amount);
    p.Turn("Tail2", Vector3{8, 0, 8} * amount);
    return p.pose;
}

Pose AttackStrike(const Character& c, float followThrough) {
    PoseEditor p(c);
    p.Shift({0, -10 - 2 * followThrough, -1});
    p.Turn("Pelvis", {14, 0, 10 + 3 * followThrough});
    p.Turn("Spine", {3, 0, 5});
    p.Turn("Chest", {3, 0, 6 + 3 * followThrough});
    p.Turn("Head", {-12, 0, -16});
    p.Both("Ear", {-12, 0, 0});
    p.Turn("UpperArm_R", {-40 - 8 * followThrough, 20 - 5 * followThrough, 20 + 6 * followThrough});
    p.Turn("ForeArm_R", {-10, 0, 0});
    p.Turn("UpperArm_L", {25, -25, 0});
    p.Turn("ForeArm_L", {-20, 0, 0});
    // Lunge: the left leg steps forward, the right one stretches back.
    p.Turn("Thigh_L", {-34, 0, 0});
    p.Turn("Shin_L", {20, 0, 0});
    p.Turn("Foot_L", {0, 0, 0});
    p.Turn("Thigh_R", {4, 0, 0});
    p.Turn("Shin_R", {6, 0, 0});
    p.Turn("Foot_R", {-14, 0, 0});
    p.Turn("Tail1", {-6, 0, -12});
    p.Turn("Tail2", {-4, 0, -10});
    p.Turn("Tail3", {0, 0, -8});
    return p.pose;
}

Pose Blend(const Pose& a, const Pose& b, float t) {
    Pose out = a;
    for (size_t i = 0; i < out.turns.size(); ++i)
        out.turns[i] = a.turns[i] + (b.turns[i] - a.turns[i]) * t;
    out.pelvisShift = a.pelvisShift + (b.pelvisShift - a.pelvisShift) * t;
    return out;
}

Clip AttackClip(const Character& c) {
    struct Key {
        int frame;
        Pose pose;
    };
    const int frames = 30;
    // Wind-up, a short hold, the lunge and swipe, a follow-through and a slow
    // recovery that leads back into the neutral first keyframe.
    const std::vector<Key> keys = {{0, BindPose(c)},
                                   {7, AttackWindUp(c, 1.0f)},
                                   {9, AttackWindUp(c, 1.1f)},
                                   {18, AttackStrike(c, 0.0f)},
                                   {21, AttackStrike(c, 1.0f)},
                                   {frames, BindPose(c)}};
    Clip clip;
    clip.name = "Attack";
    for (int f = 0; f < frames; ++f) {
        size_t k = 0;
        while (keys[k + 1].frame <= f) ++k;
        float t = static_cast<float>(f - keys[k].frame) /
                  static_cast<float>(keys[k + 1].frame - keys[k].frame);
        clip.locals.push_back(PoseLocals(c, Blend(keys[k].pose, keys[k + 1].pose, Smoothstep(t))));
    }
    return clip;
}

}  // namespace

Pose BindPose(const Character& character) {
    Pose pose;
    pose.turns.assign(character.bones.size(), Vector3{});
    return pose;
}

std::vector<Matrix4> PoseLocals(const Character& character, const Pose& pose) {
    std::vector<Matrix4> locals = BindLocals(character);
    const int pelvis = FindBone(character, "Pelvis");
    for (size_t b = 0; b < locals.size() && b < pose.turns.size(); ++b) {
        const Vector3& t = pose.turns[b];
        // The turn is given in model axes; in the bone's own frame it is
        // R × M × Rᵀ, with R the rotation of the bone's bind pose.
        Matrix4 r = RotationPart(character.bones[b].bindAbsolute);
        Matrix4 model = MatrixRotationX(t.x * kDegrees) * MatrixRotationY(t.y * kDegrees) *
                        MatrixRotationZ(t.z * kDegrees);
        locals[b] = r * model * MatrixTranspose(r) * locals[b];
        if (static_cast<int>(b) == pelvis)
            locals[b] = locals[b] * MatrixTranslation(pose.pelvisShift.x, pose.pelvisShift.y,
                                                      pose.pelvisShift.z);
    }
    return locals;
}

std::vector<Matrix4> AbsoluteFromLocals(const Character& character,
                                        const std::vector<Matrix4>& locals) {
    std::vector<Matrix4> absolute(locals.size());
    for (size_t b = 0; b < locals.size(); ++b) {
        int parent = b < character.bones.size() ? character.bones[b].parent : -1;
        absolute[b] = parent >= 0 ? locals[b] * absolute[static_cast<size_t>(parent)] : locals[b];
    }
    return absolute;
}

std::vector<Clip> BuildClips(const Character& character) {
    std::vector<Clip> clips;
    clips.push_back(AttackClip(character));
    clips.push_back(
        PeriodicClip(character, "Run", 20, [&](float w) { return RunPose(character, w); }));
    clips.push_back(
        PeriodicClip(character, "Stun", 30, [&](float w) { return StunPose(character, w); }));
    return clips;
}

float LargestKeyframeStepDegrees(const Character& character, const Clip& clip) {
    float largest = 0.0f;
    const size_t n = clip.locals.size();
    for (size_t f = 0; f < n; ++f) {
        std::vector<Matrix4> a = AbsoluteFromLocals(character, clip.locals[f]);
        std::vector<Matrix4> b = AbsoluteFromLocals(character, clip.locals[(f + 1) % n]);
        for (size_t k = 0; k < a.size(); ++k)
            largest = std::max(largest, RotationAngleBetween(a[k], b[k]));
    }
    return largest / kDegrees;
}

}  // namespace assetgen
