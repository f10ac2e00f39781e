// Files that would otherwise corrupt the model: each load must fail with a
// message naming file and line and leave every slot as it was.
#include "model_test_support.h"

namespace {

using namespace model_test;

const std::string kBindPose = "skeleton\ntime 0\n0 0 0 5 0 0 0\n1 1 0 0 0 0 0\nend\n";
const std::string kTriangle =
    "triangles\nm\n0 1 0 0 0 0 1 0 0\n1 0 1 0 0 1 0 0 0\n0 0 0 1 1 0 0 0 0\nend\n";

class LoaderFaults : public ModelTest {
protected:
    // Loads a good reference and clip, then the faulty file; checks the
    // message and that the loaded slots and the next ones kept their state.
    void ExpectRefused(bool reference, const std::string& text, const std::string& expected) {
        model = std::make_unique<SkinnedModel>();
        Write("m", "texture");
        ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes + kBindPose + kTriangle, "good.smd"));
        ASSERT_TRUE(LoadAnimationText("version 1\n" + kTwoNodes + kBindPose, "good_anim.smd"));
        Messages().clear();
        const std::string path = Write("bad.smd", text);
        bool loaded = reference ? model->LoadReference(device, path.c_str())
                                : model->LoadAnimation(path.c_str());
        EXPECT_FALSE(loaded);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].caption, "Error");
        EXPECT_EQ(Messages()[0].text, path + expected);
        EXPECT_EQ(model->meshCount, 1);
        EXPECT_EQ(model->clipCount, 1);
        EXPECT_EQ(model->meshes[1].bones, nullptr);
        EXPECT_EQ(model->meshes[1].vertexBuffer, nullptr);
        EXPECT_EQ(model->meshes[1].textureCount, 0);
        EXPECT_EQ(model->clips[1].frames, nullptr);
        EXPECT_EQ(model->meshes[0].bones[0].absoluteMatrix, MatrixTranslation(0, 0, 5));
        // Anything created for the refused file has been released again.
        EXPECT_EQ(device->GetLiveObjectCount(), 2u);
    }
};

TEST_F(LoaderFaults, SectionWithoutEndStopsAtTheEndOfTheFile) {
    ExpectRefused(true, "version 1\nnodes\n0 \"a\" -1\n",
                  ", line 2: the \"nodes\" section has no \"end\" line");
    ExpectRefused(true, "version 1\n" + kTwoNodes + "skeleton\ntime 0\n0 0 0 0 0 0 0\n",
                  ", line 6: the \"skeleton\" section has no \"end\" line");
    ExpectRefused(true, "version 1\n" + kTwoNodes + "\ntriangles\nm\n0 0 0 0 0 0 1 0 0\n",
                  ", line 7: the \"triangles\" section has no \"end\" line");
    // A keyframe block reads its bone lines without looking for "end".
    ExpectRefused(false, "version 1\n" + kTwoNodes + "skeleton\ntime 0\n0 0 0 0 0 0 0\n",
                  ", line 6: the \"skeleton\" section has no \"end\" line");
}

TEST_F(LoaderFaults, NodeAndParentIndicesOutsideTheSkeleton) {
    ExpectRefused(true, "version 1\nnodes\n0 \"a\" -1\n2 \"b\" 0\nend\n",
                  ", line 4: node index 2 is outside 0..1");
    ExpectRefused(true, "version 1\nnodes\n0 \"a\" -2\nend\n",
                  ", line 3: parent index -2 is neither -1 nor inside 0..0");
    ExpectRefused(false, "version 1\nnodes\n0 \"a\" 5\nend\n",
                  ", line 3: parent index 5 is neither -1 nor inside 0..0");
    ExpectRefused(true, "version 1\nnodes\nroot -1\nend\n",
                  ", line 3: expected a node line: index \"name\" parent");
}

TEST_F(LoaderFaults, BoneLineAndVertexIndicesOutsideTheSkeleton) {
    ExpectRefused(true, "version 1\n" + kTwoNodes + "skeleton\ntime 0\n2 0 0 0 0 0 0\nend\n",
                  ", line 8: bone index 2 is outside 0..1");
    ExpectRefused(false, "version 1\n" + kTwoNodes + "skeleton\ntime 0\n-1 0 0 0 0 0 0\n0 0 0 0 0 0 0\nend\n",
                  ", line 8: bone index -1 is outside 0..1");
    ExpectRefused(true, "version 1\n" + kTwoNodes + kBindPose + "triangles\nm\n0 0 0 0 0 0 1 0 0\n"
                  "7 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\nend\n",
                  ", line 14: vertex bone index 7 is outside 0..1");
}

