// Present: the window shows the back buffer pixel for pixel, and the draws
// after it see the device's state as they would without it, whether the
// frames are drawn straight into the window or into the device's own
// framebuffer (RR_GL_OFFSCREEN=1, as for a stretched window) and copied.
#include <cstdlib>
#include <cstring>
#include <functional>

#include "device_fixture.h"

namespace gltest {
namespace {

using namespace gfx;

// The window's pixels after a present, rows top first: its back buffer, which
// Mesa's software rasteriser (the tests' GL, under Xvfb) keeps after the swap
// (the test window is hidden: its front buffer holds nothing).
Picture WindowPixels(Device* device, int width, int height) {
    gl::FlushPendingDraws(device);
    std::vector<uint8_t> rows(size_t(width) * size_t(height) * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    gl::InvalidateState(device);
    Picture picture{width, height, std::vector<uint8_t>(rows.size())};
    const size_t row = size_t(width) * 4;
    for (int y = 0; y < height; ++y)
        std::memcpy(&picture.rgba[size_t(y) * row], &rows[size_t(height - 1 - y) * row], row);
    return picture;
}

// The device is made with RR_GL_OFFSCREEN set when the parameter is true.
class PresentTest : public DeviceTest, public ::testing::WithParamInterface<bool> {
protected:
    PresentTest() {
        if (GetParam()) setenv("RR_GL_OFFSCREEN", "1", 1);
    }
    ~PresentTest() override { unsetenv("RR_GL_OFFSCREEN"); }
    void SetUp() override {
        DeviceTest::SetUp();
        if (Ready()) {
            ASSERT_EQ(gl::DrawsIntoWindow(device), !GetParam());
        }
    }
};

INSTANTIATE_TEST_SUITE_P(Targets, PresentTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Offscreen" : "IntoTheWindow";
                         });

TEST_P(PresentTest, ShowsTheBackBufferPixelForPixel) {
    // Four quarters and a one-pixel dot: a flipped, shifted or filtered copy differs.
    const int w = kWidth, h = kHeight;
    const struct {
        Rect rect;
        uint32_t argb;
    } parts[] = {{{0, 0, w / 2, h / 2}, 0xFFFF0000},
                 {{w / 2, 0, w, h / 2}, 0xFF00FF00},
                 {{0, h / 2, w / 2, h}, 0xFF0000FF},
                 {{w / 2, h / 2, w, h}, 0xFFFFFFFF},
                 {{5, 3, 6, 4}, 0xFF102030}};
    for (const auto& part : parts)
        ASSERT_EQ(device->Clear(1, &part.rect, D3DCLEAR_TARGET, part.argb, 1.0f, 0), S_OK);
    const Picture back = Capture();
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    const Picture window = WindowPixels(device, w, h);
    EXPECT_TRUE(window.PixelIs(5, 3, {0x10, 0x20, 0x30}, 0));
    EXPECT_TRUE(window.PixelIs(w - 1, 0, kGreen, 0));
    EXPECT_TRUE(window.PixelIs(0, h - 1, kBlue, 0));
    int differing = 0;
    for (size_t i = 0; i < back.rgba.size(); i += 4)
        differing += std::memcmp(&back.rgba[i], &window.rgba[i], 3) != 0 ? 1 : 0;
    EXPECT_EQ(differing, 0);
}

TEST_P(PresentTest, DrawsAfterItSeeTheStateSetBeforeIt) {
    const int w = kWidth, h = kHeight;
    const Rect leftHalf{0, 0, w / 2, h};
    const Viewport quarter{0, 0, uint32_t(w / 2), uint32_t(h / 2), 0.0f, 1.0f};
    const struct Case {
        const char* name;
        float clearDepth;
        std::function<void()> set;
    } cases[] = {
        {"scissor", 1.0f,
         [&] {
             device->SetScissorRect(&leftHalf);
             device->SetRenderState(D3DRS_SCISSORTESTENABLE, 1);
         }},
        {"viewport", 1.0f, [&] { device->SetViewport(&quarter); }},
        {"depth test", 0.25f, [&] { device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE); }},
        {"cull", 1.0f, [&] { device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW); }},
    };
    Bind(Quad(-1.0f, -1.0f, 1.0f, 1.0f));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture pictures[2];
        for (bool present : {false, true}) {
            const Viewport whole{0, 0, uint32_t(w), uint32_t(h), 0.0f, 1.0f};
            device->SetViewport(&whole);
            device->SetRenderState(D3DRS_SCISSORTESTENABLE, 0);
            device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
            device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, c.clearDepth,
                          0);
            UseFlat(kRed);
            c.set();
            if (present) {
                ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
            }
            ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), S_OK);
            pictures[present] = Capture();
        }
        EXPECT_TRUE(pictures[0].rgba == pictures[1].rgba) << pictures[1].Save("_after_present");
        // The state showed: the picture is not one plain red.
        EXPECT_TRUE(pictures[1].PixelIs(w - 2, h - 2, kBlack, 0));
    }
}

// The window is drawn into only while it has the back buffer's size: a
// stretched one (the panel's window while it grows) is drawn by a copy.
TEST_F(DeviceTest, FramesGoIntoTheWindowWhileItHasTheBackBuffersSize) {
    const struct {
        uint32_t width, height;
        bool intoWindow;
    } sizes[] = {{96, 40, false}, {uint32_t(kWidth), uint32_t(kHeight), true}, {32, 32, false}};
    EXPECT_TRUE(gl::DrawsIntoWindow(device));
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.width);
        ASSERT_EQ(device->ResizeBackBuffer(size.width, size.height), S_OK);
        EXPECT_EQ(gl::DrawsIntoWindow(device), size.intoWindow);
        Clear(0xFF0000FF);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
        EXPECT_EQ(gl::DrawsIntoWindow(device), size.intoWindow);
        // The window shows the back buffer's corner either way.
        EXPECT_TRUE(WindowPixels(device, kWidth, kHeight).PixelIs(0, 0, kBlue, 0));
    }
}

}  // namespace
}  // namespace gltest
