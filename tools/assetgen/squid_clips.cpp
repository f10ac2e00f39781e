#include "assetgen/squid_clips.h"

#include <cmath>
#include <functional>
#include <string>

#include "assetgen/squid.h"

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kDegrees = kPi / 180.0f;
constexpr int kArms = 6, kArmSegments = 5, kTentacleSegments = 8;

// Per bone a turn in degrees about the bone's own x, y and z axes (applied
// in that order, before the bind transform) and a shift of the body in model
// units. A limb bone's x axis runs along the limb and its y axis lies
// horizontal, so a positive turn about y curls an arm or tentacle towards
// the body axis and the ground, a negative one spreads it out and up. The
// root, the body and the head keep the model axes.
struct SquidPose {
    std::vector<Vector3> turns;
    Vector3 bodyShift;
};

struct PoseEditor {
    const Character& squid;
    SquidPose pose;

    explicit PoseEditor(const Character& s) : squid(s) {
        pose.turns.assign(s.bones.size(), Vector3{});
    }
    PoseEditor& Turn(const std::string& bone, const Vector3& degrees) {
        int index = FindBone(squid, bone);
        if (index >= 0) pose.turns[static_cast<size_t>(index)] = degrees;
        return *this;
    }
    // Segment k (from 1) of a limb gets turn(k − 1).
    PoseEditor& Limb(const std::string& limb, int segments,
                     const std::function<Vector3(float)>& turn) {
        for (int k = 0; k < segments; ++k)
            Turn(limb + " " + std::to_string(k + 1), turn(static_cast<float>(k)));
        return *this;
    }
    PoseEditor& Arms(const std::function<Vector3(int, float)>& turn) {
        for (int a = 0; a < kArms; ++a)
            Limb("Arm " + std::to_string(a + 1), kArmSegments, [&](float k) { return turn(a, k); });
        return *this;
    }
    // s is +1 for the left tentacle, −1 for the right one.
    PoseEditor& Tentacles(const std::function<Vector3(float, float)>& turn) {
        Limb("Tentacle L", kTentacleSegments, [&](float k) { return turn(1.0f, k); });
        return Limb("Tentacle R", kTentacleSegments, [&](float k) { return turn(-1.0f, k); });
    }
    PoseEditor& Fins(const Vector3& left, const Vector3& right) {
        return Turn("Fin L", left).Turn("Fin R", right);
    }
};

// Local matrices of the first boneCount bones in a pose.
std::vector<Matrix4> SquidLocals(const Character& squid, const SquidPose& pose, size_t boneCount) {
    std::vector<Matrix4> locals = BindLocals(squid);
    locals.resize(boneCount);
    const size_t body = static_cast<size_t>(FindBone(squid, "Body"));
    for (size_t b = 0; b < boneCount; ++b) {
        const Vector3& t = pose.turns[b];
        locals[b] = MatrixRotationX(t.x * kDegrees) * MatrixRotationY(t.y * kDegrees) *
                    MatrixRotationZ(t.z * kDegrees) * locals[b];
        if (b == body)
            locals[b] =
                locals[b] * MatrixTranslation(pose.bodyShift.x, pose.bodyShift.y, pose.bodyShift.z);
    }
    return locals;
}

Clip LoopClip(const Character& squid, const std::string& name, int frames, size_t boneCount,
              const std::function<SquidPose(float)>& poseAt) {
    Clip clip;
    clip.name = name;
    for (int f = 0; f < frames; ++f) {
        float w = 2.0f * kPi * static_cast<float>(f) / static_cast<float>(frames);
        clip.locals.push_back(SquidLocals(squid, poseAt(w), boneCount));
    }
    return clip;
}

// Swimming on the spot: the arms open and close in a wave that runs to their
// tips, the body bobs with them, the fins beat twice per stroke.
SquidPose SwimPose(const Character& squid, float w) {
    PoseEditor p(squid);
    p.pose.bodyShift = {0, 0, 10 * std::sin(w)};
    p.Turn("Body", {3 * std::sin(w + 0.6f), 0, 0});
    p.Turn("Head", {-2 * std::sin(w + 0.6f), 0, 0});
    p.Turn("Siphon", {0, 8 * std::sin(w + kPi), 0});
    for (int m = 0; m < 3; ++m)
        p.Turn("Mantle " + std::to_string(m + 1),
               {0, 4 * std::sin(w - 0.5f - 0.6f * static_cast<float>(m)), 0});
    p.Fins({0, 22 * std::sin(2 * w), 0}, {0, 22 * std::sin(2 * w), 0});
    p.Arms([&](int a, float k) {
        return Vector3{0, (7 + 1.5f * k) * std::sin(w - 0.55f * k),
                       4 * std::sin(w + 1.05f * a - 0.4f * k)};
    });
    p.Tentacles([&](float s, float k) {
        return Vector3{0, 4 * std::sin(w - 0.45f * k - 0.8f),
                       5 * std::sin(w - 0.35f * k + (s > 0 ? 0 : kPi))};
    });
    return p.pose;
}

