// Each way an editor saves a file is seen; other files in its folder are not.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

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

}  // namespace
