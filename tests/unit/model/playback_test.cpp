#include <cmath>

#include "model_test_support.h"

namespace {

using namespace model_test;
using gfx::recording::ContentsOf;

// Two bones in an identity bind pose and two triangles; corners on bone 0
// except the first triangle's second line, which is on bone 1.
const std::string kReference =
    "version 1\n" + kTwoNodes +
    "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\nend\n"
    "triangles\nm\n0 1 2 3 0 0 1 0 0\n1 4 5 6 0 1 0 0 0\n0 7 8 9 1 0 0 0 0\n"
    "m\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\nend\n";

// A clip of n keyframes: in keyframe f bone 0 stands at (10 f, 0, 0) and
// bone 1 one unit above it.
std::string Clip(int n, int bones = 2) {
    std::string text = "version 1\nnodes\n0 \"root\" -1\n";
    if (bones > 1) text += "1 \"arm\" 0\n";
    text += "end\nskeleton\n";
    for (int f = 0; f < n; ++f) {
        text += "time " + std::to_string(f) + "\n0 " + std::to_string(10 * f) + " 0 0 0 0 0\n";
        if (bones > 1) text += "1 0 1 0 0 0 0\n";
    }
    return text + "end\n";
}

class Playback : public ModelTest {
protected:
    void Load(const std::string& clip) {
        ASSERT_TRUE(LoadReferenceText(kReference));
        ASSERT_TRUE(LoadAnimationText(clip));
    }
    bool Step(int start, int end, float step = 0.01f) {
        return model->UpdateAndDraw(device, gfx::D3DFILL_SOLID, start, end, step, 0);
    }
    // The keyframe whose bone 0 the mesh now holds exactly; -1 if none.
    int PosedKeyframe() const {
        const AnimationClip& clip = model->clips[0];
        for (int f = 0; f < clip.frameCount; ++f)
            if (model->meshes[0].bones[0].absoluteMatrix == clip.frames[f][0].absoluteMatrix)
                return f;
        return -1;
    }
    SkinVertex Skinned(int index) const {
        SkinVertex vertex;
        std::memcpy(&vertex, ContentsOf(model->meshes[0].vertexBuffer).data() + 24 * index, 24);
        return vertex;
    }
};

TEST_F(Playback, EachKeyframeIntervalLasts101CallsAndTheFirstHoldsKeyframe0) {
    Load(Clip(3));
    for (int call = 1; call <= 101; ++call) {
        ASSERT_TRUE(Step(0, 3));
        ASSERT_EQ(PosedKeyframe(), 0) << "call " << call;
    }
    EXPECT_FLOAT_EQ(model->clips[0].blend, 1.0099994f);
    ASSERT_TRUE(Step(0, 3));
    EXPECT_EQ(PosedKeyframe(), 1);
    EXPECT_EQ(model->clips[0].currentFrame, 1);
    EXPECT_EQ(model->clips[0].nextFrame, 2);
    for (int call = 103; call <= 203; ++call) Step(0, 3);
    EXPECT_EQ(PosedKeyframe(), 2);
    for (int call = 204; call <= 304; ++call) Step(0, 3);
    EXPECT_EQ(PosedKeyframe(), 0);  // (2, 0) ends, the loop wraps to (0, 1)
    EXPECT_EQ(model->clips[0].nextFrame, 1);
}

TEST_F(Playback, BlendsLinearlyAndSkinsEveryCornerByItsBone) {
    Load(Clip(3));
    for (int call = 1; call <= 102 + 50; ++call) Step(0, 3);
    // Blend 50 steps into (1, 2): bone 0 at x = 10 + 10 × 0.49999..
    const float blend = model->clips[0].blend - 0.01f;
    const float x = (1.0f - blend) * 10.0f + blend * 20.0f;
    EXPECT_EQ(model->meshes[0].bones[0].absoluteMatrix.m[3][0], x);
    EXPECT_EQ(Skinned(0).position, Vector3(1 + x, 2, 3));
    EXPECT_EQ(Skinned(0).normal, Vector3(0, 0, 1));
    EXPECT_EQ(Skinned(1).position, Vector3(7 + x, 8, 9));
    EXPECT_EQ(Skinned(2).position, Vector3(4 + x, 6, 6));  // bone 1: one unit higher
    EXPECT_EQ(Skinned(2).normal, Vector3(0, 1, 0));
}

TEST_F(Playback, SubRangeStartsFromItsFirstKeyframeTowardsKeyframe0) {
    Load(Clip(6));
    std::vector<std::pair<int, int>> pairs;
    for (int call = 0; call < 4 * 101; ++call) {
        Step(2, 5);
        if (call % 101 == 0)
            pairs.push_back({model->clips[0].currentFrame, model->clips[0].nextFrame});
    }
    EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{2, 0}, {3, 4}, {4, 2}, {2, 3}}));
}

