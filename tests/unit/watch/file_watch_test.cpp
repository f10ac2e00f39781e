// Each way an editor saves a file is seen; other files in its folder are not.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/watch/file_watch.h"

namespace {

namespace fs = std::filesystem;

TEST(FileWatchTest, SavesAreSeenOnceAndNothingElse) {
    fs::path root = fs::temp_directory_path() / ("rr_watch_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "real");
    fs::path file = root / "e.fx", target = root / "real" / "t.fx", link = root / "l.fx";
    std::ofstream(file) << "a";
    std::ofstream(target) << "a";
    fs::create_symlink(target, link);

    struct Case {
        const char* what;
        fs::path watched;
        std::function<void()> act;
        bool changed;
    } cases[] = {
        {"written in place", file, [&] { std::ofstream(file) << "b"; }, true},
        {"replaced by a rename", file,
         [&] {
             std::ofstream(root / "e.fx.tmp") << "c";
             fs::rename(root / "e.fx.tmp", file);
         },
         true},
        {"another file saved", file, [&] { std::ofstream(root / "other.fx") << "d"; }, false},
        {"a link's target written", link, [&] { std::ofstream(target) << "e"; }, true},
    };
    for (const Case& c : cases) {
        FileWatch watch;
        std::string error;
        ASSERT_TRUE(watch.Watch(c.watched.string(), &error)) << error;
        EXPECT_FALSE(watch.Changed()) << c.what;
        c.act();
        EXPECT_EQ(watch.Changed(), c.changed) << c.what;
        EXPECT_FALSE(watch.Changed()) << c.what << ": seen once";
    }

    FileWatch watch;
    std::string error;
    EXPECT_FALSE(watch.Watch((root / "none" / "e.fx").string(), &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_FALSE(watch.IsWatching());
    EXPECT_FALSE(watch.Changed());
    fs::remove_all(root);
}

// A scene's files in several folders: each save names its file, however many
// files share a folder; a new list takes over without losing a save of a file
// that stays on it.
TEST(FileWatchTest, EverySavedFileOfAListIsNamed) {
    fs::path root = fs::temp_directory_path() / ("rr_watch_list_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "m");
    fs::create_directories(root / "sky");
    const std::vector<fs::path> files = {root / "m" / "ref.smd", root / "m" / "a.smd",
                                         root / "sky" / "c.dds", root / "e.fx"};
    for (const fs::path& file : files) std::ofstream(file) << "a";
    std::vector<std::string> paths;
    for (const fs::path& file : files) paths.push_back(file.string());

    FileWatch watch;
    std::string error;
    ASSERT_TRUE(watch.Watch(paths, &error)) << error;
    struct Case {
        std::vector<size_t> saved;
        std::vector<size_t> named;
    } cases[] = {
        {{1}, {1}},
        {{2, 0}, {0, 2}},
        {{3, 3, 3}, {3}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        for (size_t file : c.saved) std::ofstream(files[file]) << "b";
        EXPECT_EQ(watch.ChangedFiles(), c.named);
    }

    // The model goes: its folder is no longer watched; the sky's save made
    // before the new list is still reported, under its new index.
    std::ofstream(files[2]) << "c";
    ASSERT_TRUE(watch.Watch(std::vector<std::string>{paths[3], paths[2]}, &error)) << error;
    std::ofstream(files[0]) << "c";
    EXPECT_EQ(watch.ChangedFiles(), (std::vector<size_t>{1}));
    std::ofstream(files[3]) << "d";
    EXPECT_EQ(watch.ChangedFiles(), (std::vector<size_t>{0}));

    // A folder that cannot be watched is named; the others are watched.
    EXPECT_FALSE(
        watch.Watch(std::vector<std::string>{(root / "none" / "x").string(), paths[3]}, &error));
    EXPECT_NE(error.find("none"), std::string::npos) << error;
    std::ofstream(files[3]) << "e";
    EXPECT_EQ(watch.ChangedFiles(), (std::vector<size_t>{1}));
    EXPECT_TRUE(watch.Watch(std::vector<std::string>{}, &error));
    EXPECT_FALSE(watch.IsWatching());
    fs::remove_all(root);
}

}  // namespace
