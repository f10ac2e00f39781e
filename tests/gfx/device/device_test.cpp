// Device creation, the checks of the shared front, and clearing.
#include <SDL.h>

#include <string>
#include <utility>
#include <vector>

#include "device_fixture.h"
#include "support/device_refusals.h"
#include "support/log_capture.h"

namespace gltest {
namespace {

using namespace gfx;

// Programs for the code that drives GL beside the device: a refused stage or
// link comes back as 0 with the stage named in the log.
TEST_F(DeviceTest, BuildProgramNamesTheStageGlRefused) {
    gfx::gl::MakeCurrent(device);
    const char* vertex =
        "#version 450 core\nlayout(location = 0) in vec3 p;\nvoid main() { gl_Position = vec4(p, "
        "1.0); }\n";
    const char* fragment = "#version 450 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n";
    std::string log;
    GLuint program = gfx::gl::BuildProgram(vertex, fragment, &log);
    EXPECT_NE(program, 0u) << log;
    glDeleteProgram(program);
    EXPECT_EQ(gfx::gl::BuildProgram("#version 450 core\nnot glsl;\n", fragment, &log), 0u);
    EXPECT_EQ(log.rfind("vertex shader: ", 0), 0u) << log;
    EXPECT_EQ(gfx::gl::BuildProgram(vertex, "#version 450 core\nvoid main() { x = 1; }\n", &log),
              0u);
    EXPECT_EQ(log.rfind("fragment shader: ", 0), 0u) << log;
    // Both stages compile, but the fragment stage reads what nothing writes.
    EXPECT_EQ(gfx::gl::BuildProgram(vertex,
                                    "#version 450 core\nin vec3 missing;\nout vec4 c;\n"
                                    "void main() { c = vec4(missing, 1.0); }\n",
                                    &log),
              0u);
    EXPECT_EQ(log.rfind("link: ", 0), 0u) << log;
}

TEST_F(DeviceTest, ContextHasTheDepthStencilClipSpaceAndPresentationAskedFor) {
    Viewport viewport;
    ASSERT_EQ(device->GetViewport(&viewport), S_OK);
    EXPECT_EQ(viewport.width, uint32_t(kWidth));
    EXPECT_EQ(viewport.height, uint32_t(kHeight));
    GLint depthBits = 0, stencilBits = 0, clipDepth = 0;
    glGetNamedFramebufferAttachmentParameteriv(0, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                               &depthBits);
    glGetNamedFramebufferAttachmentParameteriv(
        0, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &stencilBits);
    glGetIntegerv(GL_CLIP_DEPTH_MODE, &clipDepth);
    EXPECT_EQ(depthBits, 24);
    EXPECT_EQ(stencilBits, 8);
    EXPECT_EQ(clipDepth, GL_ZERO_TO_ONE);
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
}

// The same table runs on the recording device (platform unit tests).
TEST_F(DeviceTest, RefusesWhatTheRecordingDeviceRefusesAndSaysWhy) {
    CheckDeviceRefusals(device);
    CheckCreateDeviceRefusals(gl.d3d.get());
}

TEST_F(DeviceTest, ClearGivesExactArgbColourAndDepthOneAndLeavesStencil) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 7), S_OK);
    Clear(0xFF0000FF);
    Picture picture = Capture();
    EXPECT_TRUE(picture.PixelIs(0, 0, kBlue, 0));
    EXPECT_TRUE(picture.PixelIs(kWidth - 1, kHeight - 1, kBlue, 0));
    float depth = 0;
    ASSERT_TRUE(gl::ReadDepth(device, 5, 5, &depth));
    EXPECT_EQ(depth, 1.0f);
    uint32_t stencil = 0;
    ASSERT_TRUE(gl::ReadStencil(device, 5, 5, &stencil));
    EXPECT_EQ(stencil, 7u);
}

