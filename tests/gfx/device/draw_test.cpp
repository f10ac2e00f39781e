// Render states, clip space, buffers and draws, checked on the pixels drawn.
#include <cstring>

#include "device_fixture.h"

namespace gltest {
namespace {

using namespace gfx;

const Vector3 kFacing(0, 0, 1);
// Counter-clockwise on screen: bottom left, bottom right, top.
const std::vector<SkinVertex> kCcwTriangle = {
    {{-0.8f, -0.8f, 0.5f}, kFacing}, {{0.8f, -0.8f, 0.5f}, kFacing}, {{0.0f, 0.8f, 0.5f}, kFacing}};
const std::vector<SkinVertex> kCwTriangle = {kCcwTriangle[0], kCcwTriangle[2], kCcwTriangle[1]};

// Quads, one after the other in one buffer.
std::vector<SkinVertex> Quads(std::initializer_list<std::vector<SkinVertex>> quads) {
    std::vector<SkinVertex> all;
    for (const auto& quad : quads) all.insert(all.end(), quad.begin(), quad.end());
    return all;
}

TEST_F(DeviceTest, ClipSpaceHasXRightAndYUp) {
    Clear(0xFF000000);
    Bind(Quad(0.0f, 0.0f, 1.0f, 1.0f));  // the upper right quarter
    UseFlat(kRed);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), S_OK);
    Picture picture = Capture();
    EXPECT_TRUE(picture.PixelIs(kWidth - 8, 8, kRed));
    EXPECT_TRUE(picture.PixelIs(8, 8, kBlack));
    EXPECT_TRUE(picture.PixelIs(kWidth - 8, kHeight - 8, kBlack));
}

TEST_F(DeviceTest, CullModesJudgeWindingAsTheViewerSeesIt) {
    struct Case {
        uint32_t cull;
        bool ccwDrawn, cwDrawn;
    } cases[] = {{D3DCULL_NONE, true, true}, {D3DCULL_CW, true, false}, {D3DCULL_CCW, false, true}};
    Bind(Quads({kCcwTriangle, kCwTriangle}));
    UseFlat(kGreen);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cull);
        device->SetRenderState(D3DRS_CULLMODE, c.cull);
        for (uint32_t start : {0u, 3u}) {
            Clear(0xFF000000);
            device->DrawPrimitive(D3DPT_TRIANGLELIST, start, 1);
            bool drawn = start == 0 ? c.ccwDrawn : c.cwDrawn;
            EXPECT_TRUE(Capture().PixelIs(kWidth / 2, kHeight / 2, drawn ? kGreen : kBlack));
        }
    }
}

TEST_F(DeviceTest, WireframeDrawsEdgesOnly) {
    Bind(Quad(-0.5f, -0.5f, 0.5f, 0.5f));
    UseFlat(kWhite);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Clear(0xFF000000);
    ASSERT_EQ(device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME), S_OK);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    Picture wire = Capture();
    EXPECT_TRUE(wire.PixelIs(24, 40, kBlack));  // inside, off the diagonal
    int lit = wire.Count(15, 0, 17, kHeight, [](Rgb p) { return p.r > 128; });
    EXPECT_GT(lit, 20) << wire.Save();  // the left edge is drawn
    Clear(0xFF000000);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(Capture().PixelIs(24, 40, kWhite));
}

TEST_F(DeviceTest, DepthIsZeroToOneAndTestedLessOrEqual) {
    Bind(Quads({Quad(-1, -1, 1, 1, 0.25f), Quad(-1, -1, 1, 1, 0.75f), Quad(-1, -1, 1, 1, 0.25f)}));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Clear(0xFF000000);
    UseFlat(kRed);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    float depth = 0;
    ASSERT_TRUE(gl::ReadDepth(device, 10, 10, &depth));
    EXPECT_NEAR(depth, 0.25f, 1e-4);  // not 0.625 as with GL's −1..1 clip depth
    UseFlat(kGreen);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2);  // behind: hidden
    EXPECT_TRUE(Capture().PixelIs(10, 10, kRed));
    UseFlat(kBlue);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 12, 2);  // equal depth passes
    EXPECT_TRUE(Capture().PixelIs(10, 10, kBlue));
    ASSERT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), S_OK);
    UseFlat(kGreen);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2);  // no test: drawn
    EXPECT_TRUE(Capture().PixelIs(10, 10, kGreen));
    ASSERT_TRUE(gl::ReadDepth(device, 10, 10, &depth));
    EXPECT_NEAR(depth, 0.25f, 1e-4);  // and no depth written
}

TEST_F(DeviceTest, DepthWritesCanBeTurnedOffButNotForClears) {
    Bind(Quads({Quad(-1, -1, 1, 1, 0.25f), Quad(-1, -1, 1, 1, 0.75f)}));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Clear(0xFF000000);
    device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    UseFlat(kRed);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    UseFlat(kGreen);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2);
    EXPECT_TRUE(Capture().PixelIs(10, 10, kGreen));
    Clear(0xFF000000);
    float depth = 0;
    ASSERT_TRUE(gl::ReadDepth(device, 10, 10, &depth));
    EXPECT_EQ(depth, 1.0f);
}

TEST_F(DeviceTest, ViewportOriginIsTopLeft) {
    Bind(Quad(-1, -1, 1, 1));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Clear(0xFF000000);
    Viewport topLeft{0, 0, uint32_t(kWidth) / 2, uint32_t(kHeight) / 4, 0, 1};
    ASSERT_EQ(device->SetViewport(&topLeft), S_OK);
    UseFlat(kYellow);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    Picture picture = Capture();
    EXPECT_TRUE(picture.PixelIs(4, 4, kYellow));
    EXPECT_TRUE(picture.PixelIs(4, kHeight / 4 + 4, kBlack));
    EXPECT_TRUE(picture.PixelIs(kWidth / 2 + 4, 4, kBlack));
}

