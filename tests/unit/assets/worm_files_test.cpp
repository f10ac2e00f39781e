// The Puddle Worm files in the run folder, read apart from the generator:
// written as today's most used exporter writes SMD files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "asset_readers.h"

namespace {

const std::string kWormDir = std::string(RR_RUN_DIR) + "/Model/SMD/Puddle Worm/";

TEST(WormFiles, AreWrittenAsTheBlenderExporterWritesThem) {
    SmdData reference, clip;
    std::string error;
    ASSERT_TRUE(ReadSmdFile(kWormDir + "PuddleWorm.smd", &reference, &error)) << error;
    ASSERT_TRUE(ReadSmdFile(kWormDir + "anims/crawl.smd", &clip, &error)) << error;

    // Node ids with one gap; parents listed before their children; the
    // implicit root first.
    std::vector<int> ids;
    std::set<int> seen;
    for (const SmdNode& node : reference.nodes) {
        EXPECT_TRUE(node.parent == -1 || seen.count(node.parent)) << node.name;
        seen.insert(node.index);
        ids.push_back(node.index);
    }
    int gaps = 0;
    for (size_t i = 1; i < ids.size(); ++i) gaps += ids[i] - ids[i - 1] - 1;
    EXPECT_EQ(gaps, 1);
    EXPECT_EQ(reference.nodes[0].name, "blender_implicit");

    // Every vertex names the implicit root first and its real bones in
    // links whose weights add up to 1 as six decimals allow.
    std::set<std::string> materials;
    size_t byLinkCount[4] = {};
    for (const SmdTriangleLines& triangle : reference.triangles) {
        materials.insert(triangle.material);
        for (const SmdVertexLine& v : triangle.vertices) {
            ASSERT_EQ(v.bone, 0);
            ASSERT_GE(v.links.size(), 1u);
            ASSERT_LE(v.links.size(), 3u);
            ++byLinkCount[v.links.size()];
            float sum = 0;
            for (const auto& [bone, weight] : v.links) {
                EXPECT_TRUE(seen.count(bone) && bone != 0);
                sum += weight;
            }
            EXPECT_NEAR(sum, 1.0f, 3e-6f);
        }
    }
    EXPECT_GT(byLinkCount[2], 100u);
    EXPECT_GT(byLinkCount[3], 100u);
    // Material names without extension, their textures beside the file.
    EXPECT_EQ(materials, (std::set<std::string>{"WormEye", "WormSkin"}));
    EXPECT_TRUE(std::filesystem::is_regular_file(kWormDir + "WormSkin.png"));
    EXPECT_TRUE(std::filesystem::is_regular_file(kWormDir + "WormEye.tga"));

    // The clip: the same nodes, keyframes numbered from 1.
    ASSERT_EQ(clip.nodes.size(), reference.nodes.size());
    for (size_t i = 0; i < clip.nodes.size(); ++i)
        EXPECT_EQ(clip.nodes[i].index, reference.nodes[i].index);
    EXPECT_EQ(clip.firstTime, 1);
    EXPECT_EQ(clip.timeBlocks.size(), 32u);
    EXPECT_TRUE(clip.triangles.empty());
}

}  // namespace
