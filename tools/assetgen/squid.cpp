#include "assetgen/squid.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "assetgen/mesh_parts.h"
#include "assetgen/noise.h"
#include "assetgen/skeleton_builder.h"

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kDegrees = kPi / 180.0f;

enum Material { kSkin, kUnder, kEye, kPupil, kLamp, kFin };

// The body axis: everything is placed around this point, not the origin.
const Vector3 kBody{45, 70, 240};
const Vector3 kHeadCentre = kBody + Vector3{0, -4, 22};
constexpr float kRingRadius = 26.0f;  // where the arms leave the body
constexpr float kRingHeight = -8.0f;  // below the body joint

struct LimbShape {
    int segments;
    float firstAngle;  // degrees from straight down of the first segment
    float angleStep;   // each segment leans this much further out
    float firstLength, lengthStep;
    float baseRadius, tipRadius;
    int slices, stacks;
};

const LimbShape kArm{5, 24, 11, 50, -2.5f, 12, 2.8f, 9, 7};
const LimbShape kTentacle{8, 20, 3, 30, 0, 7, 3.2f, 8, 6};

// Joints of a limb leaving the ring at azimuth (degrees from +X towards +Y),
// curling outward as it hangs.
std::vector<Vector3> LimbJoints(const LimbShape& shape, float azimuth) {
    const Vector3 radial{std::cos(azimuth * kDegrees), std::sin(azimuth * kDegrees), 0};
    std::vector<Vector3> joints{kBody + radial * kRingRadius + Vector3{0, 0, kRingHeight}};
    for (int k = 0; k < shape.segments; ++k) {
        float lean = (shape.firstAngle + shape.angleStep * static_cast<float>(k)) * kDegrees;
        float length = shape.firstLength + shape.lengthStep * static_cast<float>(k);
        joints.push_back(joints.back() +
                         (radial * std::sin(lean) + Vector3{0, 0, -std::cos(lean)}) * length);
    }
    return joints;
}

float LimbRadius(const LimbShape& shape, float along) {  // along: 0 at the base, 1 at the tip
    return shape.baseRadius + (shape.tipRadius - shape.baseRadius) * along;
}

// A point on the side of a tapered capsule (AddCapsule's shape) at the
// fraction along of the way from its joint a to b, on the side given by the
// direction side, and the outward normal there.
void CapsuleSurface(const Vector3& a, const Vector3& b, float radiusA, float radiusB,
                    const Vector3& side, float along, Vector3* point, Vector3* normal) {
    const Vector3 axis = Vec3Normalize(b - a);
    const Vector3 across = Vec3Normalize(side - axis * Vec3Dot(side, axis));
    // The side line touches both end spheres where their normals lean
    // towards the thinner end by this angle.
    const float lean = std::asin((radiusA - radiusB) / Vec3Length(b - a));
    *normal = across * std::cos(lean) + axis * std::sin(lean);
    const Vector3 onA = a + *normal * radiusA, onB = b + *normal * radiusB;
    *point = onA + (onB - onA) * along;
}

struct Squid {
    Character c;
    SkeletonBuilder b{&c};

    // An arm carries suckers; a tentacle is bare and ends in a club.
    void Limb(const std::string& name, const LimbShape& shape, float azimuth, bool arm) {
        const std::vector<Vector3> joints = LimbJoints(shape, azimuth);
        const Vector3 radial{std::cos(azimuth * kDegrees), std::sin(azimuth * kDegrees), 0};
        std::string parent = "Body";
        const float last = static_cast<float>(shape.segments);
        for (int k = 0; k < shape.segments; ++k) {
            std::string bone = name + " " + std::to_string(k + 1);
            int index = b.Aimed(bone, parent, joints[k], joints[k + 1]);
            parent = bone;
            float r0 = LimbRadius(shape, static_cast<float>(k) / last);
            float r1 = LimbRadius(shape, static_cast<float>(k + 1) / last);
            AddCapsule(c.triangles, {index, kSkin, shape.slices, shape.stacks}, joints[k],
                       joints[k + 1], r0, r1);
            if (!arm) continue;
            // Two suckers on the side that faces the body axis and the ground.
            Vector3 along = Vec3Normalize(joints[k + 1] - joints[k]);
            Vector3 inner = Vec3Normalize(radial * -1.0f - along * Vec3Dot(radial * -1.0f, along));
            for (float t : {0.3f, 0.75f}) {
                float r = r0 + (r1 - r0) * t;
                Vector3 centre = joints[k] + (joints[k + 1] - joints[k]) * t + inner * (r * 0.82f);
                AddEllipsoid(c.triangles, {index, kUnder, 6, 3}, FrameAlong(centre, inner),
                             {r * 0.42f, r * 0.42f, r * 0.22f});
            }
        }
        if (arm) return;
        Vector3 tip = joints.back(), before = joints[joints.size() - 2];
        Vector3 along = Vec3Normalize(tip - before);
        AddEllipsoid(c.triangles, {static_cast<int>(c.bones.size()) - 1, kUnder, 10, 8},
                     FrameAlong(tip - along * 4.0f, along), {7.5f, 6.5f, 15});
    }
};

}  // namespace

