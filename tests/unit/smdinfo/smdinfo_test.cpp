// The smdinfo tool end to end: exit status, JSON validity and content.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct ToolRun {
    std::string out;
    int status = -1;
};

class Smdinfo : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/smdinfo_test_XXXXXX";
        folder = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string Write(const std::string& name, const std::string& text) {
        std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    ToolRun Exec(const std::string& arguments) {
        ToolRun run;
        FILE* pipe =
            popen((std::string(SMDINFO_PATH) + " " + arguments + " 2>/dev/null").c_str(), "r");
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0) run.out.append(buffer, got);
        int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }
    // Evaluates a Python expression over the parsed JSON (bound to d); the
    // parse rejects NaN and Infinity, which are not JSON.
    std::string Query(const std::string& json, const std::string& expression) {
        std::string file = Write("out.json", json);
        std::string script =
            Write("q.py",
                  "import json, sys\n"
                  "def bad(name): raise ValueError(name)\n"
                  "d = json.load(open(sys.argv[1], encoding='utf-8'), parse_constant=bad)\n"
                  "print(" +
                      expression + ")\n");
        ToolRun run;
        FILE* pipe = popen(("python3 " + script + " " + file + " 2>&1").c_str(), "r");
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0) run.out.append(buffer, got);
        pclose(pipe);
        if (!run.out.empty() && run.out.back() == '\n') run.out.pop_back();
        return run.out;
    }

    std::string folder;
};

const std::string kReference =
    "version 1\nnodes\n0 \"root\" -1\n1 \"arm\" 0\nend\n"
    "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 1 0 0 0 0\nend\n"
    "triangles\nskin.bmp\n0 1 2 3 0 0 1 0 0\n1 4 5 6 0 1 0 0 0\n0 7 8 9 1 0 0 0 0\nend\n";
const std::string kClip =
    "version 1\nnodes\n0 \"root\" -1\n1 \"arm\" 0\nend\nskeleton\n"
    "time 0\n0 0 0 0 0 0 0\n1 0 1 0 0 0 0\ntime 1\n0 10 0 0 0 0 0\n1 0 1 0 0 0 0\nend\n";

TEST_F(Smdinfo, ReportsTheLoadedModelAndTheSkinnedVertices) {
    std::string ref = Write("ref.smd", kReference);
    std::string clip = Write("clip.smd", kClip);
    ToolRun run = Exec(ref + " " + clip + " --frames 152");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(Query(run.out, "d['loaded'], d['messages'], d['clips']"),
              "[True, True] [] [{'frameCount': 2, 'boneCount': 2}]");
    EXPECT_EQ(Query(run.out, "[(b['name'], b['parent']) for b in d['meshes'][0]['bones']]"),
              "[('root', -1), ('arm', 0)]");
    EXPECT_EQ(Query(run.out,
                    "d['meshes'][0]['triangles'], d['meshes'][0]['materials'], "
                    "d['meshes'][0]['texturePaths'] == ['" +
                        folder + "/skin.bmp']"),
              "1 ['skin.bmp'] True");
    // Call 152 blends keyframes (1, 0) with weight 0.5 - 0.01/2 roughly: bone 0
    // at x = 10 (1 - b); slots 0, 1, 2 hold file lines 1, 3, 2.
    EXPECT_EQ(Query(run.out, "len(d['skinned']), d['skinned'][1][1:], d['skinned'][2][1:]"),
              "3 [8, 9, 1, 0, 0] [5, 6, 0, 1, 0]");
    EXPECT_EQ(Query(run.out, "abs(d['skinned'][0][0] - (1 + 10 * (1 - 0.5))) < 1e-4"), "True");
    EXPECT_EQ(Query(run.out,
                    "d['meshes'][0]['bones'][0]['absolute'][12] + d['skinned'][0][0] - 1 "
                    "== 2 * d['meshes'][0]['bones'][0]['absolute'][12]"),
              "True");
}

