// Present: the window shows the back buffer pixel for pixel, and the draws
// after it see the device's state as they would without it.
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

TEST_F(DeviceTest, PresentShowsTheBackBufferPixelForPixel) {
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

TEST_F(DeviceTest, DrawsAfterPresentSeeTheStateSetBeforeIt) {
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

}  // namespace
}  // namespace gltest