Character BuildSquid() {
    Squid s;
    Character& c = s.c;
    const SkeletonBuilder& b = s.b;
    c.materials = {
        {"Squid_Skin.bmp", {0.56f, 0.22f, 0.60f}}, {"Squid_Under.tga", {0.96f, 0.74f, 0.72f}},
        {"Squid_Eye.png", {0.98f, 0.84f, 0.32f}},  {"Squid_Pupil.bmp", {0.05f, 0.04f, 0.08f}},
        {"Squid_Lamp.tga", {0.36f, 0.95f, 0.98f}}, {"Squid_Fin.png", {0.74f, 0.40f, 0.82f}}};
    std::vector<SmdTriangle>& out = c.triangles;

    // The upper bones first (kSquidUpperBones of them), then the limbs.
    b.Bone("Root", "", {0, 0, 0});
    int body = b.Bone("Body", "Root", kBody);
    int head = b.Bone("Head", "Body", kBody + Vector3{0, -2, 10});
    const char* sideName[2] = {"L", "R"};
    int socket[2], eye[2];
    Vector3 eyeDirection[2];
    for (int side = 0; side < 2; ++side) {
        float g = side == 0 ? 1.0f : -1.0f;
        eyeDirection[side] = Vec3Normalize({0.72f * g, -0.62f, 0.12f});
        const Vector3& d = eyeDirection[side];
        socket[side] = b.Aimed(std::string("Eye Socket ") + sideName[side], "Head",
                               kHeadCentre + d * 20.0f, kHeadCentre + d * 34.0f);
        eye[side] = b.Aimed(std::string("Eye ") + sideName[side], c.bones[socket[side]].name,
                            kHeadCentre + d * 27.0f, kHeadCentre + d * 44.0f);
    }
    const Vector3 siphonBase = kHeadCentre + Vector3{0, -24, -20},
                  siphonTip = kHeadCentre + Vector3{0, -42, -30};
    int siphon = b.Aimed("Siphon", "Head", siphonBase, siphonTip);
    const Vector3 mantleJoints[4] = {kBody + Vector3{0, 2, 45}, kBody + Vector3{0, 8, 105},
                                     kBody + Vector3{0, 14, 160}, kBody + Vector3{0, 18, 214}};
    int mantle[3];
    for (int m = 0; m < 3; ++m)
        mantle[m] = b.Aimed("Mantle " + std::to_string(m + 1),
                            m == 0 ? "Body" : c.bones[mantle[m - 1]].name, mantleJoints[m],
                            mantleJoints[m + 1]);
    // The fins sit near the tip of the mantle, one on each side.
    const Vector3 finRoot = mantleJoints[2] + (mantleJoints[3] - mantleJoints[2]) * 0.4f;
    int fin[2];
    for (int side = 0; side < 2; ++side) {
        float g = side == 0 ? 1.0f : -1.0f;
        fin[side] = b.Aimed(std::string("Fin ") + sideName[side], "Mantle 3",
                            finRoot + Vector3{12 * g, 0, 0}, finRoot + Vector3{60 * g, 0, 3});
    }
    // Six arms spaced round the ring, mirror pairs through x = 45; the two
    // tentacles in front.
    const float armAzimuths[6] = {-35, 15, 65, 115, 165, 215};
    for (int a = 0; a < 6; ++a) s.Limb("Arm " + std::to_string(a + 1), kArm, armAzimuths[a], true);
    s.Limb("Tentacle L", kTentacle, -70, false);
    s.Limb("Tentacle R", kTentacle, -110, false);

    // Head, eyes set into its sides, the siphon under the chin.
    AddEllipsoid(out, {head, kSkin, 24, 16}, FrameAlong(kHeadCentre, {0, 0, 1}), {36, 34, 34});
    for (int side = 0; side < 2; ++side) {
        const Vector3& d = eyeDirection[side];
        AddEllipsoid(out, {socket[side], kSkin, 14, 8},
                     FrameAlong(kHeadCentre + d * 24.0f + Vector3{0, 0, 11}, d), {17, 8, 8});
        AddEllipsoid(out, {eye[side], kEye, 16, 10}, FrameAlong(kHeadCentre + d * 29.0f, d),
                     {15, 15, 11});
        AddEllipsoid(out, {eye[side], kPupil, 12, 6}, FrameAlong(kHeadCentre + d * 39.0f, d),
                     {6.5f, 9, 3});
    }
    AddCapsule(out, {siphon, kUnder, 10, 8}, siphonBase, siphonTip, 8, 5);
    // Ring under the head where the limbs meet.
    AddEllipsoid(out, {body, kSkin, 24, 10},
                 FrameAlong(kBody + Vector3{0, 0, kRingHeight}, {0, 0, 1}),
                 {kRingRadius + 10, kRingRadius + 10, 18});

    // Mantle: a cone of three tapered segments ending in a point, glowing
    // spots on the lower two, a fin on each side of the top one.
    const float mantleRadii[4] = {40, 35, 26, 4};
    for (int m = 0; m < 3; ++m) {
        AddCapsule(out, {mantle[m], kSkin, 24, 14}, mantleJoints[m], mantleJoints[m + 1],
                   mantleRadii[m], mantleRadii[m + 1]);
        if (m == 2) continue;
        for (int spot = 0; spot < 5; ++spot) {
            float azimuth =
                (30.0f + 72.0f * static_cast<float>(spot) + 36.0f * static_cast<float>(m)) *
                kDegrees;
            Vector3 point, normal;
            CapsuleSurface(mantleJoints[m], mantleJoints[m + 1], mantleRadii[m], mantleRadii[m + 1],
                           {std::cos(azimuth), std::sin(azimuth), 0}, 0.5f, &point, &normal);
            AddEllipsoid(out, {mantle[m], kLamp, 8, 4}, FrameAlong(point - normal * 1.0f, normal),
                         {5.5f, 5.5f, 2.4f});
        }
    }
    for (int side = 0; side < 2; ++side) {
        // Flat, along the mantle: x outwards, y its thickness, z upwards.
        PartFrame frame;
        frame.origin = finRoot + Vector3{(side == 0 ? 1.0f : -1.0f) * 30, 0, 2};
        AddEllipsoid(out, {fin[side], kFin, 16, 10}, frame, {30, 3.5f, 40});
    }

    // One run of triangles per material.
    std::stable_sort(out.begin(), out.end(), [](const SmdTriangle& l, const SmdTriangle& r) {
        return l.material < r.material;
    });
    return c;
}

