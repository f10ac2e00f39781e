// Picture decoding: what each reader makes of the layouts it reads, the size
// checks made from the header alone, and refusals with their reasons. Files
// are written here byte by byte (BMP, TGA, PNG chunks) or by stb's writer
// (JPEG); each is decoded from an exactly sized heap copy, so that a read
// past the end shows under AddressSanitizer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "picture_files.h"
#include "platform/gfx/image/image.h"

namespace {

using gfx::image::RgbaImage;
using gfx::image::TextureLimits;
using picturetest::Bytes;
using picturetest::Jpeg;
using picturetest::Png;
using picturetest::Tga;

TextureLimits Limits(uint32_t maxEdge = 16384) {
    TextureLimits limits;
    limits.maxEdge = maxEdge;
    return limits;
}

bool Decode(const Bytes& file, RgbaImage* image, std::string* error,
            const TextureLimits& limits = Limits()) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[file.size() + 1]);
    if (!file.empty()) std::memcpy(copy.get(), file.data(), file.size());
    return gfx::image::DecodeImage(copy.get(), file.size(), limits, image, error);
}

// Pixels as 0xRRGGBBAA, rows top down.
std::vector<uint32_t> Pixels(const RgbaImage& image) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < size_t(image.width) * image.height * 4; i += 4) {
        const uint8_t* p = image.pixels.get() + i;
        out.push_back(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
    }
    return out;
}

// 2 × |height| BMPs, the size of every decoding case.
Bytes Bmp(uint32_t infoSize, uint16_t bits, int32_t height, uint32_t compression,
          const Bytes& tables, const std::vector<uint32_t>& stored,
          const std::vector<uint32_t>& inHeader = {}) {
    return picturetest::Bmp(infoSize, bits, 2, height, compression, tables, stored, inHeader);
}

const Bytes kBgrPalette = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};  // red, green, blue

