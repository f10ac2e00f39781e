// Every skinning path this processor runs gives, bit for bit, what the plain
// point and normal transforms give, and writes nothing past its corners.
#include "model/skinning.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "model/shared_corners.h"
#include "model/skinned_model.h"
#include "platform/gfx/recording/recorder.h"

namespace {

using skinning::Path;

// The guard pattern of the output buffers: bytes nothing may write.
constexpr uint8_t kGuard = 0xA5;

SkinVertex GuardVertex() {
    SkinVertex v;
    std::memset(static_cast<void*>(&v), kGuard, sizeof v);
    return v;
}

// What skinning means: Vec3TransformCoord for the position, Vec3TransformNormal
// for the normal, the corner as it is when its bone does not exist, nothing
// for a linked corner.
std::vector<SkinVertex> Expected(const std::vector<MeshTriangle>& triangles,
                                 const std::vector<Bone>& bones) {
    std::vector<SkinVertex> out;
    for (const MeshTriangle& t : triangles) {
        for (int s = 0; s < 3; ++s) {
            int b = t.boneIndices[s];
            if (b == skinning::kLinkedCorner) {
                out.push_back(GuardVertex());
            } else if (b < 0 || b >= int(bones.size())) {
                out.push_back(t.vertices[s]);
            } else {
                const Matrix4& m = bones[size_t(b)].absoluteMatrix;
                out.push_back({Vec3TransformCoord(t.vertices[s].position, m),
                               Vec3TransformNormal(t.vertices[s].normal, m)});
            }
        }
    }
    return out;
}

// Skins with path into a buffer with guard bytes after the corners.
void ExpectPathMatches(Path path, const std::vector<MeshTriangle>& triangles,
                       const std::vector<Bone>& bones) {
    SCOPED_TRACE(skinning::PathName(path));
    const std::vector<SkinVertex> expected = Expected(triangles, bones);
    std::vector<SkinVertex> out(expected.size() + 2, GuardVertex());
    skinning::SkinCorners(path, triangles.data(), int(triangles.size()), bones.data(),
                          int(bones.size()), out.data());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(std::memcmp(&out[i], &expected[i], sizeof(SkinVertex)), 0) << "corner " << i;
    for (size_t i = expected.size(); i < out.size(); ++i)
        for (size_t k = 0; k < sizeof(SkinVertex); ++k)
            ASSERT_EQ(reinterpret_cast<const uint8_t*>(&out[i])[k], kGuard)
                << "written past the corners";
}

std::vector<Path> SupportedPaths() {
    std::vector<Path> paths;
    for (Path p : {Path::Scalar, Path::Sse2, Path::Avx2})
        if (skinning::Supports(p)) paths.push_back(p);
    return paths;
}

// Blended bone matrices, but also general ones (w away from 1, negative,
// tiny), signed zeros, infinite and NaN positions, corners whose bone does
// not exist and linked corners (left for the linked pass).
TEST(Skinning, EveryPathEqualsThePlainTransformsOnRandomData) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-50.0f, 50.0f);
    std::vector<Bone> bones(37);
    for (size_t b = 0; b < bones.size(); ++b) {
        Matrix4 a = MatrixRotationYawPitchRoll(value(random), value(random), value(random)) *
                    MatrixTranslation(value(random), value(random), value(random));
        Matrix4 c =
            MatrixRotationX(value(random)) * MatrixTranslation(value(random), 0, value(random));
        float blend = std::uniform_real_distribution<float>(0.0f, 1.01f)(random);
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                bones[b].absoluteMatrix.m[r][k] = (1.0f - blend) * a.m[r][k] + blend * c.m[r][k];
        if (b % 5 == 4) {
            for (int r = 0; r < 4; ++r)
                bones[b].absoluteMatrix.m[r][3] = value(random) * (b % 2 ? 1e-3f : 1.0f);
        }
    }
    std::vector<MeshTriangle> triangles(1001);
    for (size_t t = 0; t < triangles.size(); ++t) {
        for (int s = 0; s < 3; ++s) {
            int bone =
                int(random() % (bones.size() + 3)) - 2;  // -1 and 37 do not exist, -2 is linked
            triangles[t].boneIndices[s] = bone;
            triangles[t].vertices[s] = {
                {value(random), value(random), t % 9 ? value(random) : -0.0f},
                {value(random), t % 7 ? value(random) : -0.0f, value(random)}};
        }
        // Corners that are not finite: w is NaN even on a rigid bone.
        if (t % 97 == 3) triangles[t].vertices[t % 3].position.y = INFINITY;
        if (t % 89 == 5) triangles[t].vertices[t % 3].position.z = NAN;
    }
    for (Path path : SupportedPaths()) ExpectPathMatches(path, triangles, bones);
    EXPECT_TRUE(skinning::Supports(skinning::BestPath()));

    // A mesh large enough for the loops that fetch triangles ahead, to its end.
    std::vector<MeshTriangle> large;
    while (large.size() < 40000) large.insert(large.end(), triangles.begin(), triangles.end());
    for (Path path : SupportedPaths()) ExpectPathMatches(path, large, bones);
}

