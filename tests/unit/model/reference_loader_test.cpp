#include <unistd.h>

#include <cmath>

#include "model_test_support.h"

namespace {

using namespace model_test;

const std::string kOneTriangle =
    "triangles\nskin.bmp\n"
    "0 1 0 0 0 0 1 0 0\n1 0 1 0 0 1 0 0 0\n0 0 0 1 1 0 0 0 0\nend\n";
const std::string kBindPose = "skeleton\ntime 0\n0 0 0 5 0 0 0\n1 1 0 0 0 0 0\nend\n";

TEST_F(ModelTest, HeaderMustBeVersionOneInAnyCase) {
    EXPECT_TRUE(LoadReferenceText("VERSION 1\n" + kTwoNodes));
    for (const char* text : {"", "version 2\n", "nodes\n0 \"a\" -1\nend\n", "version\n"}) {
        Messages().clear();
        EXPECT_FALSE(LoadReferenceText(text)) << text;
        ASSERT_EQ(Messages().size(), 1u) << text;
        EXPECT_EQ(Messages()[0].caption, "Error");
        EXPECT_EQ(Messages()[0].text, kNotSmd);
    }
    EXPECT_EQ(model->meshCount, 1);
}

TEST_F(ModelTest, UnopenableFileFailsSilently) {
    SmdLoadFailure failure;
    EXPECT_FALSE(
        model->LoadReference(device, (folder + "/missing.smd").c_str(), context, &failure));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(failure.result, SmdLoadResult::Unreadable);
}

TEST_F(ModelTest, ReadsNodesAndComposesBoneMatricesInOrder) {
    ASSERT_TRUE(
        LoadReferenceText("version 1\nNodes\n0 \"root bone\" -1\n1 \"arm\" 0\nEnd\n"
                          "SKELETON\ntime 0\n0 1 2 3 0.1 0.2 0.3\n1 4 5 6 0.4 0.5 0.6\nend\n"));
    const ModelMesh& mesh = model->meshes[0];
    ASSERT_EQ(mesh.boneCount, 2);
    EXPECT_STREQ(mesh.bones[0].name, "root bone");
    EXPECT_EQ(mesh.bones[0].parentIndex, -1);
    EXPECT_EQ(mesh.bones[1].parentIndex, 0);
    Matrix4 root = MatrixRotationX(0.1f) * MatrixRotationY(0.2f) * MatrixRotationZ(0.3f) *
                   MatrixTranslation(1, 2, 3);
    Matrix4 arm = MatrixRotationX(0.4f) * MatrixRotationY(0.5f) * MatrixRotationZ(0.6f) *
                  MatrixTranslation(4, 5, 6);
    EXPECT_EQ(mesh.bones[0].localMatrix, root);
    EXPECT_EQ(mesh.bones[0].absoluteMatrix, root);
    EXPECT_EQ(mesh.bones[1].localMatrix, arm);
    EXPECT_EQ(mesh.bones[1].absoluteMatrix, arm * root);
}

TEST_F(ModelTest, SkeletonWithoutTimeLineSkipsItsFirstBoneLine) {
    ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes +
                                  "skeleton\n0 0 0 9 0 0 0\n1 1 0 0 0 0 0\nend\n"));
    EXPECT_EQ(model->meshes[0].bones[0].localMatrix, MatrixIdentity());
    EXPECT_EQ(model->meshes[0].bones[1].localMatrix, MatrixTranslation(1, 0, 0));
}

TEST_F(ModelTest, TwoTimeLinesAreNotAReference) {
    SmdLoadFailure failure;
    EXPECT_FALSE(model->LoadReference(
        device,
        Write("ref.smd", "version 1\n" + kTwoNodes +
                             "skeleton\ntime 0\n0 0 0 0 0 0 0\ntime 1\n0 0 0 0 0 0 0\nend\n")
            .c_str(),
        context, &failure));
    EXPECT_EQ(failure.result, SmdLoadResult::WrongKind);
    EXPECT_EQ(failure.line, 9);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, kWrongKind);
    EXPECT_EQ(model->meshCount, 0);
    EXPECT_TRUE(Calls("CreateTextureFromFile").empty());
}

TEST_F(ModelTest, StoresCornersInSlotOrderAndMovesThemIntoBoneSpace) {
    ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes + kBindPose + kOneTriangle));
    const MeshTriangle& triangle = model->meshes[0].triangles[0];
    // Lines V1, V2, V3 land in slots 0, 2, 1; bone 0 is a translation by
    // (0, 0, 5), bone 1 adds (1, 0, 0).
    EXPECT_EQ(triangle.boneIndices[0], 0);
    EXPECT_EQ(triangle.boneIndices[2], 1);
    EXPECT_EQ(triangle.boneIndices[1], 0);
    EXPECT_EQ(triangle.vertices[0].position, Vector3(1, 0, -5));
    EXPECT_EQ(triangle.vertices[0].normal, Vector3(0, 0, 1));
    EXPECT_EQ(triangle.vertices[2].position, Vector3(-1, 1, -5));
    EXPECT_EQ(triangle.vertices[2].normal, Vector3(0, 1, 0));
    EXPECT_EQ(triangle.vertices[1].position, Vector3(0, 0, -4));
    EXPECT_EQ(triangle.vertices[1].normal, Vector3(1, 0, 0));
}

