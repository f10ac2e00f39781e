// Checks on the character files the build wrote into the run folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "asset_readers.h"
#include "assetgen/euler.h"

namespace {

const std::string kModelDir = std::string(RR_RUN_DIR) + "/Model/SMD/Pudo_Red/";
const char* const kClipFiles[] = {"Ani_Red(Attack).smd", "Ani_Red(Run).smd", "Ani_Red(Stun).smd"};

class CharacterFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        reference_ = new SmdData;
        ASSERT_TRUE(ReadSmdFile(kModelDir + "Ref_Red.smd", reference_, &error)) << error;
        for (const char* name : kClipFiles) {
            clips_.emplace_back();
            ASSERT_TRUE(ReadSmdFile(kModelDir + name, &clips_.back(), &error)) << error;
        }
    }
    static void TearDownTestSuite() {
        delete reference_;
        reference_ = nullptr;
        clips_.clear();
    }
    // Reference vertices moved by the pose of one animation keyframe.
    static std::vector<Vector3> PosedVertices(const SmdData& clip, size_t block) {
        std::vector<Matrix4> bind = BlockAbsolutes(*reference_, 0),
                             pose = BlockAbsolutes(clip, block);
        std::vector<Matrix4> skin(bind.size());
        for (size_t b = 0; b < bind.size(); ++b) {
            Matrix4 inverse;
            EXPECT_TRUE(MatrixInverse(bind[b], &inverse));
            skin[b] = inverse * pose[b];
        }
        std::vector<Vector3> out;
        for (const auto& t : reference_->triangles)
            for (const auto& v : t.vertices)
                out.push_back(Vec3TransformCoord(v.position, skin[static_cast<size_t>(v.bone)]));
        return out;
    }
    static SmdData* reference_;
    static std::vector<SmdData> clips_;
};

SmdData* CharacterFiles::reference_ = nullptr;
std::vector<SmdData> CharacterFiles::clips_;

TEST_F(CharacterFiles, SkeletonIsAHierarchyOfTheRightSize) {
    const auto& nodes = reference_->nodes;
    EXPECT_GE(nodes.size(), 15u);
    EXPECT_LE(nodes.size(), 30u);
    std::set<std::string> names;
    int roots = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[i].index, static_cast<int>(i));
        EXPECT_LT(nodes[i].parent, static_cast<int>(i))
            << "a parent must come before its child: " << nodes[i].name;
        EXPECT_GE(nodes[i].parent, -1);
        roots += nodes[i].parent == -1;
        EXPECT_TRUE(names.insert(nodes[i].name).second) << "duplicate bone name " << nodes[i].name;
        EXPECT_EQ(nodes[i].name.find(' '), std::string::npos);
    }
    EXPECT_EQ(roots, 1);
    // The bind pose: one time block with one line per bone, in bone order.
    ASSERT_EQ(reference_->timeBlocks.size(), 1u);
    ASSERT_EQ(reference_->timeBlocks[0].size(), nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        EXPECT_EQ(reference_->timeBlocks[0][i].bone, static_cast<int>(i));
}

TEST_F(CharacterFiles, AnimationsShareTheReferenceNodesAndHaveFullBlocks) {
    const size_t expectedFrames[] = {30, 20, 30};
    for (size_t c = 0; c < clips_.size(); ++c) {
        SCOPED_TRACE(kClipFiles[c]);
        const SmdData& clip = clips_[c];
        ASSERT_EQ(clip.nodes.size(), reference_->nodes.size());
        for (size_t i = 0; i < clip.nodes.size(); ++i) {
            EXPECT_EQ(clip.nodes[i].name, reference_->nodes[i].name);
            EXPECT_EQ(clip.nodes[i].parent, reference_->nodes[i].parent);
        }
        EXPECT_TRUE(clip.triangles.empty());
        EXPECT_EQ(clip.timeBlocks.size(), expectedFrames[c]);
        for (const auto& block : clip.timeBlocks) {
            ASSERT_EQ(block.size(), clip.nodes.size());
            for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block[i].bone, static_cast<int>(i));
        }
    }
}

