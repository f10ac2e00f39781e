// SMD files as exporters write them today: weight links after u v, node ids
// with gaps, keyframes numbered from 1, clips made for a sibling skeleton,
// material names without an extension.
#include <cmath>
#include <cstring>

#include "model/material_texture_name.h"
#include "model/printable_text.h"
#include "model/smd/smd_parser.h"
#include "model_test_support.h"

namespace {

using namespace model_test;
using gfx::recording::ContentsOf;

std::span<const uint8_t> Span(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Bone 0 at the origin, bone 1 ten units up (+Z).
const std::string kBindPose = "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 0 10 0 0 0\nend\n";

// One triangle whose three vertex lines are given.
std::string Reference(const std::string& a, const std::string& b, const std::string& c,
                      const std::string& nodes = kTwoNodes, const std::string& pose = kBindPose) {
    return "version 1\n" + nodes + pose + "triangles\nm\n" + a + "\n" + b + "\n" + c + "\nend\n";
}

using Links = std::vector<std::pair<int, float>>;

Links CornerLinks(const smd::Reference& parsed, int corner) {
    Links out;
    if (parsed.linkStart.empty()) return out;
    for (uint32_t l = parsed.linkStart[size_t(corner)]; l < parsed.linkStart[size_t(corner) + 1];
         ++l)
        out.push_back({parsed.links[l].bone, parsed.links[l].weight});
    return out;
}

TEST(WeightLinks, TheListIsFinalAsTheParserHandsItOver) {
    struct Case {
        const char* line;  // the first vertex line (corner slot 0)
        Links links;
    } cases[] = {
        {"0 0 0 0 0 0 1 0 0 2 1 0.25 0 0.75", {{1, 0.25f}, {0, 0.75f}}},
        // The rest of 1 goes to the first field's bone...
        {"0 0 0 0 0 0 1 0 0 1 1 0.25", {{1, 0.25f}, {0, 0.75f}}},
        {"0 0 0 0 0 0 1 0 0 1 1 0.9998", {{1, 0.9998f}, {0, float(1.0 - double(0.9998f))}}},
        // Short of 1 by the rounding of six decimals: 1 all the same.
        {"0 0 0 0 0 0 1 0 0 1 1 0.99995", {{1, 1.0f}}},
        {"1 0 0 0 0 0 1 0 0 1 0 0.5", {{0, 0.5f}, {1, 0.5f}}},
        // ... merged with its link; links to one bone are one link.
        {"0 0 0 0 0 0 1 0 0 2 0 0.25 1 0.5", {{0, 0.5f}, {1, 0.5f}}},
        {"0 0 0 0 0 0 1 0 0 2 1 0.5 1 0.25", {{1, 0.75f}, {0, 0.25f}}},
        // Weights above 1 in all are divided by their sum; zeros dropped.
        {"0 0 0 0 0 0 1 0 0 2 1 1.5 0 0.5", {{1, 0.75f}, {0, 0.25f}}},
        {"0 0 0 0 0 0 1 0 0 3 1 0 0 0 1 3", {{1, 1.0f}}},
        {"0 0 0 0 0 0 1 0 0 2 1 0 0 0", {{0, 1.0f}}},
        // No links: none listed for the file.
        {"0 0 0 0 0 0 1 0 0 0", {}},
        {"0 0 0 0 0 0 1 0 0", {}},
        {"0 0 0 0 0 0 1", {}},
        {"0 0 0 0 0 0 1 0 0      ", {}},
    };
    for (const Case& c : cases) {
        smd::Reference parsed;
        const std::string text = Reference(c.line, "0 0 1 0 0 0 1 0 0", "0 1 0 0 0 0 1 0 0");
        ASSERT_EQ(smd::ParseReference(Span(text), &parsed).result, SmdLoadResult::Ok) << c.line;
        EXPECT_EQ(CornerLinks(parsed, 0), c.links) << c.line;
        EXPECT_EQ(parsed.linkStart.empty(), c.links.empty()) << c.line;
    }
}

TEST(WeightLinks, FollowTheCornerSlotsOfTheirLines) {
    // Lines 1, 2, 3 are slots 0, 2, 1: the second line's links are corner 2's.
    smd::Reference parsed;
    const std::string text =
        Reference("0 0 0 0 0 0 1 0 0", "0 0 1 0 0 0 1 0 0 1 1 0.5", "0 1 0 0 0 0 1 0 0 0");
    ASSERT_EQ(smd::ParseReference(Span(text), &parsed).result, SmdLoadResult::Ok);
    EXPECT_EQ(parsed.linkStart, (std::vector<uint32_t>{0, 0, 0, 2}));
    EXPECT_EQ(CornerLinks(parsed, 2), (Links{{1, 0.5f}, {0, 0.5f}}));
}

TEST(WeightLinks, NodeIdsWithGapsTakeSlotsInNodeLineOrder) {
    // Ids 0, 3, 7 in the order 0, 7, 3: slots 0, 1, 2; every field names ids.
    const std::string nodes = "nodes\n0 \"root\" -1\n7 \"hand\" 0\n3 \"arm\" 7\nend\n";
    const std::string pose = "skeleton\ntime 0\n0 5 0 0 0 0 0\n7 0 2 0 0 0 0\n3 0 0 1 0 0 0\nend\n";
    smd::Reference parsed;
    const std::string text = Reference("3 5 2 1 0 0 1 0 0 2 7 0.5 3 0.5", "7 5 2 0 0 0 1 0 0",
                                       "0 0 0 0 0 0 1 0 0", nodes, pose);
    ASSERT_EQ(smd::ParseReference(Span(text), &parsed).result, SmdLoadResult::Ok);
    EXPECT_EQ(parsed.nodeIds, (std::vector<int>{0, 7, 3}));
    EXPECT_EQ(parsed.bones[1].parentIndex, 0);
    EXPECT_EQ(parsed.bones[2].parentIndex, 1);
    EXPECT_EQ(parsed.bones[2].absoluteMatrix, MatrixTranslation(5, 2, 1));
    EXPECT_EQ(parsed.triangles[0].boneIndices[0], 2);
    EXPECT_EQ(parsed.triangles[0].boneIndices[2], 1);
    EXPECT_EQ(parsed.triangles[0].vertices[0].position, Vector3(0, 0, 0));  // in arm's space
    EXPECT_EQ(CornerLinks(parsed, 0), (Links{{1, 0.5f}, {2, 0.5f}}));
}

TEST(WeightLinks, ParentsMayNameAnyNodeById) {
    // A parent given after its child, and a node that is its own parent, are
    // read as files without gaps always were: by slot, through the ids.
    const std::string text =
        "version 1\nnodes\n0 \"a\" -1\n5 \"b\" 9\n9 \"c\" 9\nend\n"
        "skeleton\ntime 1\n0 0 0 0 0 0 0\n5 1 0 0 0 0 0\n9 0 2 0 0 0 0\nend\n";
    smd::Reference reference;
    ASSERT_EQ(smd::ParseReference(Span(text), &reference).result, SmdLoadResult::Ok);
    smd::Animation animation;
    ASSERT_EQ(smd::ParseAnimation(Span(text), &animation).result, SmdLoadResult::Ok);
    ASSERT_EQ(animation.frameCount, 1);
    for (const Bone* bones : {reference.bones.get(), animation.frames[0].get()}) {
        EXPECT_EQ(bones[0].parentIndex, -1);
        EXPECT_EQ(bones[1].parentIndex, 2);
        EXPECT_EQ(bones[2].parentIndex, 2);
    }
}

TEST(WeightLinks, KeyframesCountFromTheSmallestNumber) {
    const std::string head = "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\n";
    struct Case {
        std::string blocks;
        std::vector<float> x;  // root's x in keyframes 0, 1, ...
    } cases[] = {
        {"time 1\n0 10 0 0 0 0 0\ntime 2\n0 20 0 0 0 0 0\ntime 3\n0 30 0 0 0 0 0\n", {10, 20, 30}},
        {"time 6\n0 60 0 0 0 0 0\ntime 5\n0 50 0 0 0 0 0\n", {50, 60}},
        {"time -1\n0 -10 0 0 0 0 0\ntime 0\n0 0 0 0 0 0 0\n", {-10, 0}},
    };
    for (const Case& c : cases) {
        smd::Animation parsed;
        ASSERT_EQ(smd::ParseAnimation(Span(head + c.blocks + "end\n"), &parsed).result,
                  SmdLoadResult::Ok)
            << c.blocks;
        ASSERT_EQ(parsed.frameCount, int(c.x.size()));
        for (size_t f = 0; f < c.x.size(); ++f)
            EXPECT_EQ(parsed.frames[f][0].absoluteMatrix.m[3][0], c.x[f]);
    }
}

class LinkedSkinning : public ModelTest {
protected:
    bool Step(float step) {
        return model->UpdateAndDraw(device, gfx::D3DFILL_SOLID, 0, model->clips[0].frameCount, step,
                                    0);
    }
    SkinVertex Skinned(int index) const {
        SkinVertex vertex;
        std::memcpy(&vertex, ContentsOf(model->meshes[0].vertexBuffer).data() + 24 * index, 24);
        return vertex;
    }
};

// Root and arm as in the reference, then the arm turned a quarter about Z
// and moved 4 along X.
const std::string kTurnClip = "version 1\n" + kTwoNodes +
                              "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 0 10 0 0 0\n"
                              "time 1\n0 0 0 0 0 0 0\n1 4 0 10 0 0 1.5707963\nend\n";

TEST_F(LinkedSkinning, CornersFollowTheirBonesByWeight) {
    // Corner 0: half root, half arm. Corner 2: all arm though its first field
    // names the root. Corner 1: the root at full weight, as without links.
    ASSERT_TRUE(
        LoadReferenceText(Reference("0 2 0 10 0 1 0 0 0 2 0 0.5 1 0.5", "0 2 0 10 1 0 0 0 0 1 1 1",
                                    "0 2 0 10 1 0 0 0 0 1 0 1")));
    ASSERT_TRUE(LoadAnimationText(kTurnClip));
    const ModelMesh& mesh = model->meshes[0];
    // Corner 2 becomes a corner of the arm, skinned as one; corner 0 alone
    // is blended.
    EXPECT_EQ(mesh.linked.corner, (std::vector<uint32_t>{0}));
    EXPECT_EQ(mesh.triangles[0].boneIndices[2], 1);
    EXPECT_EQ(mesh.triangles[0].boneIndices[1], 0);

    ASSERT_TRUE(Step(1.0f));  // keyframe 0, the bind pose: every corner where the file puts it
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(Skinned(c).position.x, 2.0f, 1e-5f) << c;
        EXPECT_NEAR(Skinned(c).position.z, 10.0f, 1e-5f) << c;
    }
    ASSERT_TRUE(Step(1.0f));  // keyframe 1: the arm turned (2, 0) to (0, 2) and moved by (4, 0)
    const Vector3 onArm(4, 2, 10), onRoot(2, 0, 10);
    const Vector3 half = (onArm + onRoot) * 0.5f;
    EXPECT_NEAR(Skinned(0).position.x, half.x, 1e-5f);
    EXPECT_NEAR(Skinned(0).position.y, half.y, 1e-5f);
    EXPECT_NEAR(Skinned(0).position.z, half.z, 1e-5f);
    EXPECT_NEAR(Skinned(2).position.x, onArm.x, 1e-5f);
    EXPECT_NEAR(Skinned(2).position.y, onArm.y, 1e-5f);
    EXPECT_NEAR(Skinned(2).normal.y, 1.0f, 1e-5f);  // (1, 0, 0) turned a quarter
    EXPECT_EQ(Skinned(1).position, onRoot);         // the one-bone path: exact
}

// A reference parsed and skinned as the program does, in a pose that turns
// each bone of its bind pose.
std::vector<SkinVertex> SkinnedInATurn(const std::string& text) {
    smd::Reference parsed;
    if (smd::ParseReference(Span(text), &parsed).result != SmdLoadResult::Ok) return {};
    ModelMesh mesh;
    mesh.boneCount = parsed.boneCount;
    mesh.bones = parsed.bones.release();
    mesh.triangleCount = parsed.triangleCount;
    mesh.vertexCount = 3 * parsed.triangleCount;
    mesh.triangles = parsed.triangles.release();
    if (!mesh.SetLinks(parsed.linkStart, parsed.links)) return {};
    std::vector<Bone> pose(size_t(mesh.boneCount));
    for (int b = 0; b < mesh.boneCount; ++b)
        pose[size_t(b)].absoluteMatrix =
            MatrixRotationZ(0.7f + float(b)) * mesh.bones[b].absoluteMatrix;
    std::vector<SkinVertex> out(size_t(mesh.vertexCount));
    mesh.SkinCorners(pose.data(), out.data());
    return out;
}

TEST(WeightLinks, OneLinkOfFullWeightSkinsAsTheLineNamingItsBone) {
    // Bind matrices that no float keeps exact: a corner taken into the root's
    // space and back would differ in its last bits.
    const std::string pose =
        "skeleton\ntime 0\n0 0.3 -1.7 0.9 0.2 0.1 0.7\n1 1.1 2.3 10.7 0.4 -0.3 0.2\nend\n";
    const char* corners[3] = {"2.1 0.3 10.9 0 1 0 0.5 0.5", "2.7 1.3 10.1 1 0 0 0 1",
                              "3.3 0.2 11.3 0 0.6 0.8 1 0"};
    auto text = [&](const std::string& first, const std::string& tail) {
        return Reference(first + corners[0] + tail, first + corners[1] + tail,
                         first + corners[2] + tail, kTwoNodes, pose);
    };
    const std::vector<SkinVertex> arm = SkinnedInATurn(text("1 ", ""));
    ASSERT_EQ(arm.size(), 3u);
    const char* links[] = {" 1 1 1", " 1 1 1.000000", " 2 1 0.5 1 0.5", " 1 1 0.99995",
                           " 3 1 0.25 0 0 1 0.75"};
    for (const char* tail : links) {
        const std::vector<SkinVertex> linked = SkinnedInATurn(text("0 ", tail));
        ASSERT_EQ(linked.size(), 3u) << tail;
        EXPECT_EQ(std::memcmp(linked.data(), arm.data(), sizeof(SkinVertex) * 3), 0) << tail;
    }
    // Two bones, or less than full weight: blended, not the arm's corners.
    const std::vector<SkinVertex> blended = SkinnedInATurn(text("0 ", " 1 1 0.9"));
    ASSERT_EQ(blended.size(), 3u);
    EXPECT_GT(Vec3Length(blended[0].position - arm[0].position), 0.01f);
}

TEST_F(LinkedSkinning, ClipsWithOtherBonesDriveTheBonesOfTheirName) {
    // The clip has the arm first and a bone the model lacks; the root is
    // missing: it keeps its pose, the arm follows the clip's bone 0.
    ASSERT_TRUE(LoadReferenceText(
        Reference("1 2 0 10 0 0 1 0 0", "0 2 0 0 0 0 1 0 0", "1 0 0 10 0 0 1 0 0")));
    ASSERT_TRUE(
        LoadAnimationText("version 1\nnodes\n0 \"arm\" -1\n1 \"toe\" 0\nend\nskeleton\n"
                          "time 0\n0 7 0 10 0 0 0\n1 0 0 0 0 0 0\nend\n"));
    ASSERT_TRUE(Step(0.01f));
    EXPECT_EQ(model->meshes[0].bones[0].absoluteMatrix, MatrixIdentity());
    EXPECT_EQ(model->meshes[0].bones[1].absoluteMatrix, MatrixTranslation(7, 0, 10));
    EXPECT_EQ(Skinned(0).position, Vector3(9, 0, 10));
    EXPECT_EQ(Skinned(2).position, Vector3(2, 0, 0));
}

TEST_F(ModelTest, MaterialNamesWithoutExtensionFindTheirTexture) {
    Write("Skin.PNG", "png");
    Write("skin.tga", "tga");
    Write("eye.jpg", "jpg");
    Write("Material.001.bmp", "bmp");
    std::filesystem::create_directories(folder + "/maps");
    Write("maps/fin.tga", "tga");
    std::filesystem::create_directories(folder + "/lamp.png");  // a folder is no texture
    const std::string directory = folder + "/";
    struct Case {
        const char* name;
        const char* file;
    } cases[] = {
        {"Skin", "Skin.png"},  // .png before .tga, the extension in any case
        {"skin", "skin.png"},
        {"eye", "eye.jpg"},
        {"Material.001", "Material.001.bmp"},  // ".001" is no extension
        {"maps/fin", "maps/fin.tga"},
        {"skin.bmp", "skin.bmp"},  // an extension stays, found or not
        {"lamp", "lamp"},
        {"missing", "missing"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MaterialTextureName(std::string(), directory.c_str(), c.name), c.file);
    // A relative directory is taken from the base folder.
    EXPECT_EQ(MaterialTextureName(folder, "maps/", "fin"), "fin.tga");
}

TEST(PrintableText, KeepsUtf8AndShowsControlCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"Bip01 L Toe0", "Bip01 L Toe0"},
        {"\xed\x94\xbc\xeb\xb6\x80", "\xed\x94\xbc\xeb\xb6\x80"},  // UTF-8 "피부"
        {"\xc7\xc7\xba\xce", "\xed\x94\xbc\xeb\xb6\x80"},          // the same in code page 949
        {"a\x1b[2Jb\t\x7f", "a\\x1B[2Jb\\x09\\x7F"},
        {"c1 \xc2\x9b", "c1 \\x9B"},  // a C1 control in UTF-8
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(PrintableText(in), out);
}

}  // namespace
