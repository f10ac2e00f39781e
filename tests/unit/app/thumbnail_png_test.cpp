// Saving a thumbnail: an RGBA PNG that reads back as written, and a failure
// that leaves nothing in the folder (no file, no half-written temporary).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/screenshot.h"
#include "platform/gfx/image/image.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

size_t EntriesIn(const fs::path& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(ThumbnailPngTest, WritesRgbaWholeOrNothing) {
    rrtest::TempFolder folder;
    // 3 x 2 pixels: transparent, half and opaque alpha in both rows.
    const std::vector<uint8_t> rgba = {0, 0, 0, 0, 10, 20, 30, 128, 255, 0, 0,   255,
                                       1, 2, 3, 0, 40, 50, 60, 128, 0,   0, 255, 255};
    const std::string good = folder.File("t.png");
    std::string error;
    ASSERT_TRUE(SaveRgbaPng(good, 3, 2, rgba, &error)) << error;
    EXPECT_EQ(fs::status(good).permissions() & fs::perms::others_read, fs::perms::others_read);
    std::vector<uint8_t> bytes = ReadBytes(good);
    gfx::image::RgbaImage image;
    ASSERT_TRUE(gfx::image::DecodeImage(bytes.data(), bytes.size(), {4096}, &image, &error))
        << error;
    ASSERT_EQ(image.width, 3u);
    ASSERT_EQ(image.height, 2u);
    EXPECT_EQ(std::vector<uint8_t>(image.pixels.get(), image.pixels.get() + rgba.size()), rgba);
    // Saved again over it: replaced whole.
    ASSERT_TRUE(SaveRgbaPng(good, 3, 2, rgba, &error)) << error;
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);

    fs::create_directory(folder.File("a folder"));
    struct Case {
        const char* name;
        std::string path;
        uint32_t width, height;
        const char* said;
    } cases[] = {
        {"no such folder", folder.File("missing/t.png"), 3, 2, "No such file or directory"},
        {"a folder in the way", folder.File("a folder"), 3, 2, "Is a directory"},
        {"pixels that do not fit the size", folder.File("u.png"), 4, 2, "no picture to save"},
        {"no pixels", folder.File("u.png"), 0, 0, "no picture to save"},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_FALSE(SaveRgbaPng(c.path, c.width, c.height, rgba, &error)) << c.name;
        EXPECT_NE(error.find(c.said), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(error.rfind(c.path, 0), 0u) << c.name << ": " << error;
        EXPECT_EQ(EntriesIn(folder.Path()), 2u) << c.name;  // t.png and the folder, nothing more
        EXPECT_TRUE(fs::is_empty(folder.File("a folder"))) << c.name;
    }
}

}  // namespace
