#include "assetgen/worm.h"

#include <algorithm>
#include <cmath>

#include "assetgen/mesh_parts.h"
#include "assetgen/noise.h"
#include "assetgen/skeleton_builder.h"

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kDegrees = kPi / 180.0f;

enum Material { kSkin, kEye };

// The joints of the chain tail to head; each bone reaches to the next joint.
const Vector3 kJoints[6] = {{-45, 0, 12}, {-25, 0, 12}, {-5, 0, 12},
                            {15, 0, 12},  {35, 0, 13},  {55, 0, 15}};
const char* const kChain[5] = {"Tail", "Body 1", "Body 2", "Neck", "Head"};
constexpr int kFirstChainBone = 1;  // bone 0 is the implicit root
const Vector3 kHeadCentre{44, 0, 15};

// The exporter writes weights with six decimals.
float Rounded(float weight) { return std::round(weight * 1e6f) / 1e6f; }

// Links of a body vertex at x: each chain bone weighs by the distance of x
// from the middle of its segment (up to three bones reach a vertex).
std::vector<SmdLink> BodyLinks(float x) {
    float weights[5], sum = 0.0f;
    for (int k = 0; k < 5; ++k) {
        float middle = (kJoints[k].x + kJoints[k + 1].x) * 0.5f;
        float reach = std::max(0.0f, 1.0f - std::fabs(x - middle) / 26.0f);
        weights[k] = reach * reach;
        sum += weights[k];
    }
    if (sum <= 0.0f) {  // past either end: the last bone
        weights[x < 0 ? 0 : 4] = 1.0f;
        sum = 1.0f;
    }
    std::vector<SmdLink> links;
    for (int k = 0; k < 5; ++k) {
        float weight = Rounded(weights[k] / sum);
        if (weight > 0.0f) links.push_back({kFirstChainBone + k, weight});
    }
    return links;
}

}  // namespace

Character BuildWorm() {
    Character c;
    SkeletonBuilder b{&c};
    c.materials = {{"WormSkin.png", {0.55f, 0.42f, 0.30f}}, {"WormEye.tga", {0.95f, 0.85f, 0.25f}}};
    c.materialNamesWithoutExtension = true;
    // The implicit root the exporter adds for the mesh object, then the
    // armature's chain (a root of its own). Node id 3 is skipped.
    b.Bone("blender_implicit", "", {0, 0, 0});
    for (int k = 0; k < 5; ++k)
        b.Aimed(kChain[k], k == 0 ? "" : kChain[k - 1], kJoints[k], kJoints[k + 1]);
    c.nodeIds = {0, 1, 2, 4, 5, 6};
    c.firstKeyframe = 1;

    std::vector<SmdTriangle>& out = c.triangles;
    // The body: a long ellipsoid whose rings run along X, so that it bends
    // smoothly between the bones.
    AddEllipsoid(out, {0, kSkin, 16, 44}, FrameAlong({-6, 0, 12}, {1, 0, 0}), {8.5f, 8.5f, 46});
    for (SmdTriangle& t : out)
        for (SmdVertex& v : t.corners) v.links = BodyLinks(v.position.x);
    const size_t body = out.size();
    AddEllipsoid(out, {0, kSkin, 20, 14}, FrameAlong(kHeadCentre, {1, 0, 0.15f}), {12, 10, 11});
    for (float side : {1.0f, -1.0f}) {
        Vector3 direction = Vec3Normalize({0.55f, -0.6f * side, 0.58f});
        AddEllipsoid(out, {0, kEye, 12, 8}, FrameAlong(kHeadCentre + direction * 10.0f, direction),
                     {3.6f, 3.6f, 2.4f});
    }
    const int head = FindBone(c, "Head");
    for (size_t t = body; t < out.size(); ++t)
        for (SmdVertex& v : out[t].corners) v.links = {{head, 1.0f}};

    std::stable_sort(out.begin(), out.end(), [](const SmdTriangle& l, const SmdTriangle& r) {
        return l.material < r.material;
    });
    return c;
}

std::vector<Clip> BuildWormClips(const Character& worm) {
    // Each chain bone turns about its own y axis (horizontal, across the
    // body), so the wave runs up and down; the phase lags towards the head.
    Clip clip;
    clip.name = "crawl";
    const int frames = 32;
    const std::vector<Matrix4> bind = BindLocals(worm);
    for (int f = 0; f < frames; ++f) {
        float w = 2.0f * kPi * static_cast<float>(f) / static_cast<float>(frames);
        std::vector<Matrix4> locals = bind;
        for (int k = 0; k < 5; ++k) {
            float degrees = k == 4 ? 18.0f * std::sin(w - 3.6f)
                                   : 14.0f * std::sin(w - 0.9f * static_cast<float>(k));
            size_t bone = static_cast<size_t>(kFirstChainBone) + static_cast<size_t>(k);
            locals[bone] = MatrixRotationY(degrees * kDegrees) * locals[bone];
        }
        clip.locals.push_back(locals);
    }
    return {clip};
}

Image8 WormTexture(const Character& worm, int material) {
    const int width = material == kSkin ? 64 : 16, height = material == kSkin ? 32 : 16;
    const Rgb base = material >= 0 && static_cast<size_t>(material) < worm.materials.size()
                         ? worm.materials[static_cast<size_t>(material)].color
                         : Rgb{1, 1, 1};
    Image8 image;
    image.Resize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width);
            float shade = 0.85f + 0.25f * Fbm2(u * 6.0f, static_cast<float>(y) / 8.0f, 3, 0.5f,
                                               2100u + material);
            if (material == kSkin) shade *= 0.8f + 0.2f * std::cos(u * 24.0f * kPi);  // rings
            image.Set(x, y, {base.r * shade, base.g * shade, base.b * shade});
        }
    return image;
}

}  // namespace assetgen