TEST_F(DeviceTest, ClearCoversOnlyTheViewportOrTheGivenRectangles) {
    Clear(0xFF000000);
    Viewport half{0, 0, uint32_t(kWidth) / 2, uint32_t(kHeight) / 2, 0, 1};
    ASSERT_EQ(device->SetViewport(&half), S_OK);
    Clear(0xFFFF0000);
    Rect rect{40, 40, 50, 50};
    Viewport full{0, 0, uint32_t(kWidth), uint32_t(kHeight), 0, 1};
    device->SetViewport(&full);
    ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), S_OK);
    Picture picture = Capture();
    EXPECT_TRUE(picture.PixelIs(5, 5, kRed, 0));  // viewport origin is the top left
    EXPECT_TRUE(picture.PixelIs(5, kHeight - 5, kBlack, 0));
    EXPECT_TRUE(picture.PixelIs(kWidth - 5, 5, kBlack, 0));
    EXPECT_TRUE(picture.PixelIs(45, 45, kGreen, 0));
    EXPECT_TRUE(picture.PixelIs(35, 45, kBlack, 0));
}

// While the scissor test is on, clears and draws stay inside the scissor
// rectangle (origin top left); turned off, they reach the whole viewport.
TEST_F(DeviceTest, ScissorRectCutsClearsAndDrawsWhileItIsOn) {
    Clear(0xFF000000);
    const Rect box{10, 20, 30, 40};
    ASSERT_EQ(device->SetScissorRect(&box), S_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_SCISSORTESTENABLE, 1), S_OK);
    Clear(0xFFFF0000);
    Picture picture = Capture();
    EXPECT_TRUE(picture.PixelIs(15, 25, kRed, 0));
    EXPECT_TRUE(picture.PixelIs(5, 25, kBlack, 0));
    EXPECT_TRUE(picture.PixelIs(15, 45, kBlack, 0));
    ASSERT_EQ(device->SetRenderState(D3DRS_SCISSORTESTENABLE, 0), S_OK);
    Clear(0xFF00FF00);
    EXPECT_TRUE(Capture().PixelIs(5, 45, kGreen, 0));
}

// The viewer panel's window: the back buffer follows the client size, the
// viewport with it, and the objects made before stay usable.
TEST_F(DeviceTest, ResizedBackBufferIsDrawnAndReadAtItsNewSize) {
    for (auto [width, height] : {std::pair{96u, 40u}, std::pair{64u, 64u}}) {
        ASSERT_EQ(device->ResizeBackBuffer(width, height), S_OK);
        ASSERT_EQ(device->SetVertexDeclaration(SkinDeclaration()), S_OK);
        Clear(0xFF00FF00);
        uint32_t w = 0, h = 0;
        std::vector<uint8_t> rgba;
        ASSERT_EQ(device->GetBackBufferPixels(&w, &h, &rgba), S_OK);
        ASSERT_EQ(std::pair(w, h), std::pair(width, height));
        // Green to the last pixel.
        EXPECT_EQ(std::vector<uint8_t>(rgba.end() - 4, rgba.end()),
                  (std::vector<uint8_t>{0, 255, 0, 255}));
    }
}

// Creation needs a window made for OpenGL.
TEST(DeviceCreation, FailsWithoutAGlWindow) {
    GlWindow plain;
    if (std::string why = plain.Open(32, 32, /*opengl=*/false); !why.empty()) {
        if (GlRequired()) FAIL() << why;
        GTEST_SKIP() << why;
    }
    Ref<Direct3D> d3d = Ref<Direct3D>::Adopt(gl::CreateDirect3D({}));
    LogCapture log;
    // A window without GL: no device to be had here, which the person
    // starting the program is told; no window at all: a wrong call.
    for (HWND window : {plain.handle, static_cast<HWND>(nullptr)}) {
        PresentParameters parameters = TestPresentParameters(32, 32);
        Device* device = reinterpret_cast<Device*>(1);
        EXPECT_TRUE(
            Failed(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0x40, &parameters, &device)));
        EXPECT_EQ(device, nullptr);
        EXPECT_STREQ(d3d->GetCreationFailure(), window ? "the window was not made for OpenGL" : "");
    }
    EXPECT_TRUE(log.Contains("not made for OpenGL")) << log.Text();
    EXPECT_TRUE(log.Contains("no window")) << log.Text();
}

}  // namespace
}  // namespace gltest
