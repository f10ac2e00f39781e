// The world box of a character: bind pose, or the first keyframe of the
// clip that plays, then the world matrix.
#include <gtest/gtest.h>

#include "model/skinned_model.h"
#include "scene/model_bounds.h"

namespace {

// One mesh of two bones and one triangle per bone; the clips move bone 1.
class ModelBoundsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ModelMesh& mesh = model.meshes[0];
        ASSERT_TRUE(mesh.AllocateBones(2));
        ASSERT_TRUE(mesh.AllocateTriangles(2));
        mesh.bones[1].absoluteMatrix = MatrixTranslation(10, 0, 0);
        for (int t = 0; t < 2; ++t) {
            MeshTriangle& triangle = mesh.triangles[t];
            triangle.vertices[0].position = Vector3(0, 0, 0);
            triangle.vertices[1].position = Vector3(1, 2, 0);
            triangle.vertices[2].position = Vector3(0, 0, 3);
            for (int& bone : triangle.boneIndices) bone = t;
        }
        model.meshCount = 1;
        // Clip 0 poses both bones, clip 1 only bone 0 (bone 1 keeps its bind pose).
        ASSERT_TRUE(model.clips[0].AllocateFrames(2, 2));
        model.clips[0].frames[0][1].absoluteMatrix = MatrixTranslation(0, -5, 0);
        model.clips[0].frames[1][1].absoluteMatrix = MatrixTranslation(0, 99, 0);  // not the first
        ASSERT_TRUE(model.clips[1].AllocateFrames(1, 1));
        model.clips[1].frames[0][0].absoluteMatrix = MatrixTranslation(0, 0, 7);
        model.clipCount = 2;
    }
    SkinnedModel model;
};

TEST_F(ModelBoundsTest, PoseOfTheClipThatPlaysThenTheWorldMatrix) {
    struct Case {
        int clip;
        Vector3 low, high;
    } cases[] = {
        {-1, {0, 0, 0}, {11, 2, 3}},  // bind pose
        {5, {0, 0, 0}, {11, 2, 3}},   // a clip that is not loaded: bind pose
        {0, {0, -5, 0}, {1, 2, 3}},
        {1, {0, 0, 0}, {11, 2, 10}},
    };
    Vector3 low, high;
    for (const Case& c : cases) {
        ASSERT_TRUE(ModelWorldBounds(model, c.clip, Matrix4(), &low, &high)) << c.clip;
        EXPECT_EQ(low, c.low) << c.clip;
        EXPECT_EQ(high, c.high) << c.clip;
    }
    // The world matrix applies after the pose.
    ASSERT_TRUE(ModelWorldBounds(model, 0, MatrixTranslation(0, 0, 100), &low, &high));
    EXPECT_EQ(high, Vector3(1, 2, 103));
    model.meshes[0].triangleCount = 0;
    EXPECT_FALSE(ModelWorldBounds(model, 0, Matrix4(), &low, &high));
}

}  // namespace
