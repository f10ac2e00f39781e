// Pictures read back from a device, and the one way tests save them: PNG
// files (stb_image_write) under failed-pictures/ in the test's working
// folder, named after the running test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rrtest {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255},
    kBlack{0, 0, 0}, kYellow{255, 255, 0}, kCyan{0, 255, 255}, kMagenta{255, 0, 255};

// Whether each channel is within tolerance of the expected colour.
::testing::AssertionResult ColourNear(Rgb got, Rgb expected, int tolerance = 2);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // rows top first

    // The pixel at (x, y) from the top left; (-1, -1, -1) outside the picture.
    Rgb At(int x, int y) const;
    // Pixels in [x0, x1) × [y0, y1) for which test holds.
    int Count(int x0, int y0, int x1, int y1, const std::function<bool(Rgb)>& test) const;
    // ColourNear at (x, y); a failure saves the picture and names its file.
    ::testing::AssertionResult PixelIs(int x, int y, Rgb expected, int tolerance = 2) const;
    // Saves the picture as <suite>.<test><suffix>.png; returns its path.
    std::string Save(const std::string& suffix = "") const;
};

// Saves RGBA rows (top first) as a PNG file named name under failed-pictures/;
// returns its path ("" when it could not be written).
std::string SavePicture(const std::string& name, int width, int height,
                        const std::vector<uint8_t>& rgba);

// "<suite>.<test>" of the running test, with '/' of parameterised names as '_'.
std::string CurrentTestName();

}  // namespace rrtest
