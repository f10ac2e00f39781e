// Files that would otherwise corrupt the model: each load must fail with a
// message naming file and line and leave every slot as it was; limits of
// the fixed buffers.
#include "model_test_support.h"

namespace {

using namespace model_test;

const std::string kBindPose = "skeleton\ntime 0\n0 0 0 5 0 0 0\n1 1 0 0 0 0 0\nend\n";
const std::string kTriangle =
    "triangles\nm\n0 1 0 0 0 0 1 0 0\n1 0 1 0 0 1 0 0 0\n0 0 0 1 1 0 0 0 0\nend\n";

// One hostile file: what it holds, and the line and reason it is refused for.
struct HostileFile {
    const char* fault;
    bool reference;
    std::string bytes;
    int line;
    std::string reason;
};

std::string Repeat(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += text;
    return out;
}

const std::string kCorner = "0 0 0 0 0 0 1 0 0\n";

// Node ids 0 and 2: no node has id 1.
const std::string kGapNodes = "nodes\n0 \"root\" -1\n2 \"arm\" 0\nend\n";

// A reference whose one triangle's last vertex line is `line`.
std::string LinkedTriangle(const std::string& line) {
    return "version 1\n" + kTwoNodes + kBindPose + "triangles\nm\n" + kCorner + kCorner + line +
           "\nend\n";
}

// Every file breaks the format in its own way; each would corrupt the model
// (or the memory) if it were loaded.
const HostileFile kHostileFiles[] = {
    {"nodes without end", true, "version 1\nnodes\n0 \"a\" -1\n", 2,
     "the \"nodes\" section has no \"end\" line"},
    {"skeleton without end", true, "version 1\n" + kTwoNodes + "skeleton\ntime 0\n0 0 0 0 0 0 0\n",
     6, "the \"skeleton\" section has no \"end\" line"},
    {"triangle cut short by the end of the file", true,
     "version 1\n" + kTwoNodes + "\ntriangles\nm\n" + kCorner, 7,
     "the \"triangles\" section has no \"end\" line"},
    {"keyframe block cut short by the end of the file", false,
     "version 1\n" + kTwoNodes + "skeleton\ntime 0\n0 0 0 0 0 0 0\n", 6,
     "the \"skeleton\" section has no \"end\" line"},
    // Node ids may skip numbers, but each names one node, and a parent is
    // a node (any node: a later one, or the node itself). The ids are judged
    // before the parents.
    {"node id given twice", true, "version 1\nnodes\n0 \"a\" -1\n0 \"b\" 0\nend\n", 4,
     "node id 0 is given twice"},
    {"node id given twice after a gap", false,
     "version 1\nnodes\n0 \"a\" -1\n5 \"b\" 0\n5 \"c\" 0\nend\n", 5, "node id 5 is given twice"},
    {"node id given twice after a parent that is no node", true,
     "version 1\nnodes\n0 \"a\" 7\n0 \"b\" -1\nend\n", 4, "node id 0 is given twice"},
    {"node id beyond int", true, "version 1\nnodes\n4294967296 \"a\" -1\n1 \"b\" 0\nend\n", 3,
     "node id 4294967296 is outside 0..2147483647"},
    {"negative node id", true, "version 1\nnodes\n-3 \"a\" -1\nend\n", 3,
     "node id -3 is outside 0..2147483647"},
    {"negative parent other than -1", true, "version 1\nnodes\n0 \"a\" -2\nend\n", 3,
     "parent id -2 is neither -1 nor the id of a node"},
    {"parent past the node lines", false, "version 1\nnodes\n0 \"a\" 5\nend\n", 3,
     "parent id 5 is neither -1 nor the id of a node"},
    {"parent in the gap of the ids", true,
     "version 1\nnodes\n0 \"a\" -1\n3 \"b\" 1\n1 \"c\" 9\nend\n", 5,
     "parent id 9 is neither -1 nor the id of a node"},
    {"parent beyond int", false, "version 1\nnodes\n0 \"a\" 99999999999\nend\n", 3,
     "parent id 99999999999 is neither -1 nor the id of a node"},
    {"node line without quotes", true, "version 1\nnodes\nroot -1\nend\n", 3,
     "expected a node line: index \"name\" parent"},
    {"bind pose line that is no bone line", true,
     "version 1\n" + kTwoNodes + "skeleton\ntime 0\nroot 0 0\nend\n", 8,
     "expected a bone line: index x y z rx ry rz"},
    {"bone index past the node lines", true,
     "version 1\n" + kTwoNodes + "skeleton\ntime 0\n2 0 0 0 0 0 0\nend\n", 8,
     "bone index 2 is outside 0..1"},
    {"negative bone index in a keyframe", false,
     "version 1\n" + kTwoNodes + "skeleton\ntime 0\n-1 0 0 0 0 0 0\n0 0 0 0 0 0 0\nend\n", 8,
     "bone index -1 is outside 0..1"},
    {"position that is not a number", true,
     "version 1\n" + kTwoNodes + "skeleton\ntime 0\n0 nan 0 0 0 0 0\nend\n", 8,
     "x value nan is not a finite number"},
    {"angle beyond float", false,
     "version 1\n" + kTwoNodes + "skeleton\ntime 0\n0 0 0 0 0 0 1e40\n1 0 0 0 0 0 0\nend\n", 8,
     "rz value 1e40 is not a finite number"},
    {"vertex bone index past the node lines", true,
     "version 1\n" + kTwoNodes + kBindPose + "triangles\nm\n" + kCorner + "7 0 0 0 0 0 1 0 0\n" +
         kCorner + "end\n",
     14, "vertex bone index 7 is outside 0..1"},
    {"vertex bone index beyond int", true,
     "version 1\n" + kTwoNodes + kBindPose + "triangles\nm\n2147483648 0 0 0 0 0 1 0 0\n" +
         kCorner + kCorner + "end\n",
     13, "vertex bone index 2147483648 is outside 0..1"},
    {"infinite normal", true,
     "version 1\n" + kTwoNodes + kBindPose + "triangles\nm\n0 0 0 0 0 -inf 1 0 0\n" + kCorner +
         kCorner + "end\n",
     13, "ny value -inf is not a finite number"},
    {"vertex line that is no vertex line", true,
     "version 1\n" + kTwoNodes + kBindPose + "triangles\nm\n" + kCorner + "end\n" + kCorner +
         "end\n",
     14, "expected a vertex line: bone x y z nx ny nz u v"},
    // Bound over triangles not read yet with no bones, this read past an
    // empty array.
    {"triangles without nodes", true,
     "version 1\ntriangles\nend\ntriangles\nm\n" + Repeat(kCorner, 3) + "end\n", 6,
     "vertex bone index 0 is outside 0..-1"},
    {"keyframe numbers with a gap", false,
     "version 1\n" + kTwoNodes +
         "skeleton\ntime 1\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\ntime 3\n0 0 0 0 0 0 0\n"
         "1 0 0 0 0 0 0\nend\n",
     10, "keyframe number 3 is outside 1..2"},
    {"keyframe number beyond int", false,
     "version 1\n" + kTwoNodes + "skeleton\ntime 4294967296\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\nend\n",
     7, "keyframe number 4294967296 is outside 0..0"},
    {"time line without a number", false,
     "version 1\n" + kTwoNodes + "skeleton\ntime\n0 0 0 0 0 0 0\nend\n", 7,
     "the time line has no keyframe number"},
    // Two of three keyframes would stay identity and the character collapse.
    {"keyframe number given twice", false,
     "version 1\n" + kTwoNodes + "skeleton\n" +
         Repeat("time 0\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\n", 3) + "end\n",
     10, "keyframe number 0 is given twice (first on line 7)"},
    // Ids with a gap: a bone line, a vertex line or a link naming the gap.
    {"bone line naming a gap in the ids", true,
     "version 1\n" + kGapNodes + "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\nend\n", 9,
     "bone id 1 is not a node"},
    {"vertex line naming a gap in the ids", true,
     "version 1\n" + kGapNodes + "triangles\nm\n" + kCorner + "1 0 0 0 0 0 1 0 0\n" + kCorner +
         "end\n",
     9, "vertex bone id 1 is not a node"},
    {"link naming a gap in the ids", true,
     "version 1\n" + kGapNodes + "triangles\nm\n" + kCorner + kCorner +
         "2 0 0 0 0 0 1 0 0 2 2 0.5 1 0.5\nend\n",
     10, "link 2: bone id 1 is not a node"},
    // Weight links after u v: a count, then that many bone and weight pairs.
    {"link to a bone past the node lines", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 2 1 0.5 2 0.5"),
     15, "link 2: bone index 2 is outside 0..1"},
    {"negative link weight", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 1 1 -0.25"), 15,
     "link 1: weight \"-0.25\" is negative"},
    {"link weight that is not a number", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 2 1 0.5 0 nan"),
     15, "link 2: weight \"nan\" is not a finite number"},
    {"infinite link weight", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 1 1 inf"), 15,
     "link 1: weight \"inf\" is not a finite number"},
    {"link count above the pairs given", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 2 1 0.5"), 15,
     "link count 2 does not match the 2 fields after it (a bone id and a weight per link)"},
    {"link count below the pairs given", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 1 1 0.5 0 0.5"),
     15, "link count 1 does not match the 4 fields after it (a bone id and a weight per link)"},
    {"link without its weight", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 1 1"), 15,
     "link count 1 does not match the 1 fields after it (a bone id and a weight per link)"},
    {"negative link count", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 -1 1 0.5"), 15,
     "link count -1 is negative"},
    {"link count that is not a number", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 two 1 0.5 0 0.5"),
     15, "expected a link count after u v, found \"two\""},
    {"link bone that is not a whole number", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 1 1.5 1"), 15,
     "link 1: expected a bone id and a weight, found \"1.5 1\""},
    // A terminal reading the message must not take the file's bytes for
    // escape sequences.
    {"link count of escape bytes", true, LinkedTriangle("0 0 0 0 0 0 1 0 0 \x1b[2J"), 15,
     "expected a link count after u v, found \"\\x1B[2J\""},
    {"link list cut at 255 characters", true,
     LinkedTriangle("0 0 0 0 0 0 1 0 0 40" + Repeat(" 1 0.025000", 40)), 15,
     "link count 40 does not match the 44 fields after it (a bone id and a weight per link); the "
     "line is longer "
     "than 255 characters and was cut"},
    {"keyframe block shorter than the node list", false,
     "version 1\n" + kTwoNodes +
         "skeleton\ntime 0\n0 0 0 0 0 0 0\ntime 1\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\nend\n",
     9, "expected a bone line of keyframe 0: index x y z rx ry rz"},
};

class HostileFiles : public ModelTest, public ::testing::WithParamInterface<HostileFile> {};

// Each file is loaded after a good reference and clip: it is refused with
// one message naming the file, line and reason, the caller gets the same
// reason and line, and every slot keeps its state.
TEST_P(HostileFiles, AreRefusedWithTheirLineAndChangeNothing) {
    const HostileFile& file = GetParam();
    Write("m", kTinyBmp);
    ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes + kBindPose + kTriangle, "good.smd"));
    ASSERT_TRUE(LoadAnimationText("version 1\n" + kTwoNodes + kBindPose, "good_anim.smd"));
    Messages().clear();
    const std::string path = Write("bad.smd", file.bytes);
    SmdLoadFailure failure;
    bool loaded = file.reference ? model->LoadReference(device, path.c_str(), context, &failure)
                                 : model->LoadAnimation(path.c_str(), context, &failure);
    EXPECT_FALSE(loaded);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].caption, "Error");
    EXPECT_EQ(Messages()[0].text,
              path + ", line " + std::to_string(file.line) + ": " + file.reason);
    EXPECT_EQ(failure.result, SmdLoadResult::Malformed);
    EXPECT_EQ(failure.line, file.line);
    EXPECT_EQ(failure.text, file.reason);
    EXPECT_EQ(model->meshCount, 1);
    EXPECT_EQ(model->clipCount, 1);
    EXPECT_EQ(model->meshes[1].bones, nullptr);
    EXPECT_EQ(model->meshes[1].vertexBuffer, nullptr);
    EXPECT_EQ(model->meshes[1].textureCount, 0);
    EXPECT_EQ(model->clips[1].frames, nullptr);
    EXPECT_EQ(model->meshes[0].bones[0].absoluteMatrix, MatrixTranslation(0, 0, 5));
    EXPECT_EQ(model->clips[0].frames[0][0].absoluteMatrix, MatrixTranslation(0, 0, 5));
    // Nothing is created for a refused file.
    EXPECT_EQ(device->GetLiveObjectCount(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Smd, HostileFiles, ::testing::ValuesIn(kHostileFiles),
                         [](const ::testing::TestParamInfo<HostileFile>& info) {
                             std::string name;
                             for (const char* c = info.param.fault; *c; ++c)
                                 if (isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

TEST_F(ModelTest, FullSlotTablesRefuseFurtherLoads) {
    const std::string mesh = Write("m.smd", "version 1\n" + kTwoNodes + kBindPose + kTriangle);
    const std::string clip = Write("c.smd", "version 1\n" + kTwoNodes + kBindPose);
    for (int i = 0; i < kMaxMeshes; ++i)
        ASSERT_TRUE(model->LoadReference(device, mesh.c_str(), context));
    for (int i = 0; i < kMaxClips; ++i) ASSERT_TRUE(model->LoadAnimation(clip.c_str(), context));
    EXPECT_FALSE(model->LoadReference(device, mesh.c_str(), context));
    EXPECT_FALSE(model->LoadAnimation(clip.c_str(), context));
    EXPECT_EQ(model->meshCount, kMaxMeshes);
    EXPECT_EQ(model->clipCount, kMaxClips);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0].text, mesh + ": all 32 mesh slots are in use");
    EXPECT_EQ(Messages()[1].text, clip + ": all 32 animation clip slots are in use");
}

TEST_F(ModelTest, OverlongLinesAndNamesAreCutNotOverflowed) {
    const std::string longName(200, 'n');
    // A 300-character bone line: its first 255 characters are read, the
    // rest is dropped instead of being taken for a line of its own.
    const std::string longLine = "1 1 0 0 0 0 0" + std::string(287, ' ') + "9 9 9 9 9 9 9";
    ASSERT_TRUE(LoadReferenceText("version 1\nnodes\n0 \"" + longName +
                                  "\" -1\n1 \"b\" 0\nend\n"
                                  "skeleton\ntime 0\n" +
                                  longLine + "\nend\n"));
    const ModelMesh& mesh = model->meshes[0];
    EXPECT_EQ(std::string(mesh.bones[0].name), longName.substr(0, 79));
    EXPECT_EQ(mesh.bones[0].parentIndex, -1);
    EXPECT_EQ(mesh.bones[1].parentIndex, 0);
    EXPECT_EQ(mesh.bones[1].localMatrix, MatrixTranslation(1, 0, 0));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ModelTest, OverlongPathsAreRefusedAndOverlongTexturePathsNotRequested) {
    const std::string deep(130, 'd');
    EXPECT_FALSE(model->LoadReference(device, (deep + "/ref.smd").c_str(), context));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, deep + "/ref.smd: the path is longer than 127 characters");

    const std::string material(70, 'm');  // with the folder, more than 79 characters
    ASSERT_TRUE(
        LoadReferenceText("version 1\n" + kTwoNodes + kBindPose + "triangles\n" + material +
                          "\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\nend\n"));
    const ModelMesh& mesh = model->meshes[0];
    EXPECT_EQ(std::strlen(mesh.texturePaths[0]), 79u);
    EXPECT_EQ(mesh.textures[0], nullptr);
    EXPECT_TRUE(Calls("CreateTextureFromFile").empty());
}

TEST_F(ModelTest, MaterialTableKeepsItsFirst128Entries) {
    std::string triangles = "triangles\n";
    for (int t = 0; t < 130; ++t)
        triangles += "mat" + std::to_string(t) +
                     "\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\n";
    ASSERT_TRUE(LoadReferenceText("version 1\n" + kTwoNodes + kBindPose + triangles + "end\n"));
    const ModelMesh& mesh = model->meshes[0];
    EXPECT_EQ(mesh.textureCount, 128);
    EXPECT_EQ(mesh.triangleCount, 130);
    EXPECT_EQ(mesh.triangles[127].materialIndex, 127);
    EXPECT_EQ(mesh.triangles[129].materialIndex, 0);
}

}  // namespace
