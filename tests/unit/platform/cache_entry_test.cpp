// The start-up cache's folder and entries: where the folder is for each
// environment, that an entry reads back only whole, and that a folder is
// trimmed oldest first.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/cache/cache_entry.h"
#include "platform/cache/cache_key.h"
#include "support/scoped_variable.h"
#include "support/temp_folder.h"

namespace disk_cache {
namespace {

using rrtest::ScopedVariable;

struct Environment {
    const char* name;
    std::optional<std::string> xdg, home, off;
    std::string folder;  // expected
};

class CacheFolderTest : public testing::TestWithParam<Environment> {};

TEST_P(CacheFolderTest, FollowsTheEnvironment) {
    const Environment& e = GetParam();
    ScopedVariable xdg("XDG_CACHE_HOME", e.xdg), home("HOME", e.home), off("RR_NO_CACHE", e.off);
    EXPECT_EQ(CacheFolder("effects"), e.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, CacheFolderTest,
    testing::Values(Environment{"XdgCacheHome", "/x/cache", "/home/u", std::nullopt,
                                "/x/cache/reflect-refract/effects"},
                    Environment{"TrailingSlash", "/x/cache/", "/home/u", std::nullopt,
                                "/x/cache/reflect-refract/effects"},
                    Environment{"XdgUnset", std::nullopt, "/home/u", std::nullopt,
                                "/home/u/.cache/reflect-refract/effects"},
                    Environment{"XdgEmpty", "", "/home/u", std::nullopt,
                                "/home/u/.cache/reflect-refract/effects"},
                    Environment{"XdgRelative", "cache", "/home/u", std::nullopt,
                                "/home/u/.cache/reflect-refract/effects"},
                    Environment{"NoHome", std::nullopt, std::nullopt, std::nullopt, ""},
                    Environment{"RelativeHome", std::nullopt, "home", std::nullopt, ""},
                    Environment{"TurnedOff", "/x/cache", "/home/u", "1", ""},
                    Environment{"OffOnlyWithOne", "/x/cache", "/home/u", "0",
                                "/x/cache/reflect-refract/effects"}),
    [](const testing::TestParamInfo<Environment>& info) { return std::string(info.param.name); });

TEST(CacheEntryTest, ReadsBackWhatWasWrittenAndNothingElse) {
    rrtest::TempFolder folder;
    const std::string cache = folder.File("a/b/effects");
    std::string error, payload;
    ASSERT_TRUE(WriteEntry(cache, "k", 7, std::string("bytes\0with a zero", 17), &error)) << error;
    EXPECT_EQ((std::filesystem::status(cache).permissions() & std::filesystem::perms::all),
              std::filesystem::perms::owner_all);
    ASSERT_TRUE(ReadEntry(cache, "k", 7, 1024, &payload));
    EXPECT_EQ(payload, std::string("bytes\0with a zero", 17));
    EXPECT_FALSE(ReadEntry(cache, "k", 8, 1024, &payload));  // another tag
    EXPECT_FALSE(ReadEntry(cache, "k", 7, 16, &payload));    // larger than asked for
    EXPECT_FALSE(ReadEntry(cache, "none", 7, 1024, &payload));
    EXPECT_FALSE(ReadEntry("", "k", 7, 1024, &payload));
    // Nothing but the entry is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cache),
                            std::filesystem::directory_iterator()),
              1);
    // An empty payload is an entry too.
    ASSERT_TRUE(WriteEntry(cache, "empty", 7, "", &error)) << error;
    EXPECT_TRUE(ReadEntry(cache, "empty", 7, 1024, &payload));
    EXPECT_EQ(payload, "");
}

TEST(CacheEntryTest, TrimKeepsTheNewestWithinBothLimits) {
    rrtest::TempFolder folder;
    const std::string cache = folder.File("effects");
    std::string error;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "e" + std::to_string(i);
        ASSERT_TRUE(WriteEntry(cache, name, 1, std::string(100, 'x'), &error)) << error;
        // Modification times one second apart, oldest first.
        struct timespec times[2] = {{1000 + i, 0}, {1000 + i, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, (cache + "/" + name).c_str(), times, 0), 0);
    }
    TrimFolder(cache, 4, 1 << 20);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(std::filesystem::exists(cache + "/e" + std::to_string(i)), i >= 2) << i;
    TrimFolder(cache, 100, 3 * 128);  // each file is 128 bytes: three stay
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(std::filesystem::exists(cache + "/e" + std::to_string(i)), i >= 3) << i;
}

TEST(CacheKeyTest, PiecesKeepTheirBoundaries) {
    EXPECT_NE(CacheKey().Add("ab").Add("c").Hex(), CacheKey().Add("a").Add("bc").Hex());
    EXPECT_EQ(CacheKey().Add("ab").AddNumber(3).Hex(), CacheKey().Add("ab").AddNumber(3).Hex());
    EXPECT_EQ(CacheKey().Add("x").Hex().size(), 32u);
}

}  // namespace
}  // namespace disk_cache