// Weight links in double precision: the corner's model-space bind position
// times the weight-blended inverse bind × pose of its bones, affine.
struct Dmat {
    double m[4][4];
};

Dmat Product(const Matrix4& a, const Matrix4& b) {
    Dmat out{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k) out.m[r][c] += double(a.m[r][k]) * double(b.m[k][c]);
    return out;
}

void ExpectLinkedNear(const skinning::LinkedCorners& linked, const std::vector<Bone>& bones,
                      size_t i, const SkinVertex& actual) {
    Dmat blend{};
    for (uint32_t l = linked.linkStart[i]; l < linked.linkStart[i + 1]; ++l) {
        const skinning::Link& link = linked.links[l];
        Dmat s =
            Product(linked.inverseBind[size_t(link.bone)], bones[size_t(link.bone)].absoluteMatrix);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) blend.m[r][c] += link.weight * s.m[r][c];
    }
    const SkinVertex& in = linked.bindPose[i];
    const double p[3] = {in.position.x, in.position.y, in.position.z};
    const double n[3] = {in.normal.x, in.normal.y, in.normal.z};
    const float got[6] = {actual.position.x, actual.position.y, actual.position.z,
                          actual.normal.x,   actual.normal.y,   actual.normal.z};
    for (int c = 0; c < 3; ++c) {
        double position = blend.m[3][c], normal = 0;
        for (int k = 0; k < 3; ++k) {
            position += p[k] * blend.m[k][c];
            normal += n[k] * blend.m[k][c];
        }
        EXPECT_NEAR(got[c], position, 2e-5 * (200 + std::fabs(position))) << "corner " << i;
        EXPECT_NEAR(got[3 + c], normal, 2e-5 * (200 + std::fabs(normal))) << "corner " << i;
    }
}

// Corners with one to six links, spread over a vertex buffer between
// corners no link drives; rigid bones blended as playback blends them.
TEST(Skinning, LinkedCornersBlendTheirBonesAndEveryPathAgreesBitForBit) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> value(-50.0f, 50.0f);
    auto rigid = [&] {
        return MatrixRotationYawPitchRoll(value(random), value(random), value(random)) *
               MatrixTranslation(value(random), value(random), value(random));
    };
    std::vector<Bone> bones(23);
    skinning::LinkedCorners linked;
    for (Bone& bone : bones) {
        Matrix4 a = rigid(), c = rigid();
        float blend = std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                bone.absoluteMatrix.m[r][k] = (1.0f - blend) * a.m[r][k] + blend * c.m[r][k];
        Matrix4 inverse;
        ASSERT_TRUE(MatrixInverse(rigid(), &inverse));
        linked.inverseBind.push_back(inverse);
    }
    const size_t vertices = 3000;
    for (uint32_t corner = 1; corner + 1 < vertices; corner += 1 + random() % 3) {
        const SkinVertex bind = {
            {value(random), value(random), corner % 11 ? value(random) : -0.0f},
            {value(random), corner % 13 ? value(random) : -0.0f, value(random)}};
        skinning::Link links[6];
        int count = 1 + int(random() % 6);
        float left = 1.0f;
        for (int l = 0; l < count; ++l) {
            float weight = l + 1 == count
                               ? left
                               : left * std::uniform_real_distribution<float>(0.1f, 0.9f)(random);
            left -= weight;
            links[l] = {int(random() % bones.size()), weight};
        }
        linked.Add(corner, bind, links, count);
    }
    linked.Finish();
    ASSERT_TRUE(linked.IsWhole());
    ASSERT_EQ(linked.countEnd.size(), 7u);

    std::vector<SkinVertex> scalar;
    for (Path path : SupportedPaths()) {
        SCOPED_TRACE(skinning::PathName(path));
        std::vector<SkinVertex> out(vertices, GuardVertex());
        skinning::SkinLinkedCorners(path, linked, bones.data(), int(bones.size()), out.data());
        if (path == Path::Scalar) {
            for (size_t i = 0; i < linked.corner.size(); ++i)
                ExpectLinkedNear(linked, bones, i, out[linked.corner[i]]);
            scalar = out;
        }
        // Every corner bit for bit as the scalar loop writes it; the corners
        // between them untouched.
        ASSERT_EQ(std::memcmp(out.data(), scalar.data(), vertices * sizeof(SkinVertex)), 0);
        const SkinVertex guard = GuardVertex();
        std::vector<bool> isLinked(vertices, false);
        for (uint32_t corner : linked.corner) isLinked[corner] = true;
        for (size_t v = 0; v < vertices; ++v) {
            if (isLinked[v]) continue;
            ASSERT_EQ(std::memcmp(&out[v], &guard, sizeof(SkinVertex)), 0) << "vertex " << v;
        }
    }

    // A skeleton other than the one the table was made for: the bind pose.
    std::vector<SkinVertex> out(vertices, GuardVertex());
    skinning::SkinLinkedCorners(linked, bones.data(), int(bones.size()) - 1, out.data());
    for (size_t i = 0; i < linked.corner.size(); ++i)
        ASSERT_EQ(std::memcmp(&out[linked.corner[i]], &linked.bindPose[i], sizeof(SkinVertex)), 0);
}

