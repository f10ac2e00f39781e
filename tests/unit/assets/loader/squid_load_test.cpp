// The Lantern Squid read through the program's loaders from the run folder,
// by paths with spaces and parentheses, and played clip by clip.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "model/skin_vertex.h"
#include "platform/files.h"
#include "platform/gfx/image/image.h"
#include "run_folder_fixture.h"

namespace {

// Forward slashes as a user would type them; backslashes as the program's
// own paths are written. The last clip holds the first 13 bones only.
const char* const kClips[] = {"Model/SMD/Lantern Squid/Ani Squid (Swim).smd",
                              "Model\\SMD\\Lantern Squid\\Ani Squid (Strike).smd",
                              "Model/SMD/Lantern Squid/Ani Squid (Look Around).smd"};
constexpr int kShortClip = 2, kShortClipBones = 13;

class Squid : public GeneratedAssets {
protected:
    void Load() {
        ASSERT_TRUE(
            model_->LoadReference(device_, "Model/SMD/Lantern Squid/Ref Squid.smd", Context()));
        for (const char* clip : kClips) ASSERT_TRUE(model_->LoadAnimation(clip, Context())) << clip;
        ASSERT_TRUE(Shown().empty()) << Shown().front();
    }
    std::vector<Matrix4> BoneMatrices() const {
        const ModelMesh& mesh = model_->meshes[0];
        std::vector<Matrix4> out;
        for (int b = 0; b < mesh.boneCount; ++b) out.push_back(mesh.bones[b].absoluteMatrix);
        return out;
    }
};

TEST_F(Squid, LoadsEveryFileAndEveryTextureDecodes) {
    Load();
    const ModelMesh& mesh = model_->meshes[0];
    EXPECT_EQ(mesh.boneCount, 59);
    EXPECT_TRUE(mesh.IsDrawable());
    ASSERT_EQ(mesh.textureCount, 6);
    for (int i = 0; i < mesh.textureCount; ++i) {
        SCOPED_TRACE(mesh.texturePaths[i]);
        EXPECT_NE(mesh.textures[i], nullptr);
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(ReadFileBytes(mesh.texturePaths[i], file_limits::kTexture, &bytes, &error))
            << error;
        gfx::image::RgbaImage image;
        gfx::image::TextureLimits limits;
        limits.maxEdge = 16384;
        EXPECT_TRUE(gfx::image::DecodeImage(bytes.data(), bytes.size(), limits, &image, &error))
            << error;
        EXPECT_GE(image.width * image.height, 400u);
    }
}

// Every clip, blended the program's linear way, keeps the squid whole and
// near its bind-pose box; the short clip leaves the bones it lacks as they
// were, whether at the bind pose or where an earlier clip left them.
TEST_F(Squid, EveryClipPlaysAndTheShortOneKeepsTheOtherBones) {
    Load();
    const ModelMesh& mesh = model_->meshes[0];
    ASSERT_EQ(model_->clips[kShortClip].boneCount, kShortClipBones);
    for (int c : {kShortClip, 0, 1, kShortClip}) {
        const std::vector<Matrix4> before = BoneMatrices();
        bool upperMoved = false;
        const int frames = model_->clips[c].frameCount;
        for (int call = 0; call < frames * 2 + 2; ++call) {
            ASSERT_TRUE(model_->UpdateAndDraw(device_, 3, 0, frames, 0.5f, c));
            gfx::recording::GetRecorder().calls.clear();
            const std::vector<Matrix4> now = BoneMatrices();
            for (int b = 0; b < kShortClipBones; ++b)
                upperMoved = upperMoved || std::memcmp(&now[b], &before[b], sizeof(Matrix4)) != 0;
            for (int b = kShortClipBones; c == kShortClip && b < mesh.boneCount; ++b)
                ASSERT_EQ(std::memcmp(&now[b], &before[b], sizeof(Matrix4)), 0)
                    << "bone " << b << " call " << call;
            const std::vector<uint8_t>& bytes = gfx::recording::ContentsOf(mesh.vertexBuffer);
            ASSERT_EQ(bytes.size(), static_cast<size_t>(mesh.vertexCount) * sizeof(SkinVertex));
            for (size_t i = 0; i < bytes.size() / sizeof(SkinVertex); ++i) {
                SkinVertex v;
                std::memcpy(&v, bytes.data() + i * sizeof(SkinVertex), sizeof v);
                ASSERT_TRUE(std::fabs(v.position.x - 45) < 260 &&
                            std::fabs(v.position.y - 80) < 260 && v.position.z > -10 &&
                            v.position.z < 520)
                    << "clip " << c << " call " << call << " vertex " << i;
            }
        }
        EXPECT_TRUE(upperMoved) << "clip " << c;
    }
}

}  // namespace
