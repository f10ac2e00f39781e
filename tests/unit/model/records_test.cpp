#include "model_test_support.h"

namespace {

using namespace model_test;

TEST(ModelRecords, MeshAllocationsSetCountsAndRefuseZero) {
    ModelMesh mesh;
    ASSERT_TRUE(mesh.AllocateTriangles(5));
    EXPECT_EQ(mesh.vertexCount, 15);
    EXPECT_EQ(mesh.triangles[4].boneIndices[2], 0);
    MeshTriangle* triangles = mesh.triangles;
    EXPECT_FALSE(mesh.AllocateTriangles(0));
    EXPECT_FALSE(mesh.AllocateBones(0));
    EXPECT_EQ(mesh.triangles, triangles);
    EXPECT_EQ(mesh.vertexCount, 15);
}

TEST(ModelRecords, FrameAllocationIsAllOrNothingAndReleaseIsRepeatable) {
    AnimationClip clip;
    clip.ReleaseFrames();
    ASSERT_TRUE(clip.AllocateFrames(4, 5));
    clip.frames[0][0].parentIndex = 7;
    Bone** frames = clip.frames;
    EXPECT_FALSE(clip.AllocateFrames(0, 10));
    EXPECT_FALSE(clip.AllocateFrames(4, 0));
    EXPECT_EQ(clip.frames, frames);
    EXPECT_EQ(clip.frameCount, 4);

    clip.blend = 0.5f;
    clip.currentFrame = 2;
    ASSERT_TRUE(clip.AllocateFrames(3, 2));
    EXPECT_EQ(clip.frameCount, 3);
    EXPECT_EQ(clip.boneCount, 2);
    for (int f = 0; f < 3; ++f)
        for (int b = 0; b < 2; ++b) EXPECT_EQ(clip.frames[f][b].parentIndex, -1);
    EXPECT_EQ(clip.blend, 0.5f);
    EXPECT_EQ(clip.currentFrame, 2);

    clip.ReleaseFrames();
    clip.ReleaseFrames();
    EXPECT_EQ(clip.frames, nullptr);
    EXPECT_EQ(clip.frameCount, 0);
}

TEST_F(ModelTest, DestroyingALoadedModelReleasesItsBufferAndTextures) {
    Write("a.bmp", kTinyBmp);
    ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes +
                                  "skeleton\ntime 0\n0 0 0 0 0 0 0\nend\n"
                                  "triangles\na.bmp\n0 0 0 0 0 0 1 0 0\n0 1 0 0 0 0 1 0 0\n"
                                  "0 0 1 0 0 0 1 0 0\nend\n"));
    EXPECT_EQ(device->GetLiveObjectCount(), 2u);
    model.reset();
    EXPECT_EQ(device->GetLiveObjectCount(), 0u);
}

}  // namespace