// Ids 0, 2, 5 and links: the id of each slot, how many vertices have how
// many links; --frames with no clip to play gives the bind pose the
// program draws then, every vertex where the file puts it.
TEST_F(Smdinfo, ReportsIdsAndLinksAndTheBindPoseWithoutAClip) {
    std::string ref =
        Write("links.smd",
              "version 1\nnodes\n0 \"root\" -1\n2 \"arm\" 0\n5 \"hand\" 2\nend\n"
              "skeleton\ntime 1\n0 0 0 0 0 0 0\n2 0 0 10 0 0 0.5\n5 3 0 0 0 0 0\nend\n"
              "triangles\nskin\n0 1 2 3 0 0 1 0 0 3 2 0.25 5 0.25 0 0.5\n"
              "5 4 5 6 0 1 0 0 0\n0 7 8 9 1 0 0 0 0 1 2 1\nend\n");
    std::string empty = Write("empty.smd", "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\nend\n");
    for (const std::string& arguments : {ref + " --frames 3", ref + " " + empty + " --frames 3"}) {
        ToolRun run = Exec(arguments);
        ASSERT_EQ(run.status, 0) << arguments;
        EXPECT_EQ(Query(run.out, "d['meshes'][0]['nodeIds'], d['meshes'][0]['links']"),
                  "[0, 2, 5] {'perVertex': [1, 1, 0, 1], 'largest': 3}");
        // Slots 0, 1, 2 hold file lines 1, 3, 2.
        EXPECT_EQ(Query(run.out, "[[float(round(x, 4)) for x in v[:3]] for v in d['skinned']]"),
                  "[[1.0, 2.0, 3.0], [7.0, 8.0, 9.0], [4.0, 5.0, 6.0]]");
    }
}

TEST_F(Smdinfo, FailedLoadsGiveStatusOneAndTheirMessagesInUtf8) {
    std::string ref = Write("ref.smd", kReference);
    std::string bad = Write("bad.smd", "hello\n");
    // Two triangles make it a reference file, refused as an animation.
    std::string twoTriangles = Write("ref2.smd", kReference.substr(0, kReference.size() - 4) +
                                                     "m\n0 0 0 0 0 0 1 0 0\n0 0 0 0 0 0 1 0 0\n"
                                                     "0 0 0 0 0 0 1 0 0\nend\n");
    ToolRun run = Exec(ref + " " + bad + " " + twoTriangles);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Query(run.out, "d['loaded'], 'skinned' in d"), "[True, False, False] False");
    EXPECT_EQ(Query(run.out, "[m['caption'] + ': ' + m['text'] for m in d['messages']]"),
              "['Error: SMD 파일이 아닙니다!!', 'Error: Reference 파일이 아닙니다!!']");
    ToolRun broken = Exec(Write("cut.smd", "version 1\nnodes\n0 \"a\" -1\n"));
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(Query(broken.out, "d['messages'][0]['text'], d['meshes']"),
              folder + "/cut.smd, line 2: the \"nodes\" section has no \"end\" line []");
}

TEST_F(Smdinfo, NamesAndNumbersStayValidJson) {
    // A name in code page 949 ("뼈") with a backslash and a tab, and a bone
    // whose model-space position overflows to infinity.
    std::string ref = Write("odd.smd",
                            "version 1\nnodes\n0 \"\xbb\xc0\\x\ty\" -1\n1 \"b\" 0\nend\n"
                            "skeleton\ntime 0\n0 3e38 0 0 0 0 0\n1 3e38 0 0 0 0 0\nend\n");
    ToolRun run = Exec(ref + " --frames 1");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(Query(run.out, "d['meshes'][0]['bones'][0]['name'] == '\\uBF08\\\\x\\ty'"), "True");
    EXPECT_EQ(Query(run.out, "d['meshes'][0]['bones'][1]['absolute'][12], d['skinned']"),
              "None []");
}

TEST_F(Smdinfo, BadUsageGivesStatusTwo) {
    std::string ref = Write("ref.smd", kReference);
    for (const std::string& arguments :
         {std::string(), std::string("--frames 3"), ref + " --frames 0", ref + " --frames x",
          ref + " --frames", ref + " --wrong"}) {
        ToolRun run = Exec(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_TRUE(run.out.empty()) << arguments;
    }
}

}  // namespace
