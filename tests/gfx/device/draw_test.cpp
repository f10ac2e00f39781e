// Render states, clip space, buffers and draws, checked on the pixels drawn.
#include <cstring>

#include "gl_test_support.h"

namespace gltest {
namespace {

using namespace gfx;

// Counter-clockwise on screen: bottom left, bottom right, top.
const std::vector<Vertex> kCcwTriangle = {{-0.8f, -0.8f, 0.5f, 0, 0, 1},
                                          {0.8f, -0.8f, 0.5f, 0, 0, 1},
                                          {0.0f, 0.8f, 0.5f, 0, 0, 1}};
const std::vector<Vertex> kCwTriangle = {kCcwTriangle[0], kCcwTriangle[2], kCcwTriangle[1]};

TEST_F(DeviceTest, ClipSpaceHasXRightAndYUp) {
    ClearTo(0xFF000000);
    MakeBuffer(Quad(0.0f, 0.0f, 1.0f, 1.0f));  // the upper right quarter
    UseFlat(kRed);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), S_OK);
    EXPECT_TRUE(PixelIs(kWidth - 8, 8, kRed));
    EXPECT_TRUE(PixelIs(8, 8, kBlack));
    EXPECT_TRUE(PixelIs(kWidth - 8, kHeight - 8, kBlack));
}

TEST_F(DeviceTest, CullModesJudgeWindingAsTheViewerSeesIt) {
    struct Case {
        uint32_t cull;
        bool ccwDrawn, cwDrawn;
    } cases[] = {{D3DCULL_NONE, true, true}, {D3DCULL_CW, true, false}, {D3DCULL_CCW, false, true}};
    std::vector<Vertex> both = kCcwTriangle;
    both.insert(both.end(), kCwTriangle.begin(), kCwTriangle.end());
    MakeBuffer(both);
    UseFlat(kGreen);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cull);
        device->SetRenderState(D3DRS_CULLMODE, c.cull);
        ClearTo(0xFF000000);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
        pixels.clear();
        EXPECT_TRUE(PixelIs(kWidth / 2, kHeight / 2, c.ccwDrawn ? kGreen : kBlack));
        ClearTo(0xFF000000);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1);
        pixels.clear();
        EXPECT_TRUE(PixelIs(kWidth / 2, kHeight / 2, c.cwDrawn ? kGreen : kBlack));
    }
}

TEST_F(DeviceTest, WireframeDrawsEdgesOnly) {
    MakeBuffer(Quad(-0.5f, -0.5f, 0.5f, 0.5f));
    UseFlat(kWhite);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ClearTo(0xFF000000);
    ASSERT_EQ(device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME), S_OK);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    Capture();
    EXPECT_TRUE(PixelIs(24, 40, kBlack));  // inside, off the diagonal
    int lit = 0;
    for (int y = 0; y < kHeight; ++y) lit += PixelAt(16, y).r > 128 || PixelAt(15, y).r > 128;
    EXPECT_GT(lit, 20);  // the left edge is drawn
    ClearTo(0xFF000000);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    pixels.clear();
    EXPECT_TRUE(PixelIs(24, 40, kWhite));
}

TEST_F(DeviceTest, DepthIsZeroToOneAndTestedLessOrEqual) {
    std::vector<Vertex> quads = Quad(-1, -1, 1, 1, 0.25f);
    for (const Vertex& v : Quad(-1, -1, 1, 1, 0.75f)) quads.push_back(v);
    for (const Vertex& v : Quad(-1, -1, 1, 1, 0.25f)) quads.push_back(v);
    MakeBuffer(quads);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ClearTo(0xFF000000);
    UseFlat(kRed);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    float depth = 0;
    ASSERT_TRUE(gl::ReadDepth(device, 10, 10, &depth));
    EXPECT_NEAR(depth, 0.25f, 1e-4);  // not 0.625 as with GL's −1..1 clip depth
    UseFlat(kGreen);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2);  // behind: hidden
    EXPECT_TRUE(PixelIs(10, 10, kRed));
    UseFlat(kBlue);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 12, 2);  // equal depth passes
    pixels.clear();
    EXPECT_TRUE(PixelIs(10, 10, kBlue));
    ASSERT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), S_OK);
    UseFlat(kGreen);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2);  // no test: drawn
    pixels.clear();
    EXPECT_TRUE(PixelIs(10, 10, kGreen));
    ASSERT_TRUE(gl::ReadDepth(device, 10, 10, &depth));
    EXPECT_NEAR(depth, 0.25f, 1e-4);  // and no depth written
}

