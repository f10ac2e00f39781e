// Checks on the Lantern Squid files in the run folder, read apart from the
// generator: a second character that differs from Pudo_Red in everything a
// loader, a player or a camera that frames a model depends on.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "asset_readers.h"
#include "assetgen/euler.h"

namespace {

const std::string kSquidDir = std::string(RR_RUN_DIR) + "/Model/SMD/Lantern Squid/";

struct ClipFile {
    const char* name;
    size_t keyframes, bones;
};
const ClipFile kClips[] = {{"Ani Squid (Swim).smd", 32, 59},
                           {"Ani Squid (Strike).smd", 28, 59},
                           {"Ani Squid (Look Around).smd", 16, 13}};

float Degrees(const Matrix4& a, const Matrix4& b) {
    return assetgen::RotationAngleBetween(a, b) * 180.0f / 3.14159265f;
}

// The deepest bone chain, and the bind-pose mesh's bounding box.
struct Figures {
    size_t depth = 0;
    Vector3 low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
};

Figures Measure(const SmdData& data) {
    Figures f;
    std::vector<size_t> depth(data.nodes.size(), 1);
    for (size_t i = 0; i < data.nodes.size(); ++i) {
        if (data.nodes[i].parent >= 0)
            depth[i] = depth[static_cast<size_t>(data.nodes[i].parent)] + 1;
        f.depth = std::max(f.depth, depth[i]);
    }
    for (const auto& t : data.triangles)
        for (const auto& v : t.vertices) {
            const Vector3& p = v.position;
            f.low = {std::min(f.low.x, p.x), std::min(f.low.y, p.y), std::min(f.low.z, p.z)};
            f.high = {std::max(f.high.x, p.x), std::max(f.high.y, p.y), std::max(f.high.z, p.z)};
        }
    return f;
}

class SquidFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(ReadSmdFile(kSquidDir + "Ref Squid.smd", &reference_, &error)) << error;
        for (const ClipFile& file : kClips) {
            clips_.emplace_back();
            ASSERT_TRUE(ReadSmdFile(kSquidDir + file.name, &clips_.back(), &error)) << error;
        }
    }
    static void TearDownTestSuite() { clips_.clear(); }
    static SmdData reference_;
    static std::vector<SmdData> clips_;
};

SmdData SquidFiles::reference_;
std::vector<SmdData> SquidFiles::clips_;

TEST_F(SquidFiles, IsLargerDeeperAndElsewhereThanPudoRed) {
    SmdData pudo;
    std::string error;
    ASSERT_TRUE(
        ReadSmdFile(std::string(RR_RUN_DIR) + "/Model/SMD/Pudo_Red/Ref_Red.smd", &pudo, &error))
        << error;
    const Figures squid = Measure(reference_), red = Measure(pudo);
    ASSERT_EQ(reference_.nodes.size(), 59u);
    EXPECT_GE(squid.depth, red.depth + 3);
    EXPECT_GT(std::count_if(reference_.nodes.begin(), reference_.nodes.end(),
                            [](const SmdNode& n) { return n.name.find(' ') != std::string::npos; }),
              40)
        << "bone names with spaces";
    EXPECT_GT(squid.high.z - squid.low.z, 2.5f * (red.high.z - red.low.z));
    EXPECT_GT(squid.high.x - squid.low.x, 2.5f * (red.high.x - red.low.x));
    // Neither centred on the model origin nor standing on z = 0.
    EXPECT_GT(squid.low.x + squid.high.x, 60.0f);
    EXPECT_GT(squid.low.y + squid.high.y, 60.0f);
    EXPECT_GT(squid.low.z, 5.0f);
}

// Each clip names the reference's first bones and fills every keyframe.
TEST_F(SquidFiles, ClipsHoldTheFirstReferenceBonesInFullKeyframes) {
    for (size_t c = 0; c < clips_.size(); ++c) {
        SCOPED_TRACE(kClips[c].name);
        const SmdData& clip = clips_[c];
        ASSERT_EQ(clip.nodes.size(), kClips[c].bones);
        EXPECT_EQ(clip.timeBlocks.size(), kClips[c].keyframes);
        for (size_t i = 0; i < clip.nodes.size(); ++i) {
            EXPECT_EQ(clip.nodes[i].name, reference_.nodes[i].name);
            EXPECT_EQ(clip.nodes[i].parent, reference_.nodes[i].parent);
        }
        for (const auto& block : clip.timeBlocks) EXPECT_EQ(block.size(), clip.nodes.size());
    }
}