TEST_F(CharacterFiles, MeshHasTheRightSizeMaterialsAndTextures) {
    const auto& triangles = reference_->triangles;
    EXPECT_GE(triangles.size(), 3000u);
    EXPECT_LE(triangles.size(), 8000u);
    // Materials come in one run each (so a loader's material table holds each
    // once), every one names a 24-bit BMP next to the reference file.
    std::vector<std::string> runs;
    for (const auto& t : triangles)
        if (runs.empty() || runs.back() != t.material) runs.push_back(t.material);
    std::set<std::string> distinct(runs.begin(), runs.end());
    EXPECT_EQ(distinct.size(), runs.size());
    EXPECT_GE(distinct.size(), 3u);
    for (const std::string& material : distinct) {
        std::vector<uint8_t> bmp = ReadAllBytes(kModelDir + material);
        ASSERT_GE(bmp.size(), 54u) << material;
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(bmp[28] | (bmp[29] << 8), 24) << material << " is not 24-bit";
        uint32_t declared =
            bmp[2] | (bmp[3] << 8) | (bmp[4] << 16) | (static_cast<uint32_t>(bmp[5]) << 24);
        EXPECT_EQ(declared, bmp.size());
    }
    for (const auto& t : triangles)
        for (const auto& v : t.vertices) {
            ASSERT_GE(v.bone, 0);
            ASSERT_LT(v.bone, static_cast<int>(reference_->nodes.size()));
            EXPECT_NEAR(Vec3Length(v.normal), 1.0f, 1e-3f);
        }
}

TEST_F(CharacterFiles, StandsOnTheGroundAtTheRightHeightFacingMinusY) {
    Vector3 low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
    Vector3 eyes, all;
    int eyeCount = 0, count = 0;
    for (const auto& t : reference_->triangles)
        for (const auto& v : t.vertices) {
            low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y),
                   std::min(low.z, v.position.z)};
            high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y),
                    std::max(high.z, v.position.z)};
            all += v.position;
            ++count;
            if (t.material.find("Eye") != std::string::npos) {
                eyes += v.position;
                ++eyeCount;
            }
        }
    EXPECT_NEAR(low.z, 0.0f, 0.5f) << "feet on the ground";
    EXPECT_GE(high.z - low.z, 100.0f);
    EXPECT_LE(high.z - low.z, 140.0f);
    EXPECT_NEAR(low.x, -high.x, 0.5f) << "left and right are mirror images";
    // Eyes in front (−Y) of the body: after the program's world matrix
    // (x, y, z) → (−x, z, y + 100) that side faces the camera at world z = −200.
    ASSERT_GT(eyeCount, 0);
    EXPECT_LT(eyes.y / eyeCount, all.y / count - 10.0f);
    EXPECT_GT(eyes.z / eyeCount, all.z / count) << "eyes sit in the head";
}

TEST_F(CharacterFiles, TrianglesWindCounterClockwiseSeenFromOutside) {
    int outward = 0, total = 0;
    for (const auto& t : reference_->triangles) {
        const auto& v = t.vertices;
        Vector3 face = Vec3Cross(v[1].position - v[0].position, v[2].position - v[0].position);
        if (Vec3Length(face) < 1e-4f) continue;
        Vector3 normal = v[0].normal + v[1].normal + v[2].normal;
        ++total;
        outward += Vec3Dot(face, normal) > 0.0f;
    }
    ASSERT_GT(total, 0);
    EXPECT_EQ(outward, total);
}