Image8 SquidTexture(const Character& squid, int material) {
    // Sizes differ on purpose: square and not, powers of two and not, a BMP
    // row (30 × 3 bytes) that needs padding.
    struct Size {
        int width, height;
    };
    const Size sizes[6] = {{128, 128}, {64, 64}, {64, 32}, {30, 20}, {32, 32}, {96, 48}};
    const Size size = material >= 0 && material < 6 ? sizes[material] : Size{16, 16};
    const Rgb base = material >= 0 && static_cast<size_t>(material) < squid.materials.size()
                         ? squid.materials[static_cast<size_t>(material)].color
                         : Rgb{1, 1, 1};
    Image8 image;
    image.Resize(size.width, size.height);
    const uint32_t seed = 1700 + static_cast<uint32_t>(material);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(size.width);
            float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(size.height);
            float n = Fbm2(u * 8.0f, v * 8.0f, 3, 0.5f, seed);
            float shade = 0.85f + 0.3f * n;
            if (material == kSkin) {
                // Chromatophores: dark freckles where the noise peaks.
                float freckle = Fbm2(u * 24.0f, v * 24.0f, 2, 0.5f, seed + 50);
                if (freckle > 0.68f) shade *= 0.55f;
            } else if (material == kLamp || material == kEye) {
                // A bright centre fading out: glowing spots, a lit iris.
                float dx = u - 0.5f, dy = v - 0.5f;
                shade += 0.6f * std::exp(-(dx * dx + dy * dy) * 18.0f);
            } else if (material == kFin) {
                shade *= 0.85f + 0.15f * std::sin(u * 6.0f * 2.0f * kPi);  // ribs
            }
            image.Set(x, y, {base.r * shade, base.g * shade, base.b * shade});
        }
    return image;
}

}  // namespace assetgen