// A player keeps the bind pose of the bones a clip lacks; the short clip
// must then hold still every bone such a bone hangs from, or limbs would
// tear away, and still move something.
TEST_F(SquidFiles, ShortClipMovesOnlyBonesWhoseChildrenItHolds) {
    const SmdData& clip = clips_[2];
    const size_t held = clip.nodes.size();
    const std::vector<Matrix4> bind = BlockAbsolutes(reference_, 0);
    float largestTurn = 0.0f;
    for (size_t f = 0; f < clip.timeBlocks.size(); ++f) {
        const std::vector<Matrix4> pose = BlockAbsolutes(clip, f);
        for (size_t b = held; b < reference_.nodes.size(); ++b) {
            const auto parent = static_cast<size_t>(reference_.nodes[b].parent);
            for (int r = 0; r < 4 && parent < held; ++r)
                for (int k = 0; k < 4; ++k)
                    ASSERT_NEAR(pose[parent].m[r][k], bind[parent].m[r][k], 1e-3f)
                        << "keyframe " << f << " moves " << reference_.nodes[parent].name;
        }
        for (size_t b = 0; b < held; ++b)
            largestTurn = std::max(largestTurn, Degrees(pose[b], bind[b]));
    }
    EXPECT_GT(largestTurn, 10.0f);
}

TEST_F(SquidFiles, SixMaterialsInThreeImageFormats) {
    std::vector<std::string> runs;
    for (const auto& t : reference_.triangles)
        if (runs.empty() || runs.back() != t.material) runs.push_back(t.material);
    const std::set<std::string> distinct(runs.begin(), runs.end());
    EXPECT_EQ(distinct.size(), runs.size()) << "one run of triangles per material";
    EXPECT_EQ(distinct.size(), 6u);
    std::set<std::string> formats;
    for (const std::string& material : distinct) {
        const std::vector<uint8_t> bytes = ReadAllBytes(kSquidDir + material);
        ASSERT_GE(bytes.size(), 18u) << material;
        const std::string extension = material.substr(material.size() - 4);
        bool matches =
            (extension == ".bmp" && bytes[0] == 'B' && bytes[1] == 'M') ||
            (extension == ".png" && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G') ||
            (extension == ".tga" && (bytes[2] == 2 || bytes[2] == 10));  // true-colour TGA
        EXPECT_TRUE(matches) << material << " does not hold what its name says";
        formats.insert(extension);
    }
    EXPECT_EQ(formats, (std::set<std::string>{".bmp", ".png", ".tga"}));
}

// assimp, an independent SMD reader, takes the files by their names with
// spaces and parentheses and sees what we wrote.
TEST_F(SquidFiles, AssimpImportsEveryFile) {
    auto field = [](const std::string& text, const std::string& name) {
        size_t at = text.find("\n" + name + ":");
        return at == std::string::npos
                   ? -1L
                   : std::strtol(text.c_str() + at + name.size() + 2, nullptr, 10);
    };
    int status = 0;
    std::string text = RunCommand("assimp info '" + kSquidDir + "Ref Squid.smd' 2>&1", &status);
    if (status == 127) GTEST_SKIP() << "assimp is not installed";
    ASSERT_EQ(status, 0) << text;
    EXPECT_EQ(field(text, "Faces"), static_cast<long>(reference_.triangles.size()));
    EXPECT_EQ(field(text, "Materials"), 6L);
    EXPECT_EQ(field(text, "Animation Channels"), 59L);
    for (const ClipFile& file : kClips) {
        text = RunCommand("assimp info '" + kSquidDir + file.name + "' 2>&1", &status);
        EXPECT_EQ(status, 0) << text;
        EXPECT_EQ(field(text, "Animation Channels"), static_cast<long>(file.bones)) << file.name;
    }
}

}  // namespace