TEST_F(CharacterFiles, NoBoneTurnsFarBetweenNeighbouringKeyframes) {
    for (size_t c = 0; c < clips_.size(); ++c) {
        const SmdData& clip = clips_[c];
        const size_t n = clip.timeBlocks.size();
        for (size_t f = 0; f < n; ++f) {
            // The last keyframe leads back into the first.
            std::vector<Matrix4> a = BlockAbsolutes(clip, f), b = BlockAbsolutes(clip, (f + 1) % n);
            for (size_t k = 0; k < a.size(); ++k) {
                float degrees = assetgen::RotationAngleBetween(a[k], b[k]) * 180.0f / 3.14159265f;
                EXPECT_LE(degrees, 20.0f)
                    << kClipFiles[c] << " keyframe " << f << " bone " << clip.nodes[k].name;
                // A bone that jumps between keyframes points at a broken pose.
                float moved =
                    Vec3Length(Vector3{b[k].m[3][0] - a[k].m[3][0], b[k].m[3][1] - a[k].m[3][1],
                                       b[k].m[3][2] - a[k].m[3][2]});
                EXPECT_LE(moved, 15.0f)
                    << kClipFiles[c] << " keyframe " << f << " bone " << clip.nodes[k].name;
            }
        }
    }
}

TEST_F(CharacterFiles, PosesKeepTheCharacterOnTheGroundAndMoveIt) {
    for (size_t c = 0; c < clips_.size(); ++c) {
        float largestChange = 0.0f;
        std::vector<Vector3> first = PosedVertices(clips_[c], 0);
        for (size_t f = 0; f < clips_[c].timeBlocks.size(); ++f) {
            std::vector<Vector3> posed = PosedVertices(clips_[c], f);
            float lowest = 1e9f, highest = -1e9f;
            for (size_t i = 0; i < posed.size(); ++i) {
                lowest = std::min(lowest, posed[i].z);
                highest = std::max(highest, posed[i].z);
                largestChange = std::max(largestChange, Vec3Length(posed[i] - first[i]));
            }
            EXPECT_GE(lowest, -3.0f)
                << kClipFiles[c] << " keyframe " << f << " sinks into the ground";
            EXPECT_LE(lowest, 12.0f) << kClipFiles[c] << " keyframe " << f << " floats";
            EXPECT_GE(highest, 95.0f);
            EXPECT_LE(highest, 150.0f);
        }
        EXPECT_GT(largestChange, 10.0f) << kClipFiles[c] << " hardly moves";
    }
}

// assimp's SMD importer, an independent reader, must take the files and see
// what we wrote. It splits the mesh by material and counts per mesh the bones
// that mesh's vertices use, which is what "Bones:" sums up.
TEST_F(CharacterFiles, AssimpImportsTheFilesWithTheSameCounts) {
    int status = 0;
    std::string text = RunCommand("assimp info '" + kModelDir + "Ref_Red.smd' 2>&1", &status);
    if (status == 127) GTEST_SKIP() << "assimp is not installed";
    ASSERT_EQ(status, 0) << text;
    auto field = [&](const std::string& text, const std::string& name) {
        size_t at = text.find("\n" + name + ":");
        if (at == std::string::npos) return -1L;
        return std::strtol(text.c_str() + at + name.size() + 2, nullptr, 10);
    };
    std::map<std::string, std::set<int>> bonesPerMaterial;
    for (const auto& t : reference_->triangles)
        for (const auto& v : t.vertices) bonesPerMaterial[t.material].insert(v.bone);
    long bonesUsed = 0;
    for (const auto& entry : bonesPerMaterial) bonesUsed += static_cast<long>(entry.second.size());
    EXPECT_EQ(field(text, "Faces"), static_cast<long>(reference_->triangles.size())) << text;
    EXPECT_EQ(field(text, "Meshes"), static_cast<long>(bonesPerMaterial.size()));
    EXPECT_EQ(field(text, "Bones"), bonesUsed);
    EXPECT_EQ(field(text, "Animation Channels"), static_cast<long>(reference_->nodes.size()));
    for (const char* name : kClipFiles) {
        std::string clipText = RunCommand("assimp info '" + kModelDir + name + "' 2>&1", &status);
        EXPECT_EQ(status, 0) << clipText;
        EXPECT_EQ(field(clipText, "Animation Channels"),
                  static_cast<long>(reference_->nodes.size()))
            << name;
    }
}

}  // namespace
