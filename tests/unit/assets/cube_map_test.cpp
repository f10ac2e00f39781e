// Checks on the cube map the build wrote, read back from the DDS bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "asset_readers.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

struct Dds {
    std::vector<uint8_t> bytes;
    int size = 0;
    int levels = 0;

    // Byte offset of a level of a face: faces one after another, each with
    // its whole mip chain.
    size_t LevelOffset(int face, int level) const {
        size_t perFace = 0, before = 0;
        for (int l = 0; l < levels; ++l) {
            size_t s = static_cast<size_t>(std::max(1, size >> l));
            if (l < level) before += s * s * 4;
            perFace += s * s * 4;
        }
        return 128 + perFace * static_cast<size_t>(face) + before;
    }
    const uint8_t* Texel(int face, int level, int x, int y) const {
        int s = std::max(1, size >> level);
        return &bytes[LevelOffset(face, level) + (static_cast<size_t>(y) * s + x) * 4];
    }
};

// Which face and texel a direction falls on, by the inverse of Direct3D's
// face layout: face +X shows (1, −v, −u), −X (−1, −v, u), +Y (u, 1, v),
// −Y (u, −1, −v), +Z (u, −v, 1), −Z (−u, −v, −1).
void Lookup(const Vector3& d, int size, int* face, int* x, int* y) {
    float ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z), u, v;
    if (ax >= ay && ax >= az) {
        *face = d.x > 0 ? 0 : 1;
        u = (d.x > 0 ? -d.z : d.z) / ax;
        v = -d.y / ax;
    } else if (ay >= az) {
        *face = d.y > 0 ? 2 : 3;
        u = d.x / ay;
        v = (d.y > 0 ? d.z : -d.z) / ay;
    } else {
        *face = d.z > 0 ? 4 : 5;
        u = (d.z > 0 ? d.x : -d.x) / az;
        v = -d.y / az;
    }
    *x = std::clamp(static_cast<int>((u + 1.0f) * 0.5f * static_cast<float>(size)), 0, size - 1);
    *y = std::clamp(static_cast<int>((v + 1.0f) * 0.5f * static_cast<float>(size)), 0, size - 1);
}

Vector3 Direction(int face, float u, float v) {
    switch (face) {
    case 0: return {1, -v, -u};
    case 1: return {-1, -v, u};
    case 2: return {u, 1, v};
    case 3: return {u, -1, -v};
    case 4: return {u, -v, 1};
    default: return {-u, -v, -1};
    }
}

int ColourDistance(const uint8_t* a, const uint8_t* b) {
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

class CubeMapFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dds_ = new Dds;
        dds_->bytes = ReadAllBytes(std::string(RR_RUN_DIR) + "/Textures/Snow.dds");
        if (dds_->bytes.size() >= 128) {
            dds_->size = static_cast<int>(U32(dds_->bytes, 16));
            dds_->levels = static_cast<int>(U32(dds_->bytes, 28));
        }
    }
    static void TearDownTestSuite() {
        delete dds_;
        dds_ = nullptr;
    }
    static Dds* dds_;
};

Dds* CubeMapFile::dds_ = nullptr;

TEST_F(CubeMapFile, HeaderDescribesAnUncompressedCubeWithAFullMipChain) {
    const auto& b = dds_->bytes;
    ASSERT_GE(b.size(), 128u);
    EXPECT_EQ(U32(b, 0), 0x20534444u);  // "DDS "
    EXPECT_EQ(U32(b, 4), 124u);
    const uint32_t flags = U32(b, 8);
    for (uint32_t required : {0x1u, 0x2u, 0x4u, 0x1000u, 0x20000u})
        EXPECT_EQ(flags & required, required);
    EXPECT_EQ(U32(b, 12), 512u);
    EXPECT_EQ(U32(b, 16), 512u);
    EXPECT_EQ(U32(b, 28), 10u);
    // Pixel format: 32-bit RGB with alpha, A8R8G8B8 masks, no FourCC.
    EXPECT_EQ(U32(b, 76), 32u);
    EXPECT_EQ(U32(b, 80), 0x41u);
    EXPECT_EQ(U32(b, 84), 0u);
    EXPECT_EQ(U32(b, 88), 32u);
    EXPECT_EQ(U32(b, 92), 0x00FF0000u);
    EXPECT_EQ(U32(b, 96), 0x0000FF00u);
    EXPECT_EQ(U32(b, 100), 0x000000FFu);
    EXPECT_EQ(U32(b, 104), 0xFF000000u);
    EXPECT_EQ(U32(b, 108), 0x401008u);  // complex, texture, mipmap
    EXPECT_EQ(U32(b, 112), 0xFE00u);    // cube map with all six faces
    // Six faces of 512² + 256² + … + 1² texels, four bytes each.
    size_t texels = 0;
    for (int s = 512; s >= 1; s /= 2) texels += static_cast<size_t>(s) * s;
    EXPECT_EQ(b.size(), 128 + 6 * texels * 4);
    for (size_t i = 128 + 3; i < b.size(); i += 4 * 997)
        EXPECT_EQ(b[i], 255) << "alpha at byte " << i;
}

