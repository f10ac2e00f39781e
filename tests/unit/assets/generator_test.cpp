// The generator's building blocks and the program as a whole.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <random>

#include "asset_readers.h"
#include "assetgen/bmp_writer.h"
#include "assetgen/dds_writer.h"
#include "assetgen/euler.h"
#include "assetgen/mesh_parts.h"

namespace {

using namespace assetgen;
namespace fs = std::filesystem;

void ExpectSameMatrix(const Matrix4& a, const Matrix4& b, float tolerance) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "row " << r << " col " << c;
}

TEST(BoneTransform, DecompositionRecomposesToTheSameMatrix) {
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> angle(-3.1f, 3.1f), position(-50.0f, 50.0f);
    std::vector<BoneTransform> cases;
    for (int i = 0; i < 200; ++i)
        cases.push_back({{position(random), position(random), position(random)},
                         {angle(random), angle(random) * 0.5f, angle(random)}});
    // Gimbal lock: the middle (Y) angle at ±90°, and right next to it.
    for (float y : {1.5707964f, -1.5707964f, 1.5707f, -1.5706f})
        cases.push_back({{1, 2, 3}, {0.7f, y, -0.4f}});
    for (const BoneTransform& t : cases) {
        Matrix4 m = ComposeBoneTransform(t);
        BoneTransform back = DecomposeBoneTransform(m);
        ExpectSameMatrix(ComposeBoneTransform(back), m, 2e-5f);
        for (float a : {back.angles.x, back.angles.y, back.angles.z}) {
            EXPECT_LE(std::fabs(a), 3.1416f);
        }
    }
}

TEST(BoneTransform, AnglesApplyInTheOrderXThenYThenZ) {
    // (1, 0, 0) turned 90° about Y goes to (0, 0, −1), then 90° about Z stays.
    // In the other order it would end at (0, 0, −1) too, so use X then Y:
    // (0, 1, 0) about X by 90° → (0, 0, 1); about Y by 90° → (1, 0, 0).
    BoneTransform t{{10, 0, 0}, {1.5707964f, 1.5707964f, 0}};
    Vector3 p = Vec3TransformCoord({0, 1, 0}, ComposeBoneTransform(t));
    EXPECT_NEAR(p.x, 11.0f, 1e-5f);
    EXPECT_NEAR(p.y, 0.0f, 1e-5f);
    EXPECT_NEAR(p.z, 0.0f, 1e-5f);
    BoneTransform simple =
        DecomposeBoneTransform(MatrixRotationZ(0.5f) * MatrixTranslation(1, 2, 3));
    EXPECT_NEAR(simple.angles.z, 0.5f, 1e-6f);
    EXPECT_NEAR(simple.angles.x, 0.0f, 1e-6f);
    EXPECT_NEAR(simple.angles.y, 0.0f, 1e-6f);
    EXPECT_EQ(simple.position, (Vector3{1, 2, 3}));
}

TEST(BoneTransform, RotationAngleBetweenMeasuresTheRelativeTurn) {
    EXPECT_NEAR(RotationAngleBetween(MatrixRotationX(0.2f), MatrixRotationX(0.5f)), 0.3f, 1e-5f);
    EXPECT_NEAR(RotationAngleBetween(MatrixRotationZ(3.0f), MatrixRotationZ(-3.0f)),
                2 * 3.14159265f - 6.0f, 1e-4f);
    EXPECT_NEAR(RotationAngleBetween(MatrixTranslation(5, 0, 0), MatrixIdentity()), 0.0f, 1e-6f);
}

TEST(Writers, BmpRowsAreBottomUpBgrAndPaddedToFourBytes) {
    Image8 image;
    image.Resize(3, 2);
    image.Set(0, 0, {1, 0, 0});  // top-left red
    image.Set(2, 1, {0, 0, 1});  // bottom-right blue
    std::vector<uint8_t> bmp = EncodeBmp24(image);
    ASSERT_EQ(bmp.size(), 54u + 2 * 12);  // rows of 9 bytes padded to 12
    EXPECT_EQ(bmp[10], 54);
    EXPECT_EQ(bmp[18], 3);
    EXPECT_EQ(bmp[22], 2);
    // First stored row is the bottom one: its last pixel is blue (B first).
    EXPECT_EQ(bmp[54 + 6], 255);
    EXPECT_EQ(bmp[54 + 8], 0);
    // Second stored row is the top one: its first pixel is red (R last).
    EXPECT_EQ(bmp[54 + 12 + 2], 255);
    EXPECT_EQ(bmp[54 + 12 + 0], 0);
}

