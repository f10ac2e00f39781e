#include "support/pictures.h"

#include <stb_image_write.h>

#include <cstdlib>
#include <filesystem>

namespace rrtest {

::testing::AssertionResult ColourNear(Rgb got, Rgb expected, int tolerance) {
    if (std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
        std::abs(got.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "colour (" << got.r << ", " << got.g << ", " << got.b << "), expected (" << expected.r
           << ", " << expected.g << ", " << expected.b << ") ± " << tolerance;
}

Rgb Picture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    const uint8_t* p = &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
    return Rgb{p[0], p[1], p[2]};
}

int Picture::Count(int x0, int y0, int x1, int y1, const std::function<bool(Rgb)>& test) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += test(At(x, y)) ? 1 : 0;
    return n;
}

::testing::AssertionResult Picture::PixelIs(int x, int y, Rgb expected, int tolerance) const {
    ::testing::AssertionResult near = ColourNear(At(x, y), expected, tolerance);
    if (near) return near;
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << "): " << near.message()
                                         << "; picture saved as " << Save();
}

std::string Picture::Save(const std::string& suffix) const {
    return SavePicture(CurrentTestName() + suffix + ".png", width, height, rgba);
}

std::string SavePicture(const std::string& name, int width, int height,
                        const std::vector<uint8_t>& rgba) {
    std::error_code error;
    std::filesystem::create_directories("failed-pictures", error);
    std::string path = "failed-pictures/" + name;
    if (rgba.size() < size_t(width) * size_t(height) * 4 ||
        !stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4))
        return "";
    return std::filesystem::absolute(path).string();
}

std::string CurrentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!info) return "no-test";
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    return name;
}

}  // namespace rrtest
