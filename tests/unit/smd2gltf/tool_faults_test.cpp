// The smd2gltf command on bad input: the message (for a refused SMD file
// the one the program's loader prints, with its file and line), the exit
// status, and no output file, not even a partial one, left behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct CommandRun {
    int status = -1;
    std::string err;
};

CommandRun Execute(const std::string& command) {
    CommandRun run;
    FILE* pipe = popen((command + " 2>&1 >/dev/null").c_str(), "r");
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.err.append(buffer, got);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

const std::string kReference =
    "version 1\nnodes\n0 \"root\" -1\n1 \"arm\" 0\nend\n"
    "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 1 0 0 0 0\nend\n"
    "triangles\nskin.bmp\n0 1 2 3 0 0 1 0 0\n1 4 5 6 0 1 0 0 0\n0 7 8 9 1 0 0 0 0\nend\n";
const std::string kTwoTriangles =
    kReference.substr(0, kReference.size() - 4) +
    "skin.bmp\n0 1 2 3 0 0 1 0 0\n1 4 5 6 0 1 0 0 0\n0 7 8 9 1 0 0 0 0\nend\n";
const std::string kClip =
    "version 1\nnodes\n0 \"root\" -1\n1 \"arm\" 0\nend\nskeleton\n"
    "time 0\n0 0 0 0 0 0 0\n1 0 1 0 0 0 0\ntime 1\n0 10 0 0 0 0 0\n1 0 1 0 0 0 0\nend\n";

struct Fault {
    const char* name;
    std::string reference;  // text of ref.smd; empty: the file does not exist
    std::string clip;       // text of clip.smd, passed when not empty
    std::string output;     // -o argument, inside the folder
    int status;
    std::string message;  // expected in stderr ($ stands for the folder)
    bool smdinfoSays;     // the program's loader (smdinfo) prints the same line
};

const Fault kFaults[] = {
    {"MissingReference", "", "", "out.glb", 1,
     "cannot read the model file $/ref.smd: No such file or directory", false},
    {"NotSmd", "nodes\nend\n", "", "out.glb", 1,
     "model file $/ref.smd, line 1: the first line is not \"version 1\"", true},
    {"BadVertexBone",
     "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\n"
     "triangles\nskin.bmp\n0 1 2 3 0 0 1 0 0\n3 4 5 6 0 1 0 0 0\n0 7 8 9 1 0 0 0 0\nend\n",
     "", "out.glb", 1, "model file $/ref.smd, line 12: vertex bone index 3 is outside 0..0", true},
    {"MissingEnd", kReference.substr(0, kReference.size() - 4), "", "out.glb", 1,
     "model file $/ref.smd, line 11: the \"triangles\" section has no \"end\" line", true},
    {"ClipKeyframeTwice", kReference,
     "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\n"
     "time 0\n0 0 0 0 0 0 0\nend\n",
     "out.glb", 1,
     "model file $/clip.smd, line 8: keyframe number 0 is given twice (first on line 6)", true},
    {"ClipIsAReference", kReference, kTwoTriangles, "out.glb", 1,
     "model file $/clip.smd, line 16: the file has 2 triangles: a reference, not an animation",
     true},
    // Accepted by the program, but its second bone's offset passes the range of floats.
    {"BoneOutOfRange",
     "version 1\nnodes\n0 \"root\" -1\n1 \"far\" 0\nend\nskeleton\ntime 0\n0 3e38 0 0 0 0 0\n"
     "1 3e38 0 0 0 0 0\nend\n",
     "", "out.glb", 1, "model file $/ref.smd: bone 1 lies beyond the range of floats in metres",
     false},
    {"NoSuchFolder", kReference, kClip, "no/such/out.glb", 1,
     "cannot write $/no/such/out.glb: No such file or directory", false},
    {"OutputIsAFolder", kReference, kClip, "folder.glb", 1,
     "cannot write $/folder.glb: Is a directory", false},
    {"NoOutput", kReference, "", "", 2, "no output file given (-o OUT.glb)", false},
};

class ToolFaults : public ::testing::TestWithParam<Fault> {};

TEST_P(ToolFaults, SayWhyExitAndLeaveNoFile) {
    const Fault& fault = GetParam();
    char pattern[] = "/tmp/smd2gltf_faults_XXXXXX";
    const std::string folder = mkdtemp(pattern);
    fs::create_directory(folder + "/folder.glb");
    // An older export of that name stays as it was.
    std::ofstream(folder + "/out.glb") << "old";
    if (!fault.reference.empty()) std::ofstream(folder + "/ref.smd") << fault.reference;
    std::string files = "'" + folder + "/ref.smd'";
    if (!fault.clip.empty()) {
        std::ofstream(folder + "/clip.smd") << fault.clip;
        files += " '" + folder + "/clip.smd'";
    }
    std::string output = fault.output.empty() ? "" : " -o '" + folder + "/" + fault.output + "'";
    CommandRun run = Execute(std::string(SMD2GLTF_PATH) + " " + files + output);

    std::string message = fault.message;
    if (size_t at = message.find('$'); at != std::string::npos) message.replace(at, 1, folder);
    EXPECT_EQ(run.status, fault.status) << run.err;
    EXPECT_NE(run.err.find("smd2gltf: " + message), std::string::npos) << run.err;
    if (fault.smdinfoSays && run.err.find(message) != std::string::npos) {
        CommandRun program = Execute(std::string(SMDINFO_PATH) + " " + files);
        std::string line = run.err.substr(run.err.find(message));
        line = line.substr(0, line.find('\n'));
        EXPECT_NE(program.err.find("smdinfo: " + line + "\n"), std::string::npos) << program.err;
    }
    std::ifstream old(folder + "/out.glb");
    std::string kept((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "old");
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_TRUE(entry.path().extension() == ".smd" || entry.path().filename() == "out.glb" ||
                    entry.path().filename() == "folder.glb")
            << "left behind: " << entry.path();
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Inputs, ToolFaults, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ToolWrites, AWholeFileAndNothingElse) {
    char pattern[] = "/tmp/smd2gltf_writes_XXXXXX";
    const std::string folder = mkdtemp(pattern);
    std::ofstream(folder + "/ref.smd") << kReference;
    std::ofstream(folder + "/clip.smd") << kClip;
    std::ofstream(folder + "/out.glb") << "old";
    CommandRun run = Execute(std::string(SMD2GLTF_PATH) + " " + folder + "/ref.smd " + folder +
                             "/clip.smd -o " + folder + "/out.glb --fps 24 --scale 1");
    EXPECT_EQ(run.status, 0) << run.err;
    // The missing texture is a note, not a failure.
    EXPECT_NE(run.err.find("material skin.bmp has no texture: " + folder + "/skin.bmp"),
              std::string::npos)
        << run.err;
    std::ifstream glb(folder + "/out.glb", std::ios::binary);
    char magic[4] = {};
    glb.read(magic, 4);
    EXPECT_EQ(std::string(magic, 4), "glTF");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
    fs::remove_all(folder);
}

}  // namespace

TEST(ToolWrites, MaterialNamesWithoutExtensionFindTheirTextures) {
    // The worm names its materials "WormSkin" and "WormEye", as exporters do.
    const std::string worm = std::string(RR_RUN_DIR) + "/Model/SMD/Puddle Worm/";
    char pattern[] = "/tmp/smd2gltf_worm_XXXXXX";
    const std::string folder = mkdtemp(pattern);
    CommandRun run = Execute(std::string(SMD2GLTF_PATH) + " '" + worm + "PuddleWorm.smd' '" + worm +
                             "anims/crawl.smd' -o " + folder + "/worm.glb");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_GT(fs::file_size(folder + "/worm.glb"), 1000u);
    fs::remove_all(folder);
}