// Strike key poses: the squid rears back with its tentacles curled under,
// then lunges and shoots them forward (−Y).
SquidPose StrikeCoil(const Character& squid, float amount) {
    PoseEditor p(squid);
    p.pose.bodyShift = Vector3{0, 8, 6} * amount;
    p.Turn("Body", Vector3{-6, 0, 0} * amount);
    p.Turn("Head", Vector3{-4, 0, 0} * amount);
    for (int m = 0; m < 3; ++m)
        p.Turn("Mantle " + std::to_string(m + 1), Vector3{0, -3, 0} * amount);
    p.Fins(Vector3{0, -15, 0} * amount, Vector3{0, -15, 0} * amount);
    p.Arms([&](int, float) { return Vector3{0, -6, 0} * amount; });
    p.Tentacles([&](float, float) { return Vector3{0, 5, 0} * amount; });
    return p.pose;
}

SquidPose StrikeLunge(const Character& squid, float followThrough) {
    PoseEditor p(squid);
    p.pose.bodyShift = {0, -18 - 4 * followThrough, -4};
    p.Turn("Body", {8, 0, 0});
    p.Turn("Head", {6, 0, 0});
    for (int m = 0; m < 3; ++m) p.Turn("Mantle " + std::to_string(m + 1), {0, 3, 0});
    p.Fins({0, 18, 0}, {0, 18, 0});
    p.Arms([&](int, float) { return Vector3{0, 8, 0}; });
    p.Tentacles([&](float s, float) {
        return Vector3{0, -6 - followThrough, 2 * s * followThrough};
    });
    return p.pose;
}

SquidPose Mix(const SquidPose& a, const SquidPose& b, float t) {
    SquidPose out = a;
    for (size_t i = 0; i < out.turns.size(); ++i)
        out.turns[i] = a.turns[i] + (b.turns[i] - a.turns[i]) * t;
    out.bodyShift = a.bodyShift + (b.bodyShift - a.bodyShift) * t;
    return out;
}

Clip StrikeClip(const Character& squid) {
    struct Key {
        int frame;
        SquidPose pose;
    };
    const int frames = 28;
    const SquidPose rest = PoseEditor(squid).pose;
    const std::vector<Key> keys = {{0, rest},
                                   {7, StrikeCoil(squid, 1.0f)},
                                   {9, StrikeCoil(squid, 1.1f)},
                                   {16, StrikeLunge(squid, 0.0f)},
                                   {19, StrikeLunge(squid, 1.0f)},
                                   {frames, rest}};
    Clip clip;
    clip.name = "Strike";
    for (int f = 0; f < frames; ++f) {
        size_t k = 0;
        while (keys[k + 1].frame <= f) ++k;
        float t = static_cast<float>(f - keys[k].frame) /
                  static_cast<float>(keys[k + 1].frame - keys[k].frame);
        t = t * t * (3.0f - 2.0f * t);
        clip.locals.push_back(
            SquidLocals(squid, Mix(keys[k].pose, keys[k + 1].pose, t), squid.bones.size()));
    }
    return clip;
}

// Only the upper bones: the head turns from side to side, the eyes lead it,
// the mantle sways and the fins flutter; the root and the body stay put.
SquidPose LookPose(const Character& squid, float w) {
    PoseEditor p(squid);
    p.Turn("Head", {4 * std::sin(2 * w), 0, 14 * std::sin(w)});
    p.Turn("Eye L", {0, 0, 16 * std::sin(w + 0.7f)});
    p.Turn("Eye R", {0, 0, 16 * std::sin(w + 0.7f)});
    p.Turn("Siphon", {0, 0, 14 * std::sin(2 * w)});
    for (int m = 0; m < 3; ++m)
        p.Turn("Mantle " + std::to_string(m + 1),
               {0, 2 * std::sin(2 * w), 5 * std::sin(w - 0.6f * static_cast<float>(m))});
    p.Fins({0, 12 * std::sin(2 * w), 0}, {0, 12 * std::sin(2 * w + 0.5f), 0});
    return p.pose;
}

}  // namespace

std::vector<Clip> BuildSquidClips(const Character& squid) {
    std::vector<Clip> clips;
    clips.push_back(LoopClip(squid, "Swim", 32, squid.bones.size(),
                             [&](float w) { return SwimPose(squid, w); }));
    clips.push_back(StrikeClip(squid));
    clips.push_back(LoopClip(squid, "Look Around", 16, kSquidUpperBones,
                             [&](float w) { return LookPose(squid, w); }));
    return clips;
}

}  // namespace assetgen
