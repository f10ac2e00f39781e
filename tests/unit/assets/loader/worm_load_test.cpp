// The Puddle Worm through the program's loaders: a file written as today's
// most used exporter writes them loads without a note, finds its textures,
// and its mesh follows its bones through the weight links.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <unistd.h>

#include "model/skin_vertex.h"
#include "run_folder_fixture.h"

namespace {

std::vector<SkinVertex> Vertices(const ModelMesh& mesh) {
    const std::vector<uint8_t>& bytes = gfx::recording::ContentsOf(mesh.vertexBuffer);
    std::vector<SkinVertex> out(bytes.size() / sizeof(SkinVertex));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(SkinVertex));
    return out;
}

TEST_F(GeneratedAssets, WormLoadsAndItsMeshFollowsTheLinks) {
    ASSERT_TRUE(model_->LoadReference(device_, "Model/SMD/Puddle Worm/PuddleWorm.smd", Context()));
    ASSERT_TRUE(model_->LoadAnimation("Model/SMD/Puddle Worm/anims/crawl.smd", Context()));
    EXPECT_TRUE(report_.notes.empty()) << report_.notes.front();
    EXPECT_TRUE(Shown().empty());
    ModelMesh& mesh = model_->meshes[0];
    ASSERT_EQ(mesh.textureCount, 2);
    EXPECT_STREQ(mesh.texturePaths[0], "Model/SMD/Puddle Worm/WormSkin.png");
    EXPECT_STREQ(mesh.texturePaths[1], "Model/SMD/Puddle Worm/WormEye.tga");
    EXPECT_TRUE(mesh.textures[0] && mesh.textures[1]);
    // Every vertex line names the implicit root first: no corner follows it,
    // each follows its one bone or is blended from several.
    for (int t = 0; t < mesh.triangleCount; ++t)
        for (int bone : mesh.triangles[t].boneIndices) ASSERT_NE(bone, 0) << "triangle " << t;
    EXPECT_GT(mesh.linked.corner.size(), size_t(mesh.vertexCount) / 4);
    EXPECT_EQ(model_->clips[0].frameCount, 32);

    // The bind pose puts every blended corner where the file does; the clip's
    // second keyframe raises the head and leaves the tail end on the ground.
    ASSERT_TRUE(mesh.SkinMesh());
    const std::vector<SkinVertex> bind = Vertices(mesh);
    ASSERT_EQ(bind.size(), size_t(mesh.vertexCount));
    for (size_t i = 0; i < mesh.linked.corner.size(); ++i) {
        const Vector3 file = mesh.linked.bindPose[i].position;
        ASSERT_LT(Vec3Length(bind[mesh.linked.corner[i]].position - file), 1e-4f) << "corner " << i;
    }
    for (int call = 0; call < 152; ++call)
        ASSERT_TRUE(model_->UpdateAndDraw(device_, 3, 0, 32, 0.01f, 0));
    const std::vector<SkinVertex> moved = Vertices(mesh);
    float headRise = 0, tailRise = 0;
    for (size_t i = 0; i < bind.size(); ++i) {
        float rise = moved[i].position.z - bind[i].position.z;
        if (bind[i].position.x > 40) headRise = std::max(headRise, rise);
        if (bind[i].position.x < -45) tailRise = std::max(tailRise, std::fabs(rise));
        ASSERT_NEAR(Vec3Length(moved[i].normal), 1.0f, 0.02f) << "vertex " << i;
    }
    EXPECT_GT(headRise, 5.0f);
    EXPECT_LT(tailRise, 2.0f);
}

}  // namespace

TEST_F(GeneratedAssets, WormTexturesAreFoundFromItsOwnFolder) {
    // As --model loads a reference: its folder is the base, the file its name.
    const LoadContext inItsFolder{std::string(RR_RUN_DIR) + "/Model/SMD/Puddle Worm/",
                                  report_.Sink()};
    ASSERT_EQ(chdir("/"), 0);
    ASSERT_TRUE(model_->LoadReference(device_, "PuddleWorm.smd", inItsFolder));
    EXPECT_TRUE(report_.notes.empty()) << report_.notes.front();
    const ModelMesh& mesh = model_->meshes[0];
    ASSERT_EQ(mesh.textureCount, 2);
    EXPECT_STREQ(mesh.texturePaths[0], "WormSkin.png");
    EXPECT_STREQ(mesh.texturePaths[1], "WormEye.tga");
    EXPECT_TRUE(mesh.textures[0] && mesh.textures[1]);
}