TEST_F(LoaderFaults, KeyframeNumbersOutsideTheTimeLines) {
    ExpectRefused(false, "version 1\n" + kTwoNodes + "skeleton\ntime 1\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\nend\n",
                  ", line 7: keyframe number 1 is outside 0..0");
    // A block shorter than the node list runs into the next time line.
    ExpectRefused(false, "version 1\n" + kTwoNodes + "skeleton\ntime 0\n0 0 0 0 0 0 0\ntime 1\n"
                  "0 0 0 0 0 0 0\n1 0 0 0 0 0 0\nend\n",
                  ", line 9: expected a bone line of keyframe 0: index x y z rx ry rz");
}

TEST_F(LoaderFaults, FullSlotTablesRefuseFurtherLoads) {
    const std::string mesh = Write("m.smd", "version 1\n" + kTwoNodes + kBindPose + kTriangle);
    const std::string clip = Write("c.smd", "version 1\n" + kTwoNodes + kBindPose);
    for (int i = 0; i < kMaxMeshes; ++i) ASSERT_TRUE(model->LoadReference(device, mesh.c_str()));
    for (int i = 0; i < kMaxClips; ++i) ASSERT_TRUE(model->LoadAnimation(clip.c_str()));
    EXPECT_FALSE(model->LoadReference(device, mesh.c_str()));
    EXPECT_FALSE(model->LoadAnimation(clip.c_str()));
    EXPECT_EQ(model->meshCount, kMaxMeshes);
    EXPECT_EQ(model->clipCount, kMaxClips);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0].text, mesh + ": all 32 mesh slots are in use");
    EXPECT_EQ(Messages()[1].text, clip + ": all 32 animation clip slots are in use");
}

TEST_F(ModelTest, OverlongLinesAndNamesAreCutNotOverflowed) {
    const std::string longName(200, 'n');
    // A 300-character bone line: its first 255 characters are read, the
    // rest is dropped instead of being taken for a line of its own.
    const std::string longLine = "1 1 0 0 0 0 0" + std::string(287, ' ') + "9 9 9 9 9 9 9";
    ASSERT_TRUE(LoadReferenceText("version 1\nnodes\n0 \"" + longName + "\" -1\n1 \"b\" 0\nend\n"
                                  "skeleton\ntime 0\n" + longLine + "\nend\n"));
    const ModelMesh& mesh = model->meshes[0];
    EXPECT_EQ(std::string(mesh.bones[0].name), longName.substr(0, 79));
    EXPECT_EQ(mesh.bones[0].parentIndex, -1);
    EXPECT_EQ(mesh.bones[1].parentIndex, 0);
    EXPECT_EQ(mesh.bones[1].localMatrix, MatrixTranslation(1, 0, 0));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ModelTest, OverlongPathsAreRefusedAndOverlongTexturePathsNotRequested) {
    const std::string deep(130, 'd');
    EXPECT_FALSE(model->LoadReference(device, (deep + "/ref.smd").c_str()));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, deep + "/ref.smd: the path is longer than 127 characters");

    const std::string material(70, 'm');  // with the folder, more than 79 characters
    ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes + kBindPose + "triangles\n" + material +
                                  "\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\nend\n"));
    const ModelMesh& mesh = model->meshes[0];
    EXPECT_EQ(std::strlen(mesh.texturePaths[0]), 79u);
    EXPECT_EQ(mesh.textures[0], nullptr);
    EXPECT_TRUE(Calls("CreateTextureFromFile").empty());
}

TEST_F(ModelTest, MaterialTableKeepsItsFirst128Entries) {
    std::string triangles = "triangles\n";
    for (int t = 0; t < 130; ++t)
        triangles += "mat" + std::to_string(t) + "\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\n";
    ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes + kBindPose + triangles + "end\n"));
    const ModelMesh& mesh = model->meshes[0];
    EXPECT_EQ(model->materialCount, 128);
    EXPECT_EQ(mesh.textureCount, 128);
    EXPECT_EQ(mesh.triangleCount, 130);
    EXPECT_EQ(mesh.triangles[127].materialIndex, 127);
    EXPECT_EQ(mesh.triangles[129].materialIndex, 0);
}

}  // namespace