TEST_F(DeviceTest, DepthWritesCanBeTurnedOff) {
    std::vector<Vertex> quads = Quad(-1, -1, 1, 1, 0.25f);
    for (const Vertex& v : Quad(-1, -1, 1, 1, 0.75f)) quads.push_back(v);
    MakeBuffer(quads);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ClearTo(0xFF000000);
    device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    UseFlat(kRed);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    UseFlat(kGreen);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2);
    EXPECT_TRUE(PixelIs(10, 10, kGreen));
    // The clear writes depth whatever the write mask.
    ClearTo(0xFF000000);
    float depth = 0;
    ASSERT_TRUE(gl::ReadDepth(device, 10, 10, &depth));
    EXPECT_EQ(depth, 1.0f);
}

TEST_F(DeviceTest, ViewportOriginIsTopLeft) {
    MakeBuffer(Quad(-1, -1, 1, 1));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ClearTo(0xFF000000);
    Viewport topLeft{0, 0, kWidth / 2, kHeight / 4, 0, 1};
    ASSERT_EQ(device->SetViewport(&topLeft), S_OK);
    UseFlat(kYellow);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(PixelIs(4, 4, kYellow));
    EXPECT_TRUE(PixelIs(4, kHeight / 4 + 4, kBlack));
    EXPECT_TRUE(PixelIs(kWidth / 2 + 4, 4, kBlack));
    Viewport tooBig{0, 0, kWidth + 1, kHeight, 0, 1};
    EXPECT_EQ(device->SetViewport(&tooBig), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, IndexedDrawHonoursBaseVertexAndStartIndex) {
    // Vertices 0..3: a quad on the left half; 4..7 the same on the right half.
    std::vector<Vertex> v = {{-1, -1, 0.5f, 0, 0, 1}, {0, -1, 0.5f, 0, 0, 1}, {0, 1, 0.5f, 0, 0, 1},
                             {-1, 1, 0.5f, 0, 0, 1}, {0, -1, 0.5f, 0, 0, 1}, {1, -1, 0.5f, 0, 0, 1},
                             {1, 1, 0.5f, 0, 0, 1},  {0, 1, 0.5f, 0, 0, 1}};
    MakeBuffer(v);
    IndexBuffer* indices = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(18, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices, nullptr), S_OK);
    owned.push_back(indices);
    void* data = nullptr;
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), S_OK);
    const uint16_t list[9] = {9, 9, 9, 0, 1, 2, 0, 2, 3};  // three unused, then one quad
    std::memcpy(data, list, sizeof list);
    ASSERT_EQ(indices->Unlock(), S_OK);
    ASSERT_EQ(device->SetIndices(indices), S_OK);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ClearTo(0xFF000000);
    UseFlat(kCyan);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 3, 2), S_OK);
    EXPECT_TRUE(PixelIs(kWidth - 8, kHeight / 2, kCyan));
    EXPECT_TRUE(PixelIs(8, kHeight / 2, kBlack));
    // Out of range requests are refused.
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 6, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 6, 0, 4, 3, 2), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, UnlockMakesNewContentsTheDataOfLaterDraws) {
    VertexBuffer* buffer = MakeBuffer(Quad(-1, -1, 0, 1));  // left half
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ClearTo(0xFF000000);
    UseFlat(kRed);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), S_OK);
    std::vector<Vertex> right = Quad(0, -1, 1, 1);
    std::memcpy(data, right.data(), right.size() * sizeof(Vertex));
    ASSERT_EQ(buffer->Unlock(), S_OK);
    UseFlat(kGreen);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(PixelIs(8, kHeight / 2, kRed));  // the earlier draw kept the old data
    EXPECT_TRUE(PixelIs(kWidth - 8, kHeight / 2, kGreen));
    EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(0, buffer->GetLength() + 1, &data, 0), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, DrawsOutsideTheBoundDataAreRefused) {
    MakeBuffer(Quad(-1, -1, 1, 1));
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 4, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0), D3DERR_INVALIDCALL);
    device->SetStreamSource(0, nullptr, 0, 0);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, DeclarationsMapUsagesAndRejectWhatTheyCannot) {
    uint32_t count = 0;
    const VertexElement* elements = declaration->GetElements(&count);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(elements[1].usage, D3DDECLUSAGE_NORMAL);
    EXPECT_EQ(elements[2].stream, 0xFF);
    const VertexElement twice[] = {kSkinVertexElements[0], kSkinVertexElements[0], D3DDECL_END};
    VertexDeclaration* bad = nullptr;
    EXPECT_EQ(device->CreateVertexDeclaration(twice, &bad), D3DERR_INVALIDCALL);
    const VertexElement unknownType[] = {{0, 0, 40, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END};
    EXPECT_EQ(device->CreateVertexDeclaration(unknownType, &bad), D3DERR_INVALIDCALL);
    EXPECT_EQ(bad, nullptr);
}

// A mesh drawn one triangle per call, with state changes and a buffer update
// part way: the picture must not depend on whether draws are merged.
class MergeTest : public DeviceTest {
protected:
    // A strip of 16 thin triangles pairs (8 quads) across the screen.
    std::vector<Vertex> Strips() {
        std::vector<Vertex> v;
        for (int i = 0; i < 8; ++i) {
            float x0 = -1 + i * 0.25f;
            for (const Vertex& q : Quad(x0, -1, x0 + 0.25f, 1)) v.push_back(q);
        }
        return v;
    }
    std::vector<uint8_t> Draw(bool merge, uint64_t* calls) {
        gl::SetDrawMerging(device, merge);
        uint64_t before = gl::GetGlDrawCallCount(device);
        ClearTo(0xFF000000);
        UseFlat(kRed);
        for (int t = 0; t < 6; ++t) device->DrawPrimitive(D3DPT_TRIANGLELIST, 3 * t, 1);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        for (int t = 6; t < 10; ++t) device->DrawPrimitive(D3DPT_TRIANGLELIST, 3 * t, 1);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        UseFlat(kGreen);  // the program changes behind the device: it flushes first
        for (int t = 10; t < 16; ++t) device->DrawPrimitive(D3DPT_TRIANGLELIST, 3 * t, 1);
        Capture();  // reading back sends the last run
        *calls = gl::GetGlDrawCallCount(device) - before;
        return pixels;
    }
};

TEST_F(MergeTest, PictureIsTheSameMergedOrNot) {
    MakeBuffer(Strips());
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    uint64_t mergedCalls = 0, plainCalls = 0;
    std::vector<uint8_t> merged = Draw(true, &mergedCalls);
    std::vector<uint8_t> plain = Draw(false, &plainCalls);
    EXPECT_EQ(plainCalls, 16u);
    EXPECT_EQ(mergedCalls, 3u);  // one per run between state changes
    EXPECT_TRUE(merged == plain) << "merged and unmerged pictures differ";
    if (merged != plain) {
        SavePpm("merged.ppm", capturedWidth, capturedHeight, merged);
        SavePpm("unmerged.ppm", capturedWidth, capturedHeight, plain);
    }
    EXPECT_TRUE(PixelIs(2, kHeight / 2, kRed));
    EXPECT_TRUE(PixelIs(kWidth - 2, kHeight / 2, kGreen));
}

TEST_F(MergeTest, OnlyAdjacentRangesOfOneBindingMerge) {
    MakeBuffer(Strips());
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    UseFlat(kRed);
    uint64_t start = gl::GetGlDrawCallCount(device);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 9, 1);  // gap: a new run
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // unchanged: no flush
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 12, 1);
    gl::FlushPendingDraws(device);
    EXPECT_EQ(gl::GetGlDrawCallCount(device) - start, 2u);
    // A lock flushes, so the draws before it are made with the old contents.
    VertexBuffer* other = MakeBuffer(Strips());
    start = gl::GetGlDrawCallCount(device);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    void* data = nullptr;
    other->Lock(0, 0, &data, 0);
    EXPECT_EQ(gl::GetGlDrawCallCount(device) - start, 1u);
    other->Unlock();
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1);
    device->EndScene();  // not in a scene: refused, yet nothing is lost
    ASSERT_EQ(device->BeginScene(), S_OK);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 6, 1);
    device->EndScene();
    EXPECT_EQ(gl::GetGlDrawCallCount(device) - start, 2u);
}

}  // namespace
}  // namespace gltest
