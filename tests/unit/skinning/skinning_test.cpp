// Every skinning path this processor runs gives, bit for bit, what the plain
// point and normal transforms give, and writes nothing past its corners.
#include "model/skinning.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <vector>

#include "model/skinned_model.h"
#include "platform/gfx/recording/recorder.h"

namespace {

using skinning::Path;

// What skinning means: Vec3TransformCoord for the position, Vec3TransformNormal
// for the normal, the corner as it is when its bone does not exist.
std::vector<SkinVertex> Expected(const std::vector<MeshTriangle>& triangles, const std::vector<Bone>& bones) {
    std::vector<SkinVertex> out;
    for (const MeshTriangle& t : triangles) {
        for (int s = 0; s < 3; ++s) {
            int b = t.boneIndices[s];
            if (b < 0 || b >= int(bones.size())) {
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
void ExpectPathMatches(Path path, const std::vector<MeshTriangle>& triangles, const std::vector<Bone>& bones) {
    SCOPED_TRACE(skinning::PathName(path));
    const std::vector<SkinVertex> expected = Expected(triangles, bones);
    std::vector<SkinVertex> out(expected.size() + 2);
    std::memset(static_cast<void*>(out.data()), 0xA5, out.size() * sizeof(SkinVertex));
    skinning::SkinCorners(path, triangles.data(), int(triangles.size()), bones.data(), int(bones.size()),
                          out.data());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(std::memcmp(&out[i], &expected[i], sizeof(SkinVertex)), 0) << "corner " << i;
    for (size_t i = expected.size(); i < out.size(); ++i)
        for (size_t k = 0; k < sizeof(SkinVertex); ++k)
            ASSERT_EQ(reinterpret_cast<const uint8_t*>(&out[i])[k], 0xA5) << "written past the corners";
}

std::vector<Path> SupportedPaths() {
    std::vector<Path> paths;
    for (Path p : {Path::Scalar, Path::Sse2, Path::Avx2})
        if (skinning::Supports(p)) paths.push_back(p);
    return paths;
}

// Blended bone matrices, but also general ones (w away from 1, negative,
// tiny), signed zeros and corners whose bone does not exist.
TEST(Skinning, EveryPathEqualsThePlainTransformsOnRandomData) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-50.0f, 50.0f);
    std::vector<Bone> bones(37);
    for (size_t b = 0; b < bones.size(); ++b) {
        Matrix4 a = MatrixRotationYawPitchRoll(value(random), value(random), value(random)) *
                    MatrixTranslation(value(random), value(random), value(random));
        Matrix4 c = MatrixRotationX(value(random)) * MatrixTranslation(value(random), 0, value(random));
        float blend = std::uniform_real_distribution<float>(0.0f, 1.01f)(random);
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                bones[b].absoluteMatrix.m[r][k] = (1.0f - blend) * a.m[r][k] + blend * c.m[r][k];
        if (b % 5 == 4) {
            for (int r = 0; r < 4; ++r) bones[b].absoluteMatrix.m[r][3] = value(random) * (b % 2 ? 1e-3f : 1.0f);
        }
    }
    std::vector<MeshTriangle> triangles(1001);
    for (size_t t = 0; t < triangles.size(); ++t) {
        for (int s = 0; s < 3; ++s) {
            int bone = int(random() % (bones.size() + 2)) - 1;  // -1 and 37 do not exist
            triangles[t].boneIndices[s] = bone;
            triangles[t].vertices[s] = {{value(random), value(random), t % 9 ? value(random) : -0.0f},
                                        {value(random), t % 7 ? value(random) : -0.0f, value(random)}};
        }
    }
    for (Path path : SupportedPaths()) ExpectPathMatches(path, triangles, bones);
    EXPECT_TRUE(skinning::Supports(skinning::BestPath()));
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
        ASSERT_TRUE(model.LoadReference(device, "Model\\SMD\\Pudo_Red\\Ref_Red.smd", LoadContext{}));
        ASSERT_TRUE(model.LoadAnimation("Model\\SMD\\Pudo_Red\\Ani_Red(Attack).smd", LoadContext{}));
        for (int sample = 0; sample < 5; ++sample) {
            for (int step = 0; step < 23; ++step) {
                ASSERT_TRUE(model.UpdateAndDraw(device, gfx::D3DFILL_SOLID, 0, model.clips[0].frameCount, 0.01f, 0));
                gfx::recording::GetRecorder().calls.clear();
            }
            for (int m = 0; m < model.meshCount; ++m) {
                const ModelMesh& mesh = model.meshes[m];
                std::vector<MeshTriangle> triangles(mesh.triangles, mesh.triangles + mesh.triangleCount);
                std::vector<Bone> bones(mesh.bones, mesh.bones + mesh.boneCount);
                for (Path path : SupportedPaths()) ExpectPathMatches(path, triangles, bones);
            }
        }
    }
    device->Release();
    ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
