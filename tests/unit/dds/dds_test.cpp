// The DDS reader: accepted formats and layouts, and every way a file can be
// wrong (each must fail without reading past the data).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/gfx/image/dds.h"
#include "support/dds_files.h"

namespace {

using gfx::image::DdsFormat;
using gfx::image::DdsImage;
using gfx::image::ParseDds;
using Fmt = assetgen::DdsFormat;
using rrtest::Rgba;

constexpr Rgba kRed{255, 0, 0, 255};

// Parses a copy of the bytes in an exactly sized heap block, so that a read
// past the end shows under AddressSanitizer.
bool Parse(const std::vector<uint8_t>& bytes, DdsImage* image, std::string* error = nullptr) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
    return ParseDds(copy.get(), bytes.size(), image, error);
}

void Patch32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(value >> (8 * i));
}

// Offsets in the file (magic included).
constexpr size_t kHeight = 12, kWidth = 16, kMipCount = 28, kFourCC = 84, kFlagsPf = 80,
                 kRMask = 92, kCaps2 = 112;

TEST(DdsReader, RecognisesEachFormat) {
    struct Case {
        Fmt written;
        DdsFormat read;
        size_t levelBytes;  // of an 8×8 level
    } cases[] = {
        {Fmt::A8R8G8B8, DdsFormat::A8R8G8B8, 256}, {Fmt::X8R8G8B8, DdsFormat::X8R8G8B8, 256},
        {Fmt::A8B8G8R8, DdsFormat::A8B8G8R8, 256}, {Fmt::DXT1, DdsFormat::DXT1, 32},
        {Fmt::DXT3, DdsFormat::DXT3, 64},          {Fmt::DXT5, DdsFormat::DXT5, 64}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.written));
        DdsImage image;
        std::string error;
        ASSERT_TRUE(Parse(rrtest::SolidDds(c.written, 8, 8, 1, {{kRed}}), &image, &error)) << error;
        EXPECT_EQ(image.format, c.read);
        EXPECT_EQ(image.width, 8u);
        EXPECT_EQ(image.levels, 1u);
        EXPECT_EQ(image.faces, 1u);
        EXPECT_FALSE(image.cube);
        ASSERT_EQ(image.spans.size(), 1u);
        EXPECT_EQ(image.spans[0].offset, 128u);
        EXPECT_EQ(image.spans[0].size, c.levelBytes);
    }
}

TEST(DdsReader, MipChainSpansFollowEachOtherDownToOnePixel) {
    DdsImage image;
    ASSERT_TRUE(Parse(rrtest::SolidDds(Fmt::A8R8G8B8, 8, 2, 4, {{kRed}}), &image));
    ASSERT_EQ(image.levels, 4u);
    const uint32_t widths[] = {8, 4, 2, 1}, heights[] = {2, 1, 1, 1};
    size_t offset = 128;
    for (uint32_t level = 0; level < 4; ++level) {
        const auto& span = image.Span(0, level);
        EXPECT_EQ(span.width, widths[level]);
        EXPECT_EQ(span.height, heights[level]);
        EXPECT_EQ(span.offset, offset);
        EXPECT_EQ(span.size, size_t(widths[level]) * heights[level] * 4);
        offset += span.size;
    }
}

TEST(DdsReader, CompressedLevelsSmallerThanABlockTakeAWholeBlock) {
    DdsImage image;
    ASSERT_TRUE(Parse(rrtest::SolidDds(Fmt::DXT5, 8, 8, 4, {{kRed}}), &image));
    EXPECT_EQ(image.Span(0, 0).size, 64u);
    EXPECT_EQ(image.Span(0, 1).size, 16u);
    EXPECT_EQ(image.Span(0, 2).size, 16u);  // 2×2
    EXPECT_EQ(image.Span(0, 3).size, 16u);  // 1×1
}

TEST(DdsReader, CubeMapHasSixFacesEachWithItsMipChain) {
    std::vector<std::vector<Rgba>> faces(6, {kRed});
    DdsImage image;
    ASSERT_TRUE(Parse(rrtest::SolidDds(Fmt::DXT1, 16, 16, 5, faces), &image));
    EXPECT_TRUE(image.cube);
    EXPECT_EQ(image.faces, 6u);
    ASSERT_EQ(image.spans.size(), 30u);
    // Face-major: face 1 starts after all of face 0's levels.
    size_t faceBytes = 128 + 32 + 8 + 8 + 8;  // 16², 8², 4², 2², 1² in 8-byte blocks
    EXPECT_EQ(image.Span(1, 0).offset, 128 + faceBytes);
    EXPECT_EQ(image.Span(5, 4).offset + image.Span(5, 4).size, 128 + 6 * faceBytes);
}

TEST(DdsReader, EveryTruncationFails) {
    std::vector<uint8_t> file = rrtest::SolidDds(Fmt::A8R8G8B8, 4, 4, 3, {{kRed}});
    DdsImage image;
    ASSERT_TRUE(Parse(file, &image));
    for (size_t size = 0; size < file.size(); ++size) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + long(size));
        ASSERT_FALSE(Parse(cut, &image))
            << "accepted " << size << " of " << file.size() << " bytes";
    }
    std::vector<std::vector<Rgba>> faces(6, {kRed});
    std::vector<uint8_t> cube = rrtest::SolidDds(Fmt::DXT5, 4, 4, 1, faces);
    cube.resize(cube.size() - 16);  // the last face's block missing
    EXPECT_FALSE(Parse(cube, &image));
}

TEST(DdsReader, InconsistentHeadersFail) {
    const std::vector<uint8_t> good = rrtest::SolidDds(Fmt::A8R8G8B8, 8, 8, 1, {{kRed}});
    struct Case {
        const char* what;
        size_t offset;
        uint32_t value;
    } cases[] = {
        {"bad magic", 0, 0x20534443},
        {"bad header size", 4, 100},
        {"zero height", kHeight, 0},
        {"zero width", kWidth, 0},
        {"huge width", kWidth, 0x40000000},
        {"mip count longer than the chain", kMipCount, 5},
        {"mip count far too large", kMipCount, 0xFFFFFFFF},
        {"bad pixel format size", kFlagsPf - 4, 24},
        {"unknown FourCC", kFourCC, 0x30315844},  // "DX10"
        {"unsupported masks", kRMask, 0x0000F800},
        {"partial cube", kCaps2, 0x200 | 0x400},
        {"volume", kCaps2, 0x200000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> file = good;
        Patch32(file, c.offset, c.value);
        if (c.offset == kMipCount) Patch32(file, 8, 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000);
        if (c.offset == kFourCC) Patch32(file, kFlagsPf, 0x4);
        DdsImage image;
        std::string error;
        EXPECT_FALSE(Parse(file, &image, &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(DdsReader, NonSquareCubeFails) {
    std::vector<std::vector<Rgba>> faces(6, {kRed});
    std::vector<uint8_t> file = rrtest::SolidDds(Fmt::A8R8G8B8, 4, 4, 1, faces);
    Patch32(file, kWidth, 2);  // the data would suffice for 2×4 faces
    DdsImage image;
    EXPECT_FALSE(Parse(file, &image));
}

}  // namespace