TEST_F(DeviceTest, IndexedDrawHonoursBaseVertexAndStartIndex) {
    // Vertices 0..3: a quad on the left half; 4..7 the same on the right half.
    Bind({{{-1, -1, 0.5f}, kFacing},
          {{0, -1, 0.5f}, kFacing},
          {{0, 1, 0.5f}, kFacing},
          {{-1, 1, 0.5f}, kFacing},
          {{0, -1, 0.5f}, kFacing},
          {{1, -1, 0.5f}, kFacing},
          {{1, 1, 0.5f}, kFacing},
          {{0, 1, 0.5f}, kFacing}});
    // Three unused indices, then one quad.
    ASSERT_EQ(device->SetIndices(MakeIndexBuffer({9, 9, 9, 0, 1, 2, 0, 2, 3})), S_OK);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Clear(0xFF000000);
    UseFlat(kCyan);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 3, 2), S_OK);
    Picture picture = Capture();
    EXPECT_TRUE(picture.PixelIs(kWidth - 8, kHeight / 2, kCyan));
    EXPECT_TRUE(picture.PixelIs(8, kHeight / 2, kBlack));
}

TEST_F(DeviceTest, UnlockMakesNewContentsTheDataOfLaterDraws) {
    VertexBuffer* buffer = Bind(Quad(-1, -1, 0, 1));  // left half
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Clear(0xFF000000);
    UseFlat(kRed);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), S_OK);
    std::vector<SkinVertex> right = Quad(0, -1, 1, 1);
    std::memcpy(data, right.data(), right.size() * sizeof(SkinVertex));
    ASSERT_EQ(buffer->Unlock(), S_OK);
    UseFlat(kGreen);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    Picture picture = Capture();
    EXPECT_TRUE(picture.PixelIs(8, kHeight / 2, kRed));  // the earlier draw kept the old data
    EXPECT_TRUE(picture.PixelIs(kWidth - 8, kHeight / 2, kGreen));
}

// A mesh drawn one triangle per call, with state changes and a buffer update
// part way: the picture must not depend on whether draws are merged.
class MergeTest : public DeviceTest {
protected:
    // 8 quads side by side across the screen.
    std::vector<SkinVertex> Strips() {
        std::vector<SkinVertex> v;
        for (int i = 0; i < 8; ++i) {
            float x0 = -1 + i * 0.25f;
            for (const SkinVertex& q : Quad(x0, -1, x0 + 0.25f, 1)) v.push_back(q);
        }
        return v;
    }
    Picture Draw(bool merge, uint64_t* calls) {
        gl::SetDrawMerging(device, merge);
        uint64_t before = gl::GetGlDrawCallCount(device);
        Clear(0xFF000000);
        UseFlat(kRed);
        for (int t = 0; t < 6; ++t) device->DrawPrimitive(D3DPT_TRIANGLELIST, 3 * t, 1);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        for (int t = 6; t < 10; ++t) device->DrawPrimitive(D3DPT_TRIANGLELIST, 3 * t, 1);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        UseFlat(kGreen);  // the program changes behind the device: it flushes first
        for (int t = 10; t < 16; ++t) device->DrawPrimitive(D3DPT_TRIANGLELIST, 3 * t, 1);
        Picture picture = Capture();  // reading back sends the last run
        *calls = gl::GetGlDrawCallCount(device) - before;
        return picture;
    }
};

TEST_F(MergeTest, PictureIsTheSameMergedOrNot) {
    Bind(Strips());
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    uint64_t mergedCalls = 0, plainCalls = 0;
    Picture merged = Draw(true, &mergedCalls);
    Picture plain = Draw(false, &plainCalls);
    EXPECT_EQ(plainCalls, 16u);
    EXPECT_EQ(mergedCalls, 3u);  // one per run between state changes
    EXPECT_TRUE(merged.rgba == plain.rgba)
        << "merged and unmerged pictures differ: " << merged.Save(".merged") << ", "
        << plain.Save(".unmerged");
    EXPECT_TRUE(merged.PixelIs(2, kHeight / 2, kRed));
    EXPECT_TRUE(merged.PixelIs(kWidth - 2, kHeight / 2, kGreen));
}

TEST_F(MergeTest, OnlyAdjacentRangesOfOneBindingMerge) {
    Bind(Strips());
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    UseFlat(kRed);
    uint64_t start = gl::GetGlDrawCallCount(device);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 9, 1);       // gap: a new run
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // unchanged: no flush
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 12, 1);
    device->DrawPrimitive(D3DPT_LINELIST, 15, 1);  // its next vertex, another type: a new run
    gl::FlushPendingDraws(device);
    EXPECT_EQ(gl::GetGlDrawCallCount(device) - start, 3u);
    // A lock flushes, so the draws before it are made with the old contents.
    VertexBuffer* other = Bind(Strips());
    start = gl::GetGlDrawCallCount(device);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    void* data = nullptr;
    other->Lock(0, 0, &data, 0);
    EXPECT_EQ(gl::GetGlDrawCallCount(device) - start, 1u);
    other->Unlock();
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1);
    ASSERT_EQ(device->BeginScene(), S_OK);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 6, 1);
    device->EndScene();  // sends the run
    EXPECT_EQ(gl::GetGlDrawCallCount(device) - start, 2u);
}

}  // namespace
}  // namespace gltest
