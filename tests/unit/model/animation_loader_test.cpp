#include "model_test_support.h"

namespace {

using namespace model_test;

const std::string kFourNodes =
    "nodes\n0 \"hip\" -1\n1 \"spine\" 0\n2 \"head\" 1\n3 \"leg\" 0\nend\n";

std::string Block(int frame, const std::vector<int>& order) {
    std::string text = "time " + std::to_string(frame) + "\n";
    for (int b : order)
        text += std::to_string(b) + " " + std::to_string(b + 1) + " " + std::to_string(frame) +
                " 0 0.1 0.2 " + std::to_string(0.1 * b) + "\n";
    return text;
}

TEST_F(ModelTest, EveryKeyframeCarriesTheNodeListAndAModelSpacePose) {
    ASSERT_TRUE(LoadAnimationText("version 1\n" + kFourNodes + "skeleton\n" +
                                  Block(0, {0, 1, 2, 3}) + Block(1, {0, 1, 2, 3}) +
                                  Block(2, {0, 1, 2, 3}) + "end\n"));
    ASSERT_EQ(model->clipCount, 1);
    const AnimationClip& clip = model->clips[0];
    EXPECT_EQ(clip.frameCount, 3);
    EXPECT_EQ(clip.boneCount, 4);
    EXPECT_EQ(clip.blend, 0.0f);
    EXPECT_EQ(clip.currentFrame, 0);
    EXPECT_EQ(clip.nextFrame, 0);
    const int parents[] = {-1, 0, 1, 0};
    for (int f = 0; f < 3; ++f) {
        EXPECT_STREQ(clip.frames[f][2].name, "head");
        for (int b = 0; b < 4; ++b) EXPECT_EQ(clip.frames[f][b].parentIndex, parents[b]);
        Matrix4 spine = MatrixRotationX(0.1f) * MatrixRotationY(0.2f) * MatrixRotationZ(0.1f) *
                        MatrixTranslation(2, float(f), 0);
        EXPECT_EQ(clip.frames[f][1].localMatrix, spine);
        EXPECT_EQ(clip.frames[f][1].absoluteMatrix, spine * clip.frames[f][0].absoluteMatrix);
        EXPECT_EQ(clip.frames[f][2].absoluteMatrix,
                  clip.frames[f][2].localMatrix * clip.frames[f][1].absoluteMatrix);
    }
}

TEST_F(ModelTest, BlockAndBoneLineOrderDoNotChangeTheClip) {
    ASSERT_TRUE(LoadAnimationText("version 1\n" + kFourNodes + "skeleton\n" +
                                      Block(0, {0, 1, 2, 3}) + Block(1, {0, 1, 2, 3}) + "end\n",
                                  "a.smd"));
    ASSERT_TRUE(LoadAnimationText("version 1\n" + kFourNodes + "skeleton\n" +
                                      Block(1, {0, 3, 1, 2}) + "stray line between blocks\n" +
                                      Block(0, {0, 1, 3, 2}) + "end\n",
                                  "b.smd"));
    for (int f = 0; f < 2; ++f)
        for (int b = 0; b < 4; ++b) {
            EXPECT_EQ(model->clips[0].frames[f][b].localMatrix,
                      model->clips[1].frames[f][b].localMatrix);
            EXPECT_EQ(model->clips[0].frames[f][b].absoluteMatrix,
                      model->clips[1].frames[f][b].absoluteMatrix);
        }
}

TEST_F(ModelTest, MissingBoneKeepsIdentityAndARepeatedBoneKeepsItsLaterLine) {
    ASSERT_TRUE(LoadAnimationText("version 1\n" + kFourNodes +
                                  "skeleton\ntime 0\n0 1 0 0 0 0 0\n1 2 0 0 0 0 0\n0 5 0 0 0 0 0\n"
                                  "3 4 0 0 0 0 0\nend\n"));
    const Bone* frame = model->clips[0].frames[0];
    EXPECT_EQ(frame[0].localMatrix, MatrixTranslation(5, 0, 0));
    EXPECT_EQ(frame[2].localMatrix, MatrixIdentity());
    EXPECT_EQ(frame[2].absoluteMatrix, MatrixIdentity());
    // Bone 1 was posed while its parent still held the first line.
    EXPECT_EQ(frame[1].absoluteMatrix, MatrixTranslation(3, 0, 0));
}

TEST_F(ModelTest, AnimationAllowsOneTriangleButNotTwo) {
    const std::string triangle = "m\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\n";
    const std::string start =
        "version 1\n" + kFourNodes + "skeleton\n" + Block(0, {0, 1, 2, 3}) + "end\n";
    EXPECT_TRUE(LoadAnimationText(start + "triangles\n" + triangle + "end\n"));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(LoadAnimationText(start + "triangles\n" + triangle + triangle + "end\n"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, kWrongKind);
    EXPECT_FALSE(LoadAnimationText("version 3\n"));
    EXPECT_EQ(Messages().back().text, kNotSmd);
    EXPECT_EQ(model->clipCount, 1);
    EXPECT_EQ(model->clips[1].frames, nullptr);
}

TEST_F(ModelTest, RealExportAnimationLoads) {
    ASSERT_TRUE(model->LoadAnimation(RR_TEST_DATA_DIR "/anim_crlf.smd", context));
    const AnimationClip& clip = model->clips[0];
    ASSERT_EQ(clip.frameCount, 3);
    EXPECT_STREQ(clip.frames[1][1].name, "arm");
    EXPECT_EQ(clip.frames[1][0].absoluteMatrix, MatrixTranslation(0, 0, 6));
    EXPECT_EQ(clip.frames[2][0].absoluteMatrix, MatrixTranslation(0, 0, 7));
    EXPECT_EQ(clip.frames[1][1].absoluteMatrix, MatrixTranslation(2, 0, 6));
}

}  // namespace