TEST_F(Playback, RangeChecksRejectWithoutDrawing) {
    Load(Clip(5));
    gfx::recording::GetRecorder().calls.clear();
    EXPECT_FALSE(Step(0, 6));
    EXPECT_FALSE(Step(-1, 3));
    EXPECT_FALSE(Step(0, -1));
    EXPECT_TRUE(Calls("DrawPrimitive").empty());
    EXPECT_EQ(model->clips[0].blend, 0.0f);
    // A raised start frame stays even though the call is rejected.
    EXPECT_FALSE(Step(3, 9));
    EXPECT_EQ(model->clips[0].currentFrame, 3);
    EXPECT_TRUE(Step(0, 5));
    EXPECT_EQ(PosedKeyframe(), 3);
}

TEST_F(Playback, RejectedStartPastTheClipNeverMakesTheBlendReadPastIt) {
    Load(Clip(5));
    EXPECT_FALSE(Step(5, 5));
    EXPECT_EQ(model->clips[0].currentFrame, 5);
    // Keyframe 5 does not exist: the pose is kept until the next advance
    // brings the clip back into its range.
    EXPECT_TRUE(Step(0, 5));
    EXPECT_EQ(model->meshes[0].bones[0].absoluteMatrix, MatrixIdentity());
    for (int call = 0; call < 101; ++call) Step(0, 5);
    EXPECT_EQ(model->clips[0].currentFrame, 0);
    EXPECT_EQ(PosedKeyframe(), 0);
}

TEST_F(Playback, ClipIndexOutsideTheLoadedClipsIsRefusedBeforeAnyChange) {
    Load(Clip(2));
    model->currentClip = 0;
    EXPECT_FALSE(model->UpdateAndDraw(device, 3, 1, 2, 0.01f, 1));
    EXPECT_FALSE(model->UpdateAndDraw(device, 3, 1, 2, 0.01f, -1));
    EXPECT_FALSE(model->UpdateAndDraw(device, 3, 1, 2, 0.01f, kMaxClips));
    EXPECT_EQ(model->currentClip, 0);
    EXPECT_EQ(model->clips[1].currentFrame, 0);
    EXPECT_TRUE(Calls("DrawPrimitive").empty());
}

TEST_F(Playback, HalfwayBetweenIdentityAndAHalfTurnCollapsesOntoZ) {
    ASSERT_TRUE(LoadReferenceText(kReference));
    ASSERT_TRUE(
        LoadAnimationText("version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n"
                          "0 0 0 0 0 0 0\ntime 1\n0 0 0 0 0 0 3.14159265\nend\n"));
    for (int call = 0; call < 4; ++call) Step(0, 2, 0.5f);  // the 4th blends (1, 0) at 0.5
    const Matrix4& pose = model->meshes[0].bones[0].absoluteMatrix;
    Matrix4 expected = MatrixScaling(0, 0, 1);
    ExpectMatrixNear(pose, expected, 1e-6f);
    EXPECT_NEAR(Skinned(0).position.x, 0.0f, 1e-6f);
    EXPECT_NEAR(Skinned(0).position.y, 0.0f, 1e-6f);
    EXPECT_EQ(Skinned(0).position.z, 3.0f);
    // Bone 1 is not in the clip: it keeps its bind pose.
    EXPECT_EQ(model->meshes[0].bones[1].absoluteMatrix, MatrixIdentity());
}