// Each triangles section fills the triangles after the previous one's, and
// each corner is moved into its bone's space once (the bind step used to run
// over every triangle again at every section's end).
TEST_F(ModelTest, TwoTrianglesSectionsFillConsecutiveTrianglesEachBoundOnce) {
    std::string sections;
    for (const char* x : {"11", "12"})
        sections += std::string("triangles\nm\n") + "0 " + x + " 0 0 0 0 1 0 0\n0 " + x +
                    " 1 0 0 0 1 0 0\n0 " + x + " 0 1 0 0 1 0 0\nend\n";
    ASSERT_TRUE(LoadReferenceText(
        "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 10 0 0 0 0 0\nend\n" +
        sections));
    const ModelMesh& mesh = model->meshes[0];
    ASSERT_EQ(mesh.triangleCount, 2);
    EXPECT_EQ(mesh.triangles[0].vertices[0].position, Vector3(1, 0, 0));
    EXPECT_EQ(mesh.triangles[1].vertices[0].position, Vector3(2, 0, 0));
    EXPECT_EQ(mesh.triangles[1].vertices[2].position, Vector3(2, 1, 0));
}

TEST_F(ModelTest, MaterialTableAppendsAtEveryChangeAndTheLastMatchWins) {
    Write("A", kTinyBmp);
    Write("B", kTinyBmp);
    std::string triangles = "triangles\n";
    for (const char* material : {"A", "A", "B", "B", "A"})
        triangles +=
            std::string(material) + "\n0 0 0 0 0 0 1 0 0\n0 1 0 0 0 0 1 0 0\n0 0 1 0 0 0 1 0 0\n";
    ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes + kBindPose + triangles + "end\n"));
    const ModelMesh& mesh = model->meshes[0];
    const int expected[] = {2, 2, 1, 1, 2};
    for (int t = 0; t < 5; ++t) EXPECT_EQ(mesh.triangles[t].materialIndex, expected[t]) << t;
    EXPECT_EQ(mesh.textureCount, 3);
    auto created = Calls("CreateTextureFromFile");
    ASSERT_EQ(created.size(), 3u);
    EXPECT_EQ(created[0].text, folder + "/A");
    EXPECT_EQ(created[1].text, folder + "/B");
    EXPECT_EQ(created[2].text, folder + "/A");
    EXPECT_EQ(Calls("CreateVertexBuffer")[0].args, (std::vector<double>{360, 0, 0, 0, 0}));
}

TEST_F(ModelTest, MissingTextureStopsTextureCreationButNotTheLoad) {
    Write("a.bmp", kTinyBmp);
    Write("c.bmp", kTinyBmp);
    std::string triangles = "triangles\n";
    for (const char* material : {"a.bmp", "b.bmp", "c.bmp"})
        triangles +=
            std::string(material) + "\n0 0 0 0 0 0 1 0 0\n0 1 0 0 0 0 1 0 0\n0 0 1 0 0 0 1 0 0\n";
    ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes + kBindPose + triangles + "end\n"));
    const ModelMesh& mesh = model->meshes[0];
    ASSERT_EQ(mesh.textureCount, 3);
    EXPECT_NE(mesh.textures[0], nullptr);
    EXPECT_EQ(mesh.textures[1], nullptr);
    EXPECT_EQ(mesh.textures[2], nullptr);
    EXPECT_EQ(Calls("CreateTextureFromFile").size(), 2u);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ModelTest, DirectoryEndsAtTheLastBackslashOrElseTheLastSlash) {
    const std::pair<const char*, const char*> cases[] = {
        {"Model\\SMD\\Pudo_Red\\Ref_Red.smd", "Model\\SMD\\Pudo_Red\\"},
        {"models/ref.smd", "models/"},
        {"a\\b/c.smd", "a\\"},
        {"ref.smd", ""}};
    for (auto [path, directory] : cases) {
        model->LoadReference(device, path, context);
        EXPECT_STREQ(model->directory, directory) << path;
    }
}

// From a base folder: the fixed-size fields keep the paths relative to it,
// the files are opened inside it, the working folder stays.
TEST_F(ModelTest, RealExportLoadsThroughTheProgramsBackslashPathFromItsBaseFolder) {
    const std::string working = std::filesystem::current_path();
    context.baseFolder = RR_TEST_DATA_DIR;
    ASSERT_TRUE(model->LoadReference(device, "Model\\SMD\\Pudo_Red\\Ref_Red.smd", context));
    EXPECT_EQ(std::filesystem::current_path(), working);
    EXPECT_STREQ(model->directory, "Model\\SMD\\Pudo_Red\\");
    EXPECT_TRUE(Messages().empty());
    const ModelMesh& mesh = model->meshes[0];
    ASSERT_EQ(mesh.boneCount, 2);
    EXPECT_STREQ(mesh.bones[1].name, "arm");
    ASSERT_EQ(mesh.triangleCount, 2);
    EXPECT_STREQ(mesh.texturePaths[0], "Model\\SMD\\Pudo_Red\\skin.bmp");
    EXPECT_STREQ(mesh.texturePaths[1], "Model\\SMD\\Pudo_Red\\Skin.bmp");
    EXPECT_NE(mesh.textures[0], nullptr);
    EXPECT_EQ(Calls("CreateTextureFromFile")[0].text,
              RR_TEST_DATA_DIR "/Model/SMD/Pudo_Red/skin.bmp");
    // (2, 1, 5) on the arm (rotated 90° about Z, at (2, 0, 5)) is (1, 0, 0) in its space.
    const SkinVertex& corner = mesh.triangles[0].vertices[2];
    EXPECT_NEAR(corner.position.x, 1.0f, 1e-5f);
    EXPECT_NEAR(corner.position.y, 0.0f, 1e-5f);
    EXPECT_NEAR(corner.position.z, 0.0f, 1e-5f);
    EXPECT_EQ(mesh.triangles[0].vertices[0].position, Vector3(1, 0, 0));
}

}  // namespace