// Along every edge, the texel beyond the edge (found by direction on the
// neighbouring face) must look like its neighbour inside the face, about as
// alike as two neighbouring texels inside a face are.
TEST_F(CubeMapFile, NeighbouringFacesAgreeAlongTheirEdges) {
    ASSERT_EQ(dds_->levels, 10);
    for (int level : {0, 3}) {
        const int n = std::max(1, dds_->size >> level);
        long seamSum = 0, insideSum = 0, count = 0;
        int seamWorst = 0;
        for (int face = 0; face < 6; ++face)
            for (int edge = 0; edge < 4; ++edge)
                for (int i = 0; i < n; ++i) {
                    int x = edge == 0   ? 0
                            : edge == 1 ? n - 1
                                        : i,
                        y = edge == 2   ? 0
                            : edge == 3 ? n - 1
                                        : i;
                    int ox = edge == 0   ? -1
                             : edge == 1 ? 1
                                         : 0,
                        oy = edge == 2   ? -1
                             : edge == 3 ? 1
                                         : 0;
                    // Centre of the texel one step outside the face.
                    float u =
                        (2.0f * static_cast<float>(x + ox) + 1.0f) / static_cast<float>(n) - 1.0f;
                    float v =
                        (2.0f * static_cast<float>(y + oy) + 1.0f) / static_cast<float>(n) - 1.0f;
                    int nf, nx, ny;
                    Lookup(Direction(face, u, v), n, &nf, &nx, &ny);
                    ASSERT_NE(nf, face);
                    int seam = ColourDistance(dds_->Texel(face, level, x, y),
                                              dds_->Texel(nf, level, nx, ny));
                    int inside = ColourDistance(dds_->Texel(face, level, x, y),
                                                dds_->Texel(face, level, x - ox, y - oy));
                    seamSum += seam;
                    insideSum += inside;
                    seamWorst = std::max(seamWorst, seam);
                    ++count;
                }
        double seamMean = static_cast<double>(seamSum) / static_cast<double>(count);
        double insideMean = static_cast<double>(insideSum) / static_cast<double>(count);
        EXPECT_LE(seamMean, 2.0 * insideMean + 2.0) << "level " << level;
        EXPECT_LE(seamMean, 12.0) << "level " << level;
        EXPECT_LE(seamWorst, 160) << "level " << level;
    }
}

TEST_F(CubeMapFile, SkyIsAboveAndSnowBelow) {
    ASSERT_EQ(dds_->levels, 10);
    // The 1 × 1 level is the mean colour of each face (bytes B, G, R).
    const uint8_t* top = dds_->Texel(2, 9, 0, 0);
    const uint8_t* bottom = dds_->Texel(3, 9, 0, 0);
    EXPECT_GT(top[0], top[2] + 40) << "the +Y face is blue sky";
    EXPECT_GT(bottom[2], 170) << "the -Y face is bright snow";
    EXPECT_LT(std::abs(bottom[0] - bottom[2]), 60) << "snow is nearly white";
    // Side faces: sky in the top row, snow in the bottom row.
    for (int face : {0, 1, 4, 5}) {
        const uint8_t* upper = dds_->Texel(face, 0, 256, 10);
        const uint8_t* lower = dds_->Texel(face, 0, 256, 500);
        EXPECT_GT(upper[0], upper[2]) << "face " << face;
        EXPECT_GT(lower[2], 150) << "face " << face;
    }
    // Snow shows texture: the lower half of a side face is not flat.
    int darkest = 255, brightest = 0;
    for (int y = 300; y < 512; y += 3)
        for (int x = 0; x < 512; x += 3) {
            int g = dds_->Texel(4, 0, x, y)[1];
            darkest = std::min(darkest, g);
            brightest = std::max(brightest, g);
        }
    EXPECT_GT(brightest - darkest, 25);
}

TEST_F(CubeMapFile, EachMipLevelIsTheBoxFilterOfTheOneAbove) {
    ASSERT_EQ(dds_->levels, 10);
    for (int face = 0; face < 6; ++face)
        for (int level = 1; level < 10; ++level) {
            const int n = std::max(1, dds_->size >> level);
            for (int y = 0; y < n; y += std::max(1, n / 7))
                for (int x = 0; x < n; x += std::max(1, n / 7))
                    for (int c = 0; c < 3; ++c) {
                        int sum = 0;
                        for (int k = 0; k < 4; ++k)
                            sum += dds_->Texel(face, level - 1, 2 * x + k % 2, 2 * y + k / 2)[c];
                        // Each level is filtered from unrounded values, so allow rounding.
                        EXPECT_NEAR(dds_->Texel(face, level, x, y)[c], sum / 4.0, 1.5)
                            << "face " << face << " level " << level << " texel " << x << "," << y;
                    }
        }
}

}  // namespace
