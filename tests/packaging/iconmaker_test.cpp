// The icon drawing: which way the character faces and stands, the framing,
// coverage and depth in the picture, the SVG's cuts and drawing order, and
// the tool on bad input.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "iconmaker/depth_sort.h"
#include "iconmaker/front_view.h"
#include "iconmaker/material_colours.h"
#include "iconmaker/raster.h"
#include "model/smd/smd_parser.h"

namespace {

using namespace iconmaker;

// A reference with one bone at the origin and the triangles given as
// "bone x y z nx ny nz u v" vertex lines, three per triangle.
smd::Reference Parse(std::string_view triangles) {
    std::string text =
        "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\ntriangles\n";
    text += triangles;
    text += "end\n";
    smd::Reference reference;
    smd::ParseStatus status = smd::ParseReference(
        {reinterpret_cast<const uint8_t*>(text.data()), text.size()}, &reference);
    EXPECT_EQ(status.result, SmdLoadResult::Ok) << status.text;
    return reference;
}

// In the file, the face looks towards -Y and Z is up.
constexpr char kFrontTriangle[] =
    "skin.bmp\n0 0 0 0 0 -1 0 0 0\n0 2 0 4 0 -1 0 0 0\n0 4 0 0 0 -1 0 0 0\n";
constexpr char kBackTriangle[] =
    "back.bmp\n0 0 1 0 0 1 0 0 0\n0 2 1 4 0 1 0 0 0\n0 4 1 0 0 1 0 0 0\n";

TEST(FrontView, KeepsFacesTowardsTheViewerUprightAndFramed) {
    smd::Reference reference = Parse(std::string(kFrontTriangle) + kBackTriangle);
    std::vector<FlatTriangle> flat = ProjectFront(reference, {{200, 0, 0}, {0, 200, 0}});
    ASSERT_EQ(flat.size(), 1u);  // the back face is left out
    const FlatTriangle& t = flat[0];
    // The tip (Z = 4) is at the top of the picture, the base at the bottom;
    // the taller side spans the square less its margins, centred.
    float top = std::min({t.y[0], t.y[1], t.y[2]}), bottom = std::max({t.y[0], t.y[1], t.y[2]});
    float left = std::min({t.x[0], t.x[1], t.x[2]}), right = std::max({t.x[0], t.x[1], t.x[2]});
    EXPECT_NEAR(top, kIconMargin, 1e-5);
    EXPECT_NEAR(bottom, 1.0f - kIconMargin, 1e-5);
    EXPECT_NEAR(left + right, 1.0f, 1e-5);
    for (int k = 0; k < 3; ++k) {
        bool isTip = std::abs(t.y[k] - top) < 1e-5;
        EXPECT_EQ(isTip, std::abs(t.x[k] - 0.5f) < 1e-5) << "corner " << k;
    }
    // Lit from the front: brighter than the ambient share of its colour.
    EXPECT_GT(t.colour.r, 70);
    EXPECT_EQ(t.colour.g, 0);
}

TEST(FrontView, NothingFacingTheViewerGivesNothing) {
    EXPECT_TRUE(ProjectFront(Parse(kBackTriangle), {}).empty());
}

// Two triangles that make the square (x0, y0) - (x1, y1) at one depth.
void AddSquare(std::vector<FlatTriangle>* list, float x0, float y0, float x1, float y1, float depth,
               Rgb colour) {
    FlatTriangle a{{x0, x1, x1}, {y0, y0, y1}, {depth, depth, depth}, colour};
    FlatTriangle b{{x0, x1, x0}, {y0, y1, y1}, {depth, depth, depth}, colour};
    list->push_back(a);
    list->push_back(b);
}

const uint8_t* Pixel(const gfx::image::RgbaImage& image, int x, int y) {
    return image.pixels.get() + (size_t(y) * image.width + size_t(x)) * 4;
}

struct CoverageCase {
    const char* name;
    float x0, x1;  // a square from x0 to x1, full height
    int column;    // a pixel column of an 8-pixel picture
    int alpha;     // expected there
};

const CoverageCase kCoverageCases[] = {
    {"Inside", 0.0f, 0.5f, 1, 255},
    // Along the square's diagonal: the two triangles share the edge, each
    // sample is drawn once and none is missed.
    {"SharedDiagonal", 0.0f, 1.0f, 4, 255},
    {"Outside", 0.0f, 0.5f, 6, 0},
    {"HalfCovered", 0.0f, 0.5625f, 4, 128},
};

class Coverage : public ::testing::TestWithParam<CoverageCase> {};

TEST_P(Coverage, AlphaIsTheShareOfSamplesCovered) {
    const CoverageCase& c = GetParam();
    std::vector<FlatTriangle> list;
    AddSquare(&list, c.x0, 0.0f, c.x1, 1.0f, 1.0f, {10, 20, 30});
    gfx::image::RgbaImage image = Rasterize(list, 8);
    ASSERT_TRUE(image.pixels);
    for (int row = 0; row < 8; ++row) {
        const uint8_t* p = Pixel(image, c.column, row);
        EXPECT_EQ(p[3], c.alpha) << "row " << row;
        if (c.alpha > 0) {
            EXPECT_EQ(p[0] + p[1] + p[2], 60) << "row " << row;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Raster, Coverage, ::testing::ValuesIn(kCoverageCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The polygons painted in their order (each a fan of triangles, later ones
// nearer), as the SVG shows them.
gfx::image::RgbaImage Paint(const std::vector<FlatPolygon>& polygons, int size) {
    std::vector<FlatTriangle> fans;
    for (size_t i = 0; i < polygons.size(); ++i) {
        const FlatPolygon& p = polygons[i];
        float depth = -float(i);
        for (size_t k = 1; k + 1 < p.x.size(); ++k)
            fans.push_back({{p.x[0], p.x[k], p.x[k + 1]},
                            {p.y[0], p.y[k], p.y[k + 1]},
                            {depth, depth, depth},
                            p.colour});
    }
    return Rasterize(fans, size);
}

int DifferingPixels(const gfx::image::RgbaImage& a, const gfx::image::RgbaImage& b) {
    int count = 0;
    for (size_t i = 0; i < size_t(a.width) * a.height; ++i)
        count +=
            !std::equal(a.pixels.get() + i * 4, a.pixels.get() + i * 4 + 4, b.pixels.get() + i * 4);
    return count;
}

struct DepthCase {
    const char* name;
    std::vector<FlatTriangle> triangles;
};

const DepthCase kDepthCases[] = {
    {"NearFirst",
     {{{0.1f, 0.6f, 0.1f}, {0.1f, 0.5f, 0.9f}, {1, 1, 1}, {255, 0, 0}},
      {{0.4f, 0.9f, 0.9f}, {0.5f, 0.1f, 0.9f}, {5, 5, 5}, {0, 0, 255}}}},
    {"NearLast",
     {{{0.1f, 0.6f, 0.1f}, {0.1f, 0.5f, 0.9f}, {5, 5, 5}, {255, 0, 0}},
      {{0.4f, 0.9f, 0.9f}, {0.5f, 0.1f, 0.9f}, {1, 1, 1}, {0, 0, 255}}}},
    // Each passes through the other: the nearer one changes halfway across.
    {"Crossing",
     {{{0.1f, 0.9f, 0.1f}, {0.1f, 0.5f, 0.9f}, {0, 10, 0}, {255, 0, 0}},
      {{0.9f, 0.1f, 0.9f}, {0.1f, 0.5f, 0.9f}, {0, 10, 0}, {0, 0, 255}}}},
    // Three planks, each near at its start and far at its end, each start
    // over the end of the one before: no order of whole triangles works.
    {"Cycle",
     {{{0.05f, 0.95f, 0.95f}, {0.3f, 0.2f, 0.4f}, {1, 9, 9}, {255, 0, 0}},
      {{0.8f, 0.42f, 0.62f}, {0.05f, 0.95f, 0.95f}, {1, 9, 9}, {0, 255, 0}},
      {{0.65f, 0.02f, 0.18f}, {0.85f, 0.15f, 0.02f}, {1, 9, 9}, {0, 0, 255}}}},
};

class DepthOrder : public ::testing::TestWithParam<DepthCase> {};

TEST_P(DepthOrder, PaintingBackToFrontGivesTheDepthTestedPicture) {
    const std::vector<FlatTriangle>& triangles = GetParam().triangles;
    constexpr int kSize = 64;
    std::vector<int> shown = ShownTriangles(triangles, kSize);
    gfx::image::RgbaImage expected = Rasterize(triangles, kSize);
    gfx::image::RgbaImage painted = Paint(BackToFront(triangles, shown), kSize);
    // Pixels along the cuts may take a sample from the other side.
    EXPECT_LE(DifferingPixels(expected, painted), kSize / 2);
    // Whole triangles by their mean depth would be far off where they cross.
}

INSTANTIATE_TEST_SUITE_P(Svg, DepthOrder, ::testing::ValuesIn(kDepthCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Raster, HiddenTrianglesAreNotShownAndSizesOutOfRangeGiveNothing) {
    std::vector<FlatTriangle> list;
    AddSquare(&list, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, {255, 255, 255});
    AddSquare(&list, 0.25f, 0.25f, 0.75f, 0.75f, 2.0f, {0, 0, 0});
    EXPECT_EQ(ShownTriangles(list, 32), (std::vector<int>{0, 1}));
    EXPECT_FALSE(Rasterize(list, 0).pixels);
    EXPECT_FALSE(Rasterize(list, kMaxIconSize + 1).pixels);
}

TEST(MaterialColour, MeanIsWeightedByAlpha) {
    gfx::image::RgbaImage picture;
    picture.width = 3;
    picture.height = 1;
    picture.pixels.reset(static_cast<uint8_t*>(std::malloc(12)));
    const uint8_t pixels[12] = {200, 0, 0, 255, 100, 0, 0, 255, 0, 255, 0, 0};
    std::copy(pixels, pixels + 12, picture.pixels.get());
    Rgb mean = MeanColour(picture);
    EXPECT_EQ(mean.r, 150);
    EXPECT_EQ(mean.g, 0);
}

struct ToolCase {
    const char* name;
    const char* size;
    const char* reference;  // file contents; null: the path does not exist
    int exitCode;
};

// 100 triangles that each cover the whole picture.
const std::string kManyLargeTriangles = [] {
    std::string text =
        "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\ntriangles\n";
    for (int i = 0; i < 100; ++i)
        text += "skin.bmp\n0 0 0 0 0 -1 0 0 0\n0 0 0 4 0 -1 0 0 0\n0 4 0 0 0 -1 0 0 0\n";
    return text + "end\n";
}();

const ToolCase kToolCases[] = {
    {"Drawn", "32",
     "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\ntriangles\n"
     "skin.bmp\n0 0 0 0 0 -1 0 0 0\n0 2 0 4 0 -1 0 0 0\n0 4 0 0 0 -1 0 0 0\nend\n",
     0},
    {"NotSmd", "32", "version 2\n", 1},
    {"Empty", "32", "", 1},
    {"NothingFacesTheFront", "32", "version 1\nnodes\n0 \"root\" -1\nend\n", 1},
    {"MissingFile", "32", nullptr, 1},
    // Refused before drawing: over a billion samples to test at 1024 pixels.
    {"TooMuchToDraw", "1024", kManyLargeTriangles.c_str(), 1},
    {"SizeZero", "0", "version 1\n", 2},
    {"SizeTooLarge", "100000", "version 1\n", 2},
    {"SizeNotANumber", "16px", "version 1\n", 2},
};

class Tool : public ::testing::TestWithParam<ToolCase> {};

TEST_P(Tool, WritesOnlyWhenItCanDraw) {
    const ToolCase& c = GetParam();
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / ("iconmaker_test_" + std::string(c.name));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::path reference = folder / "in.smd", output = folder / "out.png";
    if (c.reference) {
        FILE* file = std::fopen(reference.c_str(), "wb");
        ASSERT_TRUE(file);
        std::fputs(c.reference, file);
        std::fclose(file);
    }
    std::string command = std::string(ICONMAKER_PATH) + " " + c.size + " '" + reference.string() +
                          "' '" + output.string() + "' 2>/dev/null";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.exitCode);
    EXPECT_EQ(fs::exists(output), c.exitCode == 0);
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Iconmaker, Tool, ::testing::ValuesIn(kToolCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
