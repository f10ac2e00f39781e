#include "assetgen/character.h"

#include <algorithm>
#include <cmath>

#include "assetgen/noise.h"
#include "assetgen/skeleton_builder.h"

namespace assetgen {
namespace {

enum MaterialIndex { kSkin, kBelly, kEye, kPupil };

Vector3 Mirror(const Vector3& v) { return {-v.x, v.y, v.z}; }

}  // namespace

int FindBone(const Character& character, const std::string& name) {
    for (size_t i = 0; i < character.bones.size(); ++i)
        if (character.bones[i].name == name) return static_cast<int>(i);
    return -1;
}

std::vector<Matrix4> BindLocals(const Character& character) {
    std::vector<Matrix4> locals;
    for (const SkeletonBone& bone : character.bones) {
        Matrix4 local = bone.bindAbsolute;
        if (bone.parent >= 0) {
            Matrix4 parentInverse;
            MatrixInverse(character.bones[static_cast<size_t>(bone.parent)].bindAbsolute,
                          &parentInverse);
            local = bone.bindAbsolute * parentInverse;
        }
        locals.push_back(local);
    }
    return locals;
}

Character BuildCharacter() {
    Character c;
    const SkeletonBuilder b{&c};
    c.materials = {{"Red_Skin.bmp", {0.82f, 0.13f, 0.11f}},
                   {"Red_Belly.bmp", {0.98f, 0.86f, 0.62f}},
                   {"Red_Eye.bmp", {0.97f, 0.97f, 0.96f}},
                   {"Red_Pupil.bmp", {0.07f, 0.05f, 0.08f}}};
    std::vector<SmdTriangle>& out = c.triangles;

    // Skeleton: joints in model units (the creature is about 129 units tall).
    const Vector3 headCentre{0, -1, 98};
    b.Bone("Root", "", {0, 0, 0});
    int pelvis = b.Bone("Pelvis", "Root", {0, 0, 34});
    int spine = b.Bone("Spine", "Pelvis", {0, 0, 48});
    int chest = b.Bone("Chest", "Spine", {0, 0, 62});
    int head = b.Bone("Head", "Chest", {0, 0, 80});
    // Each side is built for the left (+X) and mirrored for the right.
    struct Side {
        const char* suffix;
        float sign;
    };
    const Side sides[2] = {{"_L", 1.0f}, {"_R", -1.0f}};
    auto at = [](const Vector3& v, float sign) { return sign > 0 ? v : Mirror(v); };
    const Vector3 earBase{12, -1, 109}, earTip{21, 0, 127};
    const Vector3 shoulder{22, 0, 69}, elbow{33, -3, 56}, wrist{37, -7, 44};
    const Vector3 hip{12, 0, 30}, knee{13, -1, 16}, ankle{13, 0, 7}, toe{13, -10, 5};
    int ear[2], upperArm[2], foreArm[2], thigh[2], shin[2], foot[2];
    for (int s = 0; s < 2; ++s)
        ear[s] = b.Aimed(std::string("Ear") + sides[s].suffix, "Head", at(earBase, sides[s].sign),
                         at(earTip, sides[s].sign));
    for (int s = 0; s < 2; ++s) {
        float g = sides[s].sign;
        upperArm[s] = b.Aimed(std::string("UpperArm") + sides[s].suffix, "Chest", at(shoulder, g),
                              at(elbow, g));
        foreArm[s] = b.Aimed(std::string("ForeArm") + sides[s].suffix, c.bones[upperArm[s]].name,
                             at(elbow, g), at(wrist, g));
    }
    for (int s = 0; s < 2; ++s) {
        float g = sides[s].sign;
        thigh[s] =
            b.Aimed(std::string("Thigh") + sides[s].suffix, "Pelvis", at(hip, g), at(knee, g));
        shin[s] = b.Aimed(std::string("Shin") + sides[s].suffix, c.bones[thigh[s]].name,
                          at(knee, g), at(ankle, g));
        foot[s] = b.Aimed(std::string("Foot") + sides[s].suffix, c.bones[shin[s]].name,
                          at(ankle, g), at(toe, g));
    }
    const Vector3 tailJoints[4] = {{0, 19, 30}, {0, 31, 34}, {0, 40, 42}, {0, 45, 52}};
    int tail[3];
    tail[0] = b.Aimed("Tail1", "Pelvis", tailJoints[0], tailJoints[1]);
    tail[1] = b.Aimed("Tail2", "Tail1", tailJoints[1], tailJoints[2]);
    tail[2] = b.Aimed("Tail3", "Tail2", tailJoints[2], tailJoints[3]);

    // Body: three overlapping ellipsoids, so the spine can bend without a gap.
    AddEllipsoid(out, {pelvis, kSkin, 24, 16}, FrameAlong({0, 0, 44}, {0, 0, 1}), {27, 24, 27});
    AddEllipsoid(out, {pelvis, kBelly, 20, 12}, FrameAlong({0, -10, 42}, {0, 0, 1}),
                 {18, 15.5f, 20});
    AddEllipsoid(out, {spine, kSkin, 24, 10}, FrameAlong({0, 0, 55}, {0, 0, 1}), {25, 22, 15});
    AddEllipsoid(out, {chest, kSkin, 24, 12}, FrameAlong({0, 0, 66}, {0, 0, 1}), {23, 21, 18});

    // Head with eyes, pupils and a small mouth, each set into the surface.
    AddEllipsoid(out, {head, kSkin, 28, 18}, FrameAlong(headCentre, {0, 0, 1}), {23, 21, 21});
    for (int s = 0; s < 2; ++s) {
        float g = sides[s].sign;
        Vector3 eyeDirection = Vec3Normalize({0.36f * g, -0.86f, 0.22f});
        AddEllipsoid(out, {head, kEye, 14, 8},
                     FrameAlong(headCentre + eyeDirection * 19.5f, eyeDirection),
                     {5.2f, 6.8f, 3.4f});
        Vector3 pupilDirection = Vec3Normalize({0.33f * g, -0.88f, 0.21f});
        AddEllipsoid(out, {head, kPupil, 10, 6},
                     FrameAlong(headCentre + pupilDirection * 22.0f, pupilDirection),
                     {2.6f, 3.6f, 1.4f});
        // Ears: tapered horns whose round base turns about the joint.
        AddCapsule(out, {ear[s], kSkin, 12, 10}, at(earBase, g), at(earTip, g), 6.5f, 1.8f);
    }
    Vector3 mouthDirection = Vec3Normalize({0, -0.93f, -0.36f});
    AddEllipsoid(out, {head, kPupil, 10, 6},
                 FrameAlong(headCentre + mouthDirection * 20.2f, mouthDirection),
                 {4.5f, 1.6f, 1.5f});

    // Limbs: capsules whose ends are centred on the joints; hands and feet.
    for (int s = 0; s < 2; ++s) {
        float g = sides[s].sign;
        AddCapsule(out, {upperArm[s], kSkin, 12, 10}, at(shoulder, g), at(elbow, g), 7.0f, 6.0f);
        AddCapsule(out, {foreArm[s], kSkin, 12, 10}, at(elbow, g), at(wrist, g), 6.0f, 5.5f);
        AddEllipsoid(out, {foreArm[s], kSkin, 12, 8}, FrameAlong(at({38, -8, 41}, g), {0, 0, 1}),
                     {7, 7, 6.5f});
        AddCapsule(out, {thigh[s], kSkin, 12, 10}, at(hip, g), at(knee, g), 9.5f, 8.0f);
        AddCapsule(out, {shin[s], kSkin, 12, 10}, at(knee, g), at(ankle, g), 8.0f, 7.0f);
        AddEllipsoid(out, {foot[s], kSkin, 14, 8}, FrameAlong(at({13, -6, 4.5f}, g), {0, 0, 1}),
                     {8.5f, 12, 4.5f});
    }
    // Tail: three tapering segments and a pale tip.
    AddCapsule(out, {tail[0], kSkin, 10, 8}, tailJoints[0], tailJoints[1], 6.0f, 5.0f);
    AddCapsule(out, {tail[1], kSkin, 10, 8}, tailJoints[1], tailJoints[2], 5.0f, 4.0f);
    AddCapsule(out, {tail[2], kSkin, 10, 8}, tailJoints[2], tailJoints[3], 4.0f, 3.0f);
    AddEllipsoid(out, {tail[2], kBelly, 12, 8}, FrameAlong({0, 46.5f, 56}, {0, 0.3f, 1}),
                 {6, 6, 7.5f});

    // One run of triangles per material keeps the material table short.
    std::stable_sort(out.begin(), out.end(), [](const SmdTriangle& l, const SmdTriangle& r) {
        return l.material < r.material;
    });
    return c;
}

Image8 MaterialTexture(const Material& material, int index) {
    const int size = 64;
    Image8 image;
    image.Resize(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float fx = static_cast<float>(x), fy = static_cast<float>(y);
            // Gentle mottling and a slight darkening towards the bottom.
            float n = Fbm2(fx / 8.0f, fy / 8.0f, 3, 0.5f, 900 + static_cast<uint32_t>(index));
            float shade = 0.9f + 0.2f * n - 0.08f * fy / size;
            Rgb c{material.color.r * shade, material.color.g * shade, material.color.b * shade};
            if (index == kEye || index == kPupil) {
                // A soft highlight near the top: a catch light on eyes.
                float dx = fx - 40.0f, dy = fy - 14.0f;
                float spot = std::exp(-(dx * dx + dy * dy) / 40.0f);
                c = {c.r + (1 - c.r) * spot, c.g + (1 - c.g) * spot, c.b + (1 - c.b) * spot};
            }
            image.Set(x, y, c);
        }
    return image;
}

}  // namespace assetgen