// Skinning the distinct corners once and copying them writes what skinning
// every corner writes; corners whose bytes differ (signed zeros, NaN
// payloads, bones) stay apart, and a mesh without repeats gets no table.
TEST(Skinning, SharedCornersWriteWhatSkinningEveryCornerWrites) {
    std::mt19937 random(7);
    std::vector<Bone> bones(4);
    for (size_t b = 0; b < bones.size(); ++b)
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                bones[b].absoluteMatrix.m[r][c] = r == c ? 1.0f : float(b + 1) * 0.25f * float(r);
    const float nanA = std::nanf("1"), nanB = std::nanf("2");
    const struct {
        int bone;
        Vector3 position;
    } pool[] = {
        {0, {1, 2, 3}},  {0, {0.0f, 1, 1}}, {0, {-0.0f, 1, 1}},
        {1, {1, 2, 3}},  {2, {nanA, 0, 0}}, {2, {nanB, 0, 0}},
        {-1, {4, 5, 6}}, {99, {4, 5, 6}},   {skinning::kLinkedCorner, {7, 8, 9}},
        {3, {1, 2, 3}},
    };
    constexpr size_t kPool = std::size(pool);
    // 300 triangles, and enough for the streaming stores of a buffer larger
    // than the caches, written from an aligned start and from one that is not.
    std::vector<MeshTriangle> triangles;
    for (int count : {300, 120000}) {
        triangles.assign(size_t(count), MeshTriangle{});
        for (MeshTriangle& t : triangles)
            for (int s = 0; s < 3; ++s) {
                const auto& corner = pool[random() % kPool];
                t.boneIndices[s] = corner.bone;
                t.vertices[s] = {corner.position, {0, 1, 0}};
            }
        const skinning::SharedCorners shared = skinning::ShareCorners(triangles.data(), count);
        ASSERT_FALSE(shared.Empty());
        EXPECT_EQ(shared.distinct.size(), (kPool + 2) / 3);  // every pool entry once
        const std::vector<SkinVertex> expected = Expected(triangles, bones);
        for (size_t start : {0, 1}) {
            SCOPED_TRACE(testing::Message() << count << " triangles, from vertex " << start);
            std::vector<SkinVertex> buffer(expected.size() + start + 1, GuardVertex());
            SkinVertex* out = buffer.data() + start;
            shared.Skin(bones.data(), int(bones.size()), out);
            for (size_t c = 0; c < expected.size(); ++c) {
                if (triangles[c / 3].boneIndices[c % 3] == skinning::kLinkedCorner) continue;
                ASSERT_EQ(std::memcmp(&out[c], &expected[c], sizeof(SkinVertex)), 0) << c;
            }
            const SkinVertex guard = GuardVertex();
            ASSERT_EQ(std::memcmp(&buffer.back(), &guard, sizeof guard), 0) << "written past";
        }
    }

    for (size_t t = 0; t < triangles.size(); ++t)
        for (int s = 0; s < 3; ++s) triangles[t].vertices[s].position.x = float(3 * t + size_t(s));
    EXPECT_TRUE(skinning::ShareCorners(triangles.data(), int(triangles.size())).Empty());
}

// The character as the program plays it: the reference and the Attack clip,
// bones blended at several points of the clip.
TEST(Skinning, EveryPathEqualsThePlainTransformsOnTheCharacter) {
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(RR_RUN_DIR), 0);
    gfx::Device* device = gfx::recording::CreateDevice();
    {
        SkinnedModel model;
        ASSERT_TRUE(
            model.LoadReference(device, "Model\\SMD\\Pudo_Red\\Ref_Red.smd", LoadContext{}));
        ASSERT_TRUE(
            model.LoadAnimation("Model\\SMD\\Pudo_Red\\Ani_Red(Attack).smd", LoadContext{}));
        for (int sample = 0; sample < 5; ++sample) {
            for (int step = 0; step < 23; ++step) {
                ASSERT_TRUE(model.UpdateAndDraw(device, gfx::D3DFILL_SOLID, 0,
                                                model.clips[0].frameCount, 0.01f, 0));
                gfx::recording::GetRecorder().calls.clear();
            }
            for (int m = 0; m < model.meshCount; ++m) {
                const ModelMesh& mesh = model.meshes[m];
                std::vector<MeshTriangle> triangles(mesh.triangles,
                                                    mesh.triangles + mesh.triangleCount);
                std::vector<Bone> bones(mesh.bones, mesh.bones + mesh.boneCount);
                for (Path path : SupportedPaths()) ExpectPathMatches(path, triangles, bones);
                // Its corners repeat: skinned once each, copied to the rest.
                ASSERT_FALSE(mesh.shared.Empty());
                std::vector<SkinVertex> out(triangles.size() * 3);
                mesh.SkinCorners(mesh.bones, out.data());
                const std::vector<SkinVertex> expected = Expected(triangles, bones);
                ASSERT_EQ(std::memcmp(out.data(), expected.data(), out.size() * sizeof(SkinVertex)),
                          0);
            }
        }
    }
    device->Release();
    ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
