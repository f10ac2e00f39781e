// The pieces of the conversion that the round trip cannot single out: the
// axis change of bone matrices, the tree made of odd parent lists, weights,
// the matching of clip bones, texture coordinates and the container.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "model/smd/smd_parser.h"
#include "smd2gltf/clip_poses.h"
#include "smd2gltf/corner_influences.h"
#include "smd2gltf/glb_file.h"
#include "smd2gltf/skeleton.h"
#include "smd2gltf/texture_coordinates.h"

namespace {

using namespace smd2gltf;

std::span<const uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

struct AxisCase {
    const char* name;
    Matrix4 smd;
    Trs gltf;  // expected, in metres
};

const double kHalf = std::sin(0.25);  // sin and cos of half of 0.5 rad
const double kHalfCos = std::cos(0.25);
const AxisCase kAxisCases[] = {
    // SMD +Z (up) is glTF +Y, SMD +Y (back) is glTF −Z; inches become metres.
    {"TranslationOnly",
     MatrixTranslation(1, 2, 3),
     {{0.0254, 0.0762, -0.0508}, {0, 0, 0, 1}, {1, 1, 1}}},
    {"TurnAboutUp",
     MatrixRotationZ(0.5) * MatrixTranslation(0, 0, 10),
     {{0, 0.254, 0}, {0, kHalf, 0, kHalfCos}, {1, 1, 1}}},
    {"TurnAboutX", MatrixRotationX(0.5), {{0, 0, 0}, {kHalf, 0, 0, kHalfCos}, {1, 1, 1}}},
    {"TurnAboutBack", MatrixRotationY(0.5), {{0, 0, 0}, {0, 0, -kHalf, kHalfCos}, {1, 1, 1}}},
    {"Mirror", MatrixScaling(-1, 1, 1), {{0, 0, 0}, {0, 0, 0, 1}, {-1, 1, 1}}},
};

class AxisChange : public ::testing::TestWithParam<AxisCase> {};

TEST_P(AxisChange, BoneMatrixBecomesGltfTransform) {
    const AxisCase& c = GetParam();
    Mat4d converted = MatrixToGltf(ToDouble(c.smd), kMetresPerInch);
    Trs trs = Decompose(converted);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(trs.translation[i], c.gltf.translation[i], 1e-7);
        EXPECT_NEAR(trs.scale[i], c.gltf.scale[i], 1e-6);
    }
    double sign = trs.rotation[3] < 0 ? -1 : 1;  // q and −q are one rotation
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(sign * trs.rotation[i], c.gltf.rotation[i], 1e-6);
    Mat4d back = Compose(trs);
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(back.m[r][k], converted.m[r][k], 1e-6);
    // A point moved by the bone in SMD space, then converted, lands where the
    // converted point moved by the converted bone does.
    Vec3d p{3, -4, 5};
    Vec3d expected = PointToGltf(TransformPoint(p, ToDouble(c.smd)), kMetresPerInch);
    Vec3d got = TransformPoint(PointToGltf(p, kMetresPerInch), converted);
    EXPECT_NEAR(got.x, expected.x, 1e-9);
    EXPECT_NEAR(got.y, expected.y, 1e-9);
    EXPECT_NEAR(got.z, expected.z, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Bones, AxisChange, ::testing::ValuesIn(kAxisCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TreeParents, OddParentListsBecomeATree) {
    struct Case {
        std::vector<int> parents, tree;
    };
    const Case cases[] = {
        {{-1, 0, 1}, {-1, 0, 1}},
        {{-1, 1}, {-1, -1}},  // its own parent
        {{1, 0}, {1, -1}},    // a loop, cut once
        {{-1, 2, 3, 1}, {-1, 2, 3, -1}},
        {{-1, 7, -3}, {-1, -1, -1}},  // out of range
        {{-1, 2, 0}, {-1, 2, 0}},     // a parent after its child stays
    };
    for (const Case& c : cases) {
        std::vector<Bone> bones(c.parents.size());
        for (size_t i = 0; i < bones.size(); ++i) bones[i].parentIndex = c.parents[i];
        EXPECT_EQ(TreeParents(bones.data(), int(bones.size())), c.tree);
    }
}

TEST(Influences, SortedAndSummingToOne) {
    std::vector<Influence> influences = {{2, 0.1f}, {5, 0.3f}, {1, 0.3f}, {4, 0.2f}};
    NormaliseInfluences(&influences);
    ASSERT_EQ(influences.size(), 4u);
    EXPECT_EQ(influences[0].bone, 1);
    EXPECT_EQ(influences[1].bone, 5);
    EXPECT_EQ(influences[3].bone, 2);
    EXPECT_NEAR(influences[1].weight, 0.3f / 0.9f, 1e-7);
    EXPECT_EQ(((influences[0].weight + influences[1].weight) + influences[2].weight) +
                  influences[3].weight,
              1.0f);
}

// A reference as the parser hands it over once it reads weight links.
struct LinkedReference {
    struct Link {
        int bone;
        float weight;
    };
    int boneCount = 4;
    std::vector<MeshTriangle> triangles = std::vector<MeshTriangle>(1);
    std::vector<uint32_t> linkStart;
    std::vector<Link> links;
};

TEST(Influences, FromTheFirstFieldOrTheLinks) {
    LinkedReference reference;
    reference.triangles[0].boneIndices[0] = 0;
    reference.triangles[0].boneIndices[1] = 1;
    reference.triangles[0].boneIndices[2] = 2;
    std::vector<Influence> influences;
    CornerInfluencesOf(reference, 2, &influences);  // no links at all
    ASSERT_EQ(influences.size(), 1u);
    EXPECT_EQ(influences[0].bone, 2);
    EXPECT_EQ(influences[0].weight, 1.0f);

    // Corner 0: bone 3 twice and a zero weight; corner 1: none; corner 2:
    // only a zero weight, so its first field.
    reference.linkStart = {0, 4, 4, 5};
    reference.links = {{3, 0.25f}, {1, 0.5f}, {3, 0.25f}, {2, 0.0f}, {1, 0.0f}};
    const std::vector<std::vector<std::pair<int, float>>> expected = {
        {{1, 0.5f}, {3, 0.5f}}, {{1, 1.0f}}, {{2, 1.0f}}};
    for (int corner = 0; corner < 3; ++corner) {
        CornerInfluencesOf(reference, corner, &influences);
        std::vector<std::pair<int, float>> got;
        for (const Influence& influence : influences)
            got.emplace_back(influence.bone, influence.weight);
        EXPECT_EQ(got, expected[size_t(corner)]) << "corner " << corner;
    }
}

const char kNodes[] = "version 1\nnodes\n0 \"root\" -1\n1 \"arm\" 0\n2 \"hand\" 1\nend\n";
const std::string kReference =
    std::string(kNodes) +
    "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 1 0 0 0 0 0\n2 1 0 0 0 0 0\nend\ntriangles\nskin.bmp\n"
    "0 1 2 3 0 0 1 0.1 0.2\n1 4 5 6 0 1 0 0.3 0.4\n2 7 8 9 1 0 0 0.5\nend\n";

TEST(ClipBones, SameNamesByPositionOtherwiseByName) {
    smd::Reference reference;
    ASSERT_EQ(smd::ParseReference(Bytes(kReference), &reference).result, SmdLoadResult::Ok);
    struct Case {
        std::string nodes;
        std::vector<int> clipBoneOf;
        std::vector<std::string> notes;
    };
    const Case cases[] = {
        {"0 \"root\" -1\n1 \"arm\" 0\n2 \"hand\" 1\n", {0, 1, 2}, {}},
        {"0 \"root\" -1\n1 \"arm\" 0\n",
         {0, 1, -1},
         {"animation c.smd has 2 bones, the model 3: bones 2 to 2 keep their pose"}},
        {"0 \"root\" -1\n1 \"hand\" 0\n2 \"tail\" 0\n",
         {0, -1, 1},
         {"animation c.smd: its bone \"tail\" is not in the model and is not used",
          "animation c.smd has no bone \"arm\": it keeps its bind pose"}},
    };
    for (const Case& c : cases) {
        std::string text = "version 1\nnodes\n" + c.nodes + "end\nskeleton\ntime 0\n";
        for (long b = 0; b < std::count(c.nodes.begin(), c.nodes.end(), '\n'); ++b)
            text += std::to_string(b) + " 0 0 0 0 0 0\n";
        text += "end\n";
        smd::Animation clip;
        ASSERT_EQ(smd::ParseAnimation(Bytes(text), &clip).result, SmdLoadResult::Ok);
        BoneMatch match = MatchClipBones(reference, clip, "c.smd");
        EXPECT_EQ(match.clipBoneOf, c.clipBoneOf);
        EXPECT_EQ(match.notes, c.notes);
    }
}

TEST(TextureCoordinates, InTheParsersCornerOrder) {
    TextureCoordinates uv;
    ASSERT_TRUE(ReadTextureCoordinates(Bytes(kReference), 1, &uv));
    // Vertex lines 1, 2, 3 sit in slots 0, 2, 1; line 3 has no v.
    EXPECT_EQ(uv.uv, (std::vector<float>{0.1f, 0.2f, 0.0f, 0.0f, 0.3f, 0.4f}));
    EXPECT_EQ(uv.missing, 1);
    EXPECT_EQ(uv.firstMissingLine, 17);
    EXPECT_FALSE(ReadTextureCoordinates(Bytes(kReference), 2, &uv));
}

TEST(Glb, HeaderAndPaddedChunks) {
    const uint8_t binary[5] = {1, 2, 3, 4, 5};
    std::vector<uint8_t> glb;
    ASSERT_TRUE(PackGlb("{}", binary, &glb));
    auto word = [&](size_t at) {
        uint32_t value;
        std::memcpy(&value, &glb[at], 4);
        return value;
    };
    ASSERT_EQ(glb.size(), 40u);
    EXPECT_EQ(std::string(glb.begin(), glb.begin() + 4), "glTF");
    EXPECT_EQ(word(4), 2u);
    EXPECT_EQ(word(8), 40u);
    EXPECT_EQ(word(12), 4u);
    EXPECT_EQ(std::string(glb.begin() + 16, glb.begin() + 24), "JSON{}  ");
    EXPECT_EQ(word(24), 8u);
    EXPECT_EQ(std::string(glb.begin() + 28, glb.begin() + 32), std::string("BIN\0", 4));
    EXPECT_EQ(std::vector<uint8_t>(glb.begin() + 32, glb.end()),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 0, 0, 0}));
}

}  // namespace
