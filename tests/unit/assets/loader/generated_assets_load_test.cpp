// The generated character and cube map, read the way the program reads them:
// from the run folder, by the program's relative paths, through the model
// loaders and a recording device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "model/skin_vertex.h"
#include "run_folder_fixture.h"

namespace {

TEST_F(GeneratedAssets, EveryFileLoadsWithoutAMessage) {
    EXPECT_TRUE(model_->LoadReference(device_, "Model\\SMD\\Pudo_Red\\Ref_Red.smd", Context()));
    for (const char* clip : {"Attack", "Run", "Stun"})
        EXPECT_TRUE(model_->LoadAnimation(
            (std::string("Model\\SMD\\Pudo_Red\\Ani_Red(") + clip + ").smd").c_str(), Context()))
            << clip;
    EXPECT_TRUE(Shown().empty()) << Shown().front();
    ASSERT_EQ(model_->meshCount, 1);
    ASSERT_EQ(model_->clipCount, 3);
    const ModelMesh& mesh = model_->meshes[0];
    EXPECT_GE(mesh.triangleCount, 3000);
    EXPECT_LE(mesh.triangleCount, 8000);
    EXPECT_TRUE(mesh.IsDrawable());
    // One material table entry per material, each texture found and created.
    ASSERT_EQ(mesh.textureCount, 4);
    for (int i = 0; i < mesh.textureCount; ++i) {
        EXPECT_NE(mesh.textures[i], nullptr) << mesh.texturePaths[i];
        EXPECT_EQ(std::strncmp(mesh.texturePaths[i], "Model\\SMD\\Pudo_Red\\Red_", 23), 0)
            << mesh.texturePaths[i];
    }
    const int frames[] = {30, 20, 30};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(model_->clips[c].frameCount, frames[c]);
        EXPECT_EQ(model_->clips[c].boneCount, mesh.boneCount);
    }
    gfx::CubeTexture* cube = nullptr;
    EXPECT_GE(device_->CreateCubeTextureFromFile("./Textures/Snow.dds", &cube), 0);
    if (cube) cube->Release();
}

// Every clip played through the program's linear matrix blend keeps the
// character whole: finite vertices, on the ground, of the right height.
TEST_F(GeneratedAssets, EveryClipPlaysIntoSaneVertices) {
    ASSERT_TRUE(model_->LoadReference(device_, "Model\\SMD\\Pudo_Red\\Ref_Red.smd", Context()));
    for (const char* clip : {"Attack", "Run", "Stun"})
        ASSERT_TRUE(model_->LoadAnimation(
            (std::string("Model\\SMD\\Pudo_Red\\Ani_Red(") + clip + ").smd").c_str(), Context()));
    const ModelMesh& mesh = model_->meshes[0];
    for (int c = 0; c < 3; ++c) {
        const int frames = model_->clips[c].frameCount;
        // A step of 0.5 visits every keyframe and the halfway blend of each
        // pair, where the linear blend shrinks a turning part the most.
        for (int call = 0; call < frames * 2 + 4; ++call) {
            ASSERT_TRUE(model_->UpdateAndDraw(device_, 3, 0, frames, 0.5f, c));
            gfx::recording::GetRecorder().calls.clear();  // thousands of draws per call
            const std::vector<uint8_t>& bytes = gfx::recording::ContentsOf(mesh.vertexBuffer);
            ASSERT_EQ(bytes.size(),
                      static_cast<size_t>(mesh.triangleCount) * 3 * sizeof(SkinVertex));
            float lowest = 1e9f, highest = -1e9f;
            for (size_t i = 0; i < bytes.size() / sizeof(SkinVertex); ++i) {
                SkinVertex v;
                std::memcpy(&v, bytes.data() + i * sizeof(SkinVertex), sizeof v);
                ASSERT_TRUE(std::isfinite(v.position.x) && std::isfinite(v.position.y) &&
                            std::isfinite(v.position.z));
                lowest = std::min(lowest, v.position.z);
                highest = std::max(highest, v.position.z);
            }
            EXPECT_GE(lowest, -4.0f) << "clip " << c << " call " << call;
            EXPECT_LE(lowest, 12.0f) << "clip " << c << " call " << call;
            EXPECT_GE(highest, 95.0f) << "clip " << c << " call " << call;
            EXPECT_LE(highest, 150.0f) << "clip " << c << " call " << call;
        }
    }
    EXPECT_TRUE(Shown().empty());
}

}  // namespace