TEST(Writers, DdsRejectsFacesThatDoNotMatch) {
    CubeMap cube;
    for (auto& face : cube.faces) face.push_back({2, std::vector<uint8_t>(16, 7)});
    EXPECT_EQ(EncodeCubeDds(cube).size(), 128u + 6 * 16);
    cube.faces[3][0].size = 1;
    EXPECT_TRUE(EncodeCubeDds(cube).empty());
    cube.faces[3][0] = {2, std::vector<uint8_t>(15, 7)};
    EXPECT_TRUE(EncodeCubeDds(cube).empty());
    EXPECT_TRUE(EncodeCubeDds(CubeMap{}).empty());
}

TEST(MeshParts, CapsuleEndsAreRoundAboutTheJointsAndFaceOutwards) {
    std::vector<SmdTriangle> triangles;
    const Vector3 a{1, 2, 3}, b{4, -6, 15};
    AddCapsule(triangles, {5, 2, 12, 10}, a, b, 3.0f, 2.0f);
    ASSERT_FALSE(triangles.empty());
    for (const SmdTriangle& t : triangles) {
        EXPECT_EQ(t.material, 2);
        for (const SmdVertex& v : t.corners) {
            EXPECT_EQ(v.bone, 5);
            // Every point lies on the hull of the two spheres: never inside
            // either, and on one of them near its end.
            float da = Vec3Length(v.position - a), db = Vec3Length(v.position - b);
            EXPECT_GE(da, 3.0f - 1e-3f);
            EXPECT_GE(db, 2.0f - 1e-3f);
            EXPECT_NEAR(Vec3Length(v.normal), 1.0f, 1e-4f);
        }
        Vector3 face = Vec3Cross(t.corners[1].position - t.corners[0].position,
                                 t.corners[2].position - t.corners[0].position);
        EXPECT_GT(Vec3Dot(face, t.corners[0].normal + t.corners[1].normal + t.corners[2].normal),
                  0.0f);
    }
    // The pole at the far end of sphere A points away from b.
    float farthest = 0.0f;
    for (const SmdTriangle& t : triangles)
        for (const SmdVertex& v : t.corners)
            farthest = std::max(farthest, Vec3Length(v.position - b));
    EXPECT_NEAR(farthest, Vec3Length(b - a) + 3.0f, 1e-3f);
}

class GeneratorProgram : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("assetgen_test_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    int Run(const std::string& arguments, std::string* output) {
        int status = 0;
        *output = RunCommand(std::string("'") + ASSETGEN_EXE + "' " + arguments + " 2>&1", &status);
        return status;
    }
    fs::path dir_;
};

TEST_F(GeneratorProgram, WritesTheSameBytesOnEveryRun) {
    std::string output;
    ASSERT_EQ(Run("--out '" + (dir_ / "a").string() + "'", &output), 0) << output;
    ASSERT_EQ(Run("--out '" + (dir_ / "b").string() + "'", &output), 0) << output;
    // Every file, and the build's own copy of it is what the generator
    // writes now.
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir_ / "a")) {
        if (!entry.is_regular_file()) continue;
        const fs::path relative = fs::relative(entry.path(), dir_ / "a");
        std::vector<uint8_t> first = ReadAllBytes(entry.path().string());
        EXPECT_FALSE(first.empty()) << entry.path();
        EXPECT_TRUE(first == ReadAllBytes((dir_ / "b" / relative).string()))
            << relative << " differs between runs";
        EXPECT_TRUE(first == ReadAllBytes((fs::path(RR_RUN_DIR) / relative).string()))
            << relative << " is stale";
        ++files;
    }
    // Pudo_Red: reference, three clips, four textures; Lantern Squid:
    // reference, three clips, six textures; Puddle Worm: reference, one
    // clip, two textures; the cube map.
    EXPECT_EQ(files, 8 + 10 + 4 + 1);
}

TEST_F(GeneratorProgram, ReportsBadArgumentsAndUnwritableFolders) {
    std::string output;
    EXPECT_EQ(Run("", &output), 2);
    EXPECT_NE(output.find("usage"), std::string::npos);
    EXPECT_EQ(Run("--bogus x", &output), 2);
    EXPECT_EQ(Run("--out", &output), 2);
    // The output folder is a file: nothing can be written below it.
    const fs::path blocker = dir_ / "file";
    { std::ofstream(blocker) << "x"; }
    EXPECT_EQ(Run("--out '" + blocker.string() + "'", &output), 1);
    EXPECT_NE(output.find(blocker.string()), std::string::npos) << output;
}

TEST_F(GeneratorProgram, PreviewWritesThreeImages) {
    std::string output;
    ASSERT_EQ(Run("--preview '" + dir_.string() + "'", &output), 0) << output;
    for (const char* name : {"character.ppm", "squid.ppm", "cubemap.ppm"}) {
        std::vector<uint8_t> ppm = ReadAllBytes((dir_ / name).string());
        ASSERT_GT(ppm.size(), 1000u) << name;
        EXPECT_EQ(ppm[0], 'P');
        EXPECT_EQ(ppm[1], '6');
    }
    EXPECT_NE(output.find("triangles"), std::string::npos);
}

}  // namespace
