#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

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

}  // namespace
