#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("rr_files_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "Model" / "SMD" / "Pudo_Red");
        std::ofstream(root_ / "Model" / "SMD" / "Pudo_Red" / "Ref_Red.smd") << "version 1\n";
        previous_ = fs::current_path();
        fs::current_path(root_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(root_);
    }
    fs::path root_, previous_;
};

TEST_F(FilesTest, BackslashPathsOpenWithForwardSlashes) {
    FILE* file = OpenFile("Model\\SMD\\Pudo_Red\\Ref_Red.smd", "rt");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(ResolvePath("Model\\SMD\\Pudo_Red\\Ref_Red.smd"), "Model/SMD/Pudo_Red/Ref_Red.smd");
    EXPECT_EQ(ResolvePath(".\\Model\\SMD"), "./Model/SMD");
}

TEST_F(FilesTest, MissingNamesAreFoundIgnoringCaseComponentByComponent) {
    EXPECT_EQ(ResolvePath("model\\smd\\PUDO_RED\\ref_red.SMD"), "Model/SMD/Pudo_Red/Ref_Red.smd");
    FILE* file = OpenFile("MODEL/smd/pudo_red/REF_RED.smd", "rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
}

TEST_F(FilesTest, AbsentFilesAndNullPathsFailCleanly) {
    EXPECT_EQ(OpenFile("Model\\SMD\\Pudo_Red\\Missing.smd", "rt"), nullptr);
    EXPECT_EQ(OpenFile(nullptr, "rt"), nullptr);
    EXPECT_EQ(OpenFile("", "rt"), nullptr);
    EXPECT_EQ(ResolvePath("Nowhere\\file.txt"), "Nowhere/file.txt");
    // A folder of the same name does not stand in for a file.
    EXPECT_EQ(ResolvePath("model/smd/pudo_red/ref_red.smd/x"), "model/smd/pudo_red/ref_red.smd/x");
}

// Things that are not regular files are refused at once (a FIFO would block
// the open forever, /dev/zero would never end); sizes are held to the limit.
TEST_F(FilesTest, ReadsOnlyRegularFilesWithinTheLimit) {
    ASSERT_EQ(::mkfifo("pipe", 0600), 0);
    struct Case {
        const char* path;
        size_t limit;
        bool ok;
        const char* error;
    } cases[] = {
        {"Model\\SMD\\Pudo_Red\\Ref_Red.smd", 10, true, ""},
        {"Model/SMD/Pudo_Red/Ref_Red.smd", 9, false,
         "Model/SMD/Pudo_Red/Ref_Red.smd: larger than 9 bytes"},
        {"pipe", 100, false, "pipe: not a regular file"},
        {"/dev/zero", 100, false, "/dev/zero: not a regular file"},
        {"Model", 100, false, "Model: a folder, not a file"},
        {"Model\\Missing.smd", 100, false, "Model/Missing.smd: No such file"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = {1, 2, 3};
        std::string error;
        EXPECT_EQ(ReadFileBytes(c.path, c.limit, &bytes, &error), c.ok) << c.path;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.path << ": " << error;
        EXPECT_EQ(bytes.size(), c.ok ? 10u : 0u) << c.path;
        if (c.ok) {
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "version 1\n");
        }
    }
    EXPECT_EQ(OpenFile("pipe", "rb"), nullptr);
    EXPECT_EQ(OpenFile("/dev/zero", "rb"), nullptr);
}

// A base folder: relative paths open inside it and are named relative to it
// (as they were written, resolved); absolute paths ignore it; the working
// folder plays no part.
TEST_F(FilesTest, RelativePathsOpenInsideTheBaseFolderAndAreNamedRelativeToIt) {
    const std::string base = root_.string();
    fs::current_path("/");
    struct Case {
        const char* path;
        std::string opened;  // PathIn
        std::string named;   // NameIn
        std::string shown;   // DisplayPathIn
    } cases[] = {
        {"model\\smd\\PUDO_RED\\ref_red.smd", base + "/Model/SMD/Pudo_Red/Ref_Red.smd",
         "Model/SMD/Pudo_Red/Ref_Red.smd", base + "/Model/SMD/Pudo_Red/Ref_Red.smd"},
        {"./Model/x.smd", base + "/Model/x.smd", "Model/x.smd", base + "/Model/x.smd"},
        {"/etc/passwd", "/etc/passwd", "/etc/passwd", "/etc/passwd"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathIn(base, c.path), c.opened) << c.path;
        EXPECT_EQ(NameIn(base, c.path), c.named) << c.path;
        EXPECT_EQ(DisplayPathIn(base, c.path), c.shown) << c.path;
        EXPECT_EQ(PathIn("", c.path), c.path) << c.path;  // no base: as written
    }
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(ReadFileBytesIn(base, "Model\\SMD\\Pudo_Red\\Ref_Red.smd", 64, &bytes, &error));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "version 1\n");
    EXPECT_FALSE(ReadFileBytesIn(base, "Model\\gone.smd", 64, &bytes, &error));
    EXPECT_EQ(error, "Model/gone.smd: No such file or directory");
}

}  // namespace