TEST_F(Playback, StepOfOneShowsANewKeyframeEveryCallAfterTheFirst) {
    Load(Clip(4));
    const int expected[] = {0, 1, 2, 3, 0, 1};
    for (int call = 0; call < 6; ++call) {
        Step(0, 4, 1.0f);
        EXPECT_EQ(PosedKeyframe(), expected[call]) << "call " << call;
    }
}

TEST_F(Playback, DrawsOneTrianglePerCallAfterSkinningAndFillMode) {
    Load(Clip(2));
    gfx::recording::GetRecorder().calls.clear();
    ASSERT_TRUE(model->UpdateAndDraw(device, gfx::D3DFILL_WIREFRAME, 0, 2, 0.01f, 0));
    const std::vector<std::string> order = {"Lock",           "Unlock",        "SetStreamSource",
                                            "SetRenderState", "DrawPrimitive", "DrawPrimitive"};
    EXPECT_EQ(gfx::recording::GetRecorder().Names(), order);
    const uint32_t buffer = gfx::recording::IdOf(model->meshes[0].vertexBuffer);
    EXPECT_EQ(Calls("Lock")[0].args, (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(Calls("SetStreamSource")[0].args, (std::vector<double>{0, double(buffer), 0, 24}));
    EXPECT_EQ(Calls("SetRenderState")[0].args, (std::vector<double>{8, 2}));
    EXPECT_EQ(Calls("DrawPrimitive")[0].args, (std::vector<double>{4, 0, 1}));
    EXPECT_EQ(Calls("DrawPrimitive")[1].args, (std::vector<double>{4, 3, 1}));
}

TEST_F(Playback, FailedLockKeepsTheOldVerticesButStillDraws) {
    Load(Clip(2));
    Step(0, 2);
    const std::vector<uint8_t> before = ContentsOf(model->meshes[0].vertexBuffer);
    gfx::recording::GetRecorder().failing.insert("Lock");
    for (int call = 0; call < 150; ++call) Step(0, 2);
    EXPECT_EQ(ContentsOf(model->meshes[0].vertexBuffer), before);
    EXPECT_EQ(Calls("DrawPrimitive").size(), 2u * 151);
}

TEST_F(Playback, MeshesWithoutTrianglesOrBufferAreNeverDrawn) {
    ASSERT_TRUE(
        LoadReferenceText("version 1\n" + kTwoNodes + "skeleton\ntime 0\n0 0 0 0 0 0 0\nend\n"));
    gfx::recording::GetRecorder().failing.insert("CreateVertexBuffer");
    ASSERT_TRUE(LoadReferenceText(kReference, "ref2.smd"));
    gfx::recording::GetRecorder().failing.clear();
    ASSERT_TRUE(LoadAnimationText(Clip(2)));
    gfx::recording::GetRecorder().calls.clear();
    EXPECT_TRUE(Step(0, 2));
    EXPECT_TRUE(gfx::recording::GetRecorder().calls.empty());
    EXPECT_FALSE(model->meshes[1].SkinMesh());
}

TEST_F(ModelTest, BoneWithoutInverseLeavesItsCornersInModelSpace) {
    // The arm's position overflows to infinity in model space.
    ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes +
                                  "skeleton\ntime 0\n0 3e38 0 0 0 0 0\n1 3e38 0 0 0 0 0\nend\n"
                                  "triangles\nm\n1 1 2 3 0 0 1 0 0\n1 4 5 6 0 0 1 0 0\n"
                                  "1 7 8 9 0 0 1 0 0\nend\n"));
    EXPECT_EQ(model->meshes[0].triangles[0].vertices[0].position, Vector3(1, 2, 3));
    EXPECT_EQ(model->meshes[0].triangles[0].vertices[1].position, Vector3(7, 8, 9));
    EXPECT_EQ(model->meshes[0].triangles[0].vertices[0].normal, Vector3(0, 0, 1));
}

}  // namespace
