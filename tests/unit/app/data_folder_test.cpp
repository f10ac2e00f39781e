// Which folder the program reads its files from.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/data_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(DataFolderTest, TheFirstFolderHoldingAnyOfTheFilesIsChosen) {
    fs::path root = fs::temp_directory_path() / ("rr_data_folder_" + std::to_string(::getpid()));
    fs::remove_all(root);
    auto put = [&](const std::string& folder, const std::string& file) {
        fs::create_directories((root / folder / file).parent_path());
        std::ofstream(root / folder / file) << "x";
    };
    put("both", "Shaders/ReflectionOrRefraction.fx");
    put("both", "Textures/Snow.dds");
    put("effect", "Shaders/ReflectionOrRefraction.fx");
    put("cube", "textures/SNOW.DDS");  // the case of the names does not matter
    put("model", "Model/SMD/Pudo_Red/Ref_Red.smd");
    put("folder", "Textures/Snow.dds/inside");  // a folder does not stand in for the file
    fs::create_directories(root / "empty");
    struct Case {
        std::vector<std::string> folders;
        int chosen;
    } cases[] = {
        {{"both", "model"}, 0},
        {{"empty", "model"}, 1},
        {{"empty", "folder", "cube"}, 2},
        {{"effect", "both"}, 0},  // partial: missing files are reported there
        {{"empty", "folder"}, -1},
        {{"missing", "empty", "model"}, 2},
    };
    // The program's own folder, then the installed data folder beside it.
    EXPECT_EQ(
        DataFolderCandidates("/home/u", "/opt/rr/bin", "../share/reflect-refract"),
        (std::vector<std::string>{"/home/u", "/opt/rr/bin", "/opt/rr/share/reflect-refract"}));
    for (const Case& c : cases) {
        std::vector<std::string> candidates;
        for (const std::string& folder : c.folders) candidates.push_back((root / folder).string());
        DataFolderChoice choice = ChooseDataFolder(candidates);
        EXPECT_EQ(choice.chosen, c.chosen) << c.folders[0];
        EXPECT_EQ(choice.searched, candidates);
    }
    fs::remove_all(root);
}

}  // namespace
