// The three ways a vertex buffer's Lock reaches GL (RR_GL_BUFFER_UPLOAD):
// each must draw exactly what the last Unlock left, through many locks (a
// ring goes round its segments), keep the rest of the buffer on a partial
// lock, and hand out the same memory to a nested lock.
#include <cstdlib>
#include <cstring>

#include "device_fixture.h"

namespace gltest {
namespace {

using namespace gfx;

class BufferUploadTest : public DeviceTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        setenv("RR_GL_BUFFER_UPLOAD", GetParam(), 1);
        DeviceTest::SetUp();
        unsetenv("RR_GL_BUFFER_UPLOAD");
    }

    // Writes quads into [offset, offset + their size) of the buffer.
    void Write(VertexBuffer* buffer, uint32_t offset, const std::vector<SkinVertex>& quads,
               bool whole) {
        void* data = nullptr;
        const auto bytes = uint32_t(quads.size() * sizeof(SkinVertex));
        ASSERT_EQ(buffer->Lock(whole ? 0 : offset, whole ? 0 : bytes, &data, 0), S_OK);
        ASSERT_NE(data, nullptr);
        std::memcpy(static_cast<uint8_t*>(data) + (whole ? offset : 0), quads.data(), bytes);
        ASSERT_EQ(buffer->Unlock(), S_OK);
    }

    Picture DrawAll(Rgb color) {
        Clear(0xFF000000);
        UseFlat(color);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 4);
        return Capture();
    }
};

TEST_P(BufferUploadTest, DrawsReadWhatTheLastUnlockLeft) {
    if (!Ready()) return;
    std::vector<SkinVertex> both = Quad(-1, -1, 0, 1);  // left half, then right half
    for (const SkinVertex& v : Quad(0, -1, 1, 1)) both.push_back(v);
    VertexBuffer* buffer = Bind(both);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    const size_t quadBytes = 6 * sizeof(SkinVertex);

    // Whole-buffer locks, more than a ring has segments: the top half, then
    // the bottom half, in both quads.
    for (int round = 0; round < 7; ++round) {
        SCOPED_TRACE(round);
        const bool top = round % 2 == 0;
        std::vector<SkinVertex> halves = top ? Quad(-1, 0, 0, 1) : Quad(-1, -1, 0, 0);
        for (const SkinVertex& v : top ? Quad(0, 0, 1, 1) : Quad(0, -1, 1, 0)) halves.push_back(v);
        Write(buffer, 0, halves, true);
        Picture picture = DrawAll(kGreen);
        const int lit = top ? 4 : kHeight - 4, dark = top ? kHeight - 4 : 4;
        EXPECT_TRUE(picture.PixelIs(8, lit, kGreen));
        EXPECT_TRUE(picture.PixelIs(kWidth - 8, lit, kGreen));
        EXPECT_TRUE(picture.PixelIs(8, dark, kBlack));
        EXPECT_TRUE(picture.PixelIs(kWidth - 8, dark, kBlack));
    }

    // A partial lock of the second quad keeps the first as the last round left it.
    Write(buffer, uint32_t(quadBytes), Quad(0, -1, 1, 1), false);
    Picture picture = DrawAll(kRed);
    EXPECT_TRUE(picture.PixelIs(8, 4, kRed));  // first quad: top left, from the last round
    EXPECT_TRUE(picture.PixelIs(8, kHeight - 4, kBlack));
    EXPECT_TRUE(picture.PixelIs(kWidth - 8, 4, kRed));  // second quad: all the right
    EXPECT_TRUE(picture.PixelIs(kWidth - 8, kHeight - 4, kRed));

    // Nested locks share one memory: the inner one's bytes are the outer's.
    void* outer = nullptr;
    void* inner = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &outer, 0), S_OK);
    ASSERT_EQ(buffer->Lock(uint32_t(quadBytes), 0, &inner, 0), S_OK);
    EXPECT_EQ(static_cast<uint8_t*>(outer) + quadBytes, inner);
    std::vector<SkinVertex> full = Quad(-1, -1, 1, 1);
    std::memcpy(outer, full.data(), quadBytes);
    std::memcpy(inner, full.data(), quadBytes);
    ASSERT_EQ(buffer->Unlock(), S_OK);
    ASSERT_EQ(buffer->Unlock(), S_OK);
    picture = DrawAll(kBlue);
    EXPECT_TRUE(picture.PixelIs(8, 4, kBlue));
    EXPECT_TRUE(picture.PixelIs(kWidth - 8, kHeight - 4, kBlue));
}

INSTANTIATE_TEST_SUITE_P(Modes, BufferUploadTest, ::testing::Values("copy", "ring", "orphan"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
}  // namespace gltest