TEST(ImageDecoding, EachLayoutGivesTheSamePicture) {
    // Every case holds red and green on the top row, blue and white (or the
    // format's nearest) below.
    const std::vector<uint32_t> picture = {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0xFFFFFFFF};
    const std::vector<uint32_t> noWhite = {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0x000000FF};
    struct Case {
        const char* what;
        Bytes file;
        std::vector<uint32_t> expected;
    } cases[] = {
        {"BMP 24 bits, bottom up", Bmp(40, 24, 2, 0, {}, {0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00}),
         picture},
        {"BMP 24 bits, top down", Bmp(40, 24, -2, 0, {}, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}),
         picture},
        {"BMP 32 bits with alpha",
         Bmp(40, 32, 2, 0, {}, {0xFF0000FF, 0x80FFFFFF, 0xFFFF0000, 0xFF00FF00}),
         {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0xFFFFFF80}},
        {"BMP 32 bits, alpha all zero is opaque",
         Bmp(40, 32, 2, 0, {}, {0xFF, 0xFFFFFF, 0xFF0000, 0xFF00}), picture},
        {"BMP 16 bits, 5-5-5", Bmp(40, 16, 2, 0, {}, {0x001F, 0x7FFF, 0x7C00, 0x03E0}), picture},
        {"BMP 16 bits, 5-6-5 masks after the header",
         Bmp(40, 16, 2, 3, {0, 0xF8, 0, 0, 0xE0, 7, 0, 0, 0x1F, 0, 0, 0},
             {0x001F, 0xFFFF, 0xF800, 0x07E0}),
         picture},
        {"BMP V5 header, masks and alpha in it",
         Bmp(124, 32, 2, 3, {}, {0xFF00FF00, 0xFFFF00FF, 0x0000FFFF, 0x00FFFF00},
             {0x000000FF, 0x00FF0000, 0xFF000000, 0x0000FF00}),
         {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0xFFFFFF00}},
        {"BMP 8-bit palette, index past it is black", Bmp(40, 8, 2, 0, kBgrPalette, {2, 7, 0, 1}),
         noWhite},
        {"BMP 4-bit palette", Bmp(40, 4, 2, 0, kBgrPalette, {2, 3, 0, 1}), noWhite},
        {"BMP 1-bit palette",
         Bmp(40, 1, 2, 0, {0, 0, 255, 0, 255, 255, 255, 0}, {0, 1, 1, 0}),
         {0xFFFFFFFF, 0xFF0000FF, 0xFF0000FF, 0xFFFFFFFF}},
        {"OS/2 BMP, 3-byte palette",
         Bmp(12, 8, 2, 0, {0, 0, 255, 0, 255, 0, 255, 0, 0}, {2, 3, 0, 1}), noWhite},
        {"TGA 24 bits, bottom up", Tga(2, 24, 0, {255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0}),
         picture},
        {"TGA 32 bits, top down, right to left",
         Tga(2, 32, 0x30, {0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255, 255, 0, 0, 255}),
         picture},
        {"TGA 16 bits, 5-5-5", Tga(2, 16, 0x20, {0, 0x7C, 0xE0, 0x03, 0x1F, 0, 0xFF, 0x7F}),
         picture},
        {"TGA run-length, a run crosses a row",
         Tga(10, 24, 0x20, {0x00, 0, 0, 255, 0x81, 0, 255, 0, 0x00, 255, 255, 255}),
         {0xFF0000FF, 0x00FF00FF, 0x00FF00FF, 0xFFFFFFFF}},
        {"TGA colour map, 16-bit entries",
         Tga(1, 8, 0x20, {0, 1, 2, 3}, 4, 16, {0, 0x7C, 0xE0, 3, 0x1F, 0, 0xFF, 0x7F}),
         {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0xFFFFFFFF}},
        {"TGA grey and alpha",
         Tga(3, 16, 0x20, {0, 255, 255, 0, 128, 128, 255, 255}),
         {0x000000FF, 0xFFFFFF00, 0x80808080, 0xFFFFFFFF}},
        {"PNG palette with transparency",
         Png(2, 2, 8, 3, {0, 0, 1, 0, 2, 3},
             {{"PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}},
              {"tRNS", {255, 255, 255, 0}}}),
         {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0xFFFFFF00}},
        {"PNG 16-bit RGB",
         Png(2, 1, 16, 2, {0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255}),
         {0xFF0000FF, 0x0000FFFF}},
        {"PNG 2-bit grey", Png(2, 1, 2, 0, {0, 0x30}), {0x000000FF, 0xFFFFFFFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RgbaImage image;
        std::string error;
        ASSERT_TRUE(Decode(c.file, &image, &error)) << error;
        EXPECT_EQ(image.width, 2u);
        EXPECT_EQ(Pixels(image), c.expected);
    }
    RgbaImage image;
    std::string error;
    for (int components : {1, 3}) {
        ASSERT_TRUE(Decode(Jpeg(components), &image, &error)) << error;
        EXPECT_EQ(image.height, 16u);
        EXPECT_NEAR(int(image.pixels[0]), 200, 3);
        EXPECT_EQ(image.pixels[3], 255);
    }
}

// Refusals the hostile-file table (tests/hostile) does not already make
// through the device: sizes judged from the header alone, layouts not read.
TEST(ImageDecoding, RefusedWithTheirReason) {
    const Bytes png = Png(100000, 1, 8, 2, {});
    const Bytes jpeg = picturetest::JpegClaiming(Jpeg(3), 12288, 12288);
    struct Case {
        const char* what;
        Bytes file;
        uint32_t maxEdge;
        const char* message;
    } cases[] = {
        {"PNG over the device's edge", png, 16384, "PNG: 100000 x 1 pixels: larger than the 16384"},
        {"JPEG over the budget", jpeg, 16384, "JPEG: 12288 x 12288 pixels take 576 MiB"},
        {"BMP over a small device", Bmp(40, 24, 2, 0, {}, {1, 2, 3, 4}), 1,
         "BMP: 2 x 2 pixels: larger than the 1"},
        {"DDS handed to the picture decoder", {'D', 'D', 'S', ' '}, 16384, "a DDS file"},
        {"BMP unknown header size", Bmp(64, 24, 2, 0, {}, {0, 0, 0, 0}), 16384,
         "BMP: info header of 64 bytes"},
        {"BMP 2 bits per pixel", Bmp(40, 2, 2, 0, kBgrPalette, {0, 0, 0, 0}), 16384,
         "BMP: 2 bits per pixel"},
        {"BMP masks with 24 bits", Bmp(40, 24, 2, 3, Bytes(12, 0), {0, 0, 0, 0}), 16384,
         "BMP: channel masks"},
        {"TGA true colour at 8 bits", Tga(2, 8, 0, {0, 0, 0, 0}), 16384, "not a BMP, TGA"},
        {"TGA index outside its map", Tga(1, 8, 0, {0, 1, 2, 9}, 3, 24, Bytes(9, 0)), 16384,
         "TGA: colour index outside the colour map"},
        {"PNG whose pixel data is short", Png(2, 2, 8, 2, Bytes(7, 0)), 16384, "PNG: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RgbaImage image;
        std::string error;
        EXPECT_FALSE(Decode(c.file, &image, &error, Limits(c.maxEdge)));
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
        EXPECT_EQ(image.pixels, nullptr);
    }
}

TEST(ImageDecoding, CutsThroughThePixelDataAreRefused) {
    // Everything short of the trailer that carries no pixels (the last BMP
    // row's padding, PNG's IEND chunk, JPEG's end marker) is needed.
    const struct {
        Bytes file;
        size_t trailer;
    } files[] = {{Bmp(40, 24, 2, 0, {}, {1, 2, 3, 4}), 2},
                 {Bmp(40, 4, -2, 0, kBgrPalette, {1, 2, 0, 1}), 3},
                 {Tga(2, 32, 0, Bytes(16, 7)), 0},
                 {Tga(10, 24, 0, {0x01, 1, 2, 3, 4, 5, 6, 0x81, 7, 8, 9}), 0},
                 {Png(2, 2, 8, 6, {0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 9, 8, 7, 6, 5, 4, 3, 2}), 12},
                 {Jpeg(3), 2}};
    for (const auto& f : files) {
        RgbaImage image;
        std::string error;
        ASSERT_TRUE(Decode(f.file, &image, &error)) << error;
        for (size_t size = 0; size + f.trailer < f.file.size(); ++size) {
            Bytes cut(f.file.begin(), f.file.begin() + long(size));
            EXPECT_FALSE(Decode(cut, &image, &error))
                << "accepted " << size << " of " << f.file.size();
        }
    }
}

TEST(TextureLimits, EdgeBudgetAndEmptiness) {
    TextureLimits limits = Limits(4096);
    std::string error;
    EXPECT_TRUE(
        gfx::image::CheckTextureSize(4096, 4096, 1, uint64_t(4096) * 4096 * 4, limits, &error));
    EXPECT_FALSE(gfx::image::CheckTextureSize(4097, 1, 1, 4 * 4097, limits, &error));
    EXPECT_FALSE(gfx::image::CheckTextureSize(0, 1, 1, 0, limits, &error));
    EXPECT_TRUE(
        gfx::image::CheckTextureSize(2048, 2048, 6, uint64_t(2048) * 2048 * 4 * 6, limits, &error));
    EXPECT_FALSE(
        gfx::image::CheckTextureSize(2049, 2049, 6, uint64_t(2049) * 2049 * 4 * 6, limits, &error));
    EXPECT_EQ(error,
              "6 faces of 2049 x 2049 pixels take 97 MiB, more than the 96 MiB a texture may take");
}

}  // namespace
