// Device creation, clearing and presentation.
#include "gl_test_support.h"

#include <string>

#include "platform/gfx/gl/gl_services.h"

#include "platform/window/sdl/native_window.h"

namespace gltest {
namespace {

using namespace gfx;

// Programs for the code that drives GL beside the device: a refused stage or
// link comes back as 0 with the stage named in the log.
TEST_F(DeviceTest, BuildProgramNamesTheStageGlRefused) {
    gfx::gl::MakeCurrent(device);
    const char* vertex =
        "#version 450 core\nlayout(location = 0) in vec3 p;\nvoid main() { gl_Position = vec4(p, 1.0); }\n";
    const char* fragment = "#version 450 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n";
    std::string log;
    GLuint program = gfx::gl::BuildProgram(vertex, fragment, &log);
    EXPECT_NE(program, 0u) << log;
    glDeleteProgram(program);
    EXPECT_EQ(gfx::gl::BuildProgram("#version 450 core\nnot glsl;\n", fragment, &log), 0u);
    EXPECT_EQ(log.rfind("vertex shader: ", 0), 0u) << log;
    EXPECT_EQ(gfx::gl::BuildProgram(vertex, "#version 450 core\nvoid main() { x = 1; }\n", &log), 0u);
    EXPECT_EQ(log.rfind("fragment shader: ", 0), 0u) << log;
    // Both stages compile, but the fragment stage reads what nothing writes.
    EXPECT_EQ(gfx::gl::BuildProgram(vertex,
                                    "#version 450 core\nin vec3 missing;\nout vec4 c;\n"
                                    "void main() { c = vec4(missing, 1.0); }\n",
                                    &log),
              0u);
    EXPECT_EQ(log.rfind("link: ", 0), 0u) << log;
}

TEST_F(DeviceTest, CreationFillsPresentParametersAndReportsHardwareVertexProcessing) {
    Caps caps;
    ASSERT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), S_OK);
    EXPECT_TRUE(caps.devCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);

    Viewport viewport;
    ASSERT_EQ(device->GetViewport(&viewport), S_OK);
    EXPECT_EQ(viewport.width, uint32_t(kWidth));
    EXPECT_EQ(viewport.height, uint32_t(kHeight));

    GLint depthBits = 0, stencilBits = 0;
    glGetNamedFramebufferAttachmentParameteriv(0, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depthBits);
    glGetNamedFramebufferAttachmentParameteriv(0, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &stencilBits);
    EXPECT_EQ(depthBits, 24);
    EXPECT_EQ(stencilBits, 8);
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
    GLint clipDepth = 0;
    glGetIntegerv(GL_CLIP_DEPTH_MODE, &clipDepth);
    EXPECT_EQ(clipDepth, GL_ZERO_TO_ONE);
}

TEST_F(DeviceTest, ClearGivesExactArgbColourAndDepthOneAndLeavesStencil) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 7), S_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0), S_OK);
    EXPECT_TRUE(PixelIs(0, 0, kBlue, 0));
    EXPECT_TRUE(PixelIs(kWidth / 2, kHeight / 2, kBlue, 0));
    EXPECT_TRUE(PixelIs(kWidth - 1, kHeight - 1, kBlue, 0));
    float depth = 0;
    ASSERT_TRUE(gl::ReadDepth(device, 5, 5, &depth));
    EXPECT_EQ(depth, 1.0f);
    uint32_t stencil = 0;
    ASSERT_TRUE(gl::ReadStencil(device, 5, 5, &stencil));
    EXPECT_EQ(stencil, 7u);
}

TEST_F(DeviceTest, ClearCoversOnlyTheViewportOrTheGivenRectangles) {
    ClearTo(0xFF000000);
    Viewport half{0, 0, kWidth / 2, kHeight / 2, 0, 1};
    ASSERT_EQ(device->SetViewport(&half), S_OK);
    ClearTo(0xFFFF0000);
    Rect rect{40, 40, 50, 50};
    Viewport full{0, 0, kWidth, kHeight, 0, 1};
    device->SetViewport(&full);
    ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), S_OK);
    EXPECT_TRUE(PixelIs(5, 5, kRed, 0));  // viewport origin is the top left
    EXPECT_TRUE(PixelIs(5, kHeight - 5, kBlack, 0));
    EXPECT_TRUE(PixelIs(kWidth - 5, 5, kBlack, 0));
    EXPECT_TRUE(PixelIs(45, 45, kGreen, 0));
    EXPECT_TRUE(PixelIs(35, 45, kBlack, 0));
}

TEST_F(DeviceTest, ScenesPairAndPresentSucceeds) {
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->BeginScene(), S_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    ClearTo(0xFF0000FF);
    EXPECT_EQ(device->EndScene(), S_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    // Next frame works the same.
    ASSERT_EQ(device->BeginScene(), S_OK);
    ClearTo(0xFFFF0000);
    EXPECT_TRUE(PixelIs(3, 3, kRed, 0));
    EXPECT_EQ(device->EndScene(), S_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
}

TEST_F(DeviceTest, LightingStatesAreAcceptedAndKept) {
    EXPECT_EQ(device->SetRenderState(D3DRS_LIGHTING, 0), S_OK);
    EXPECT_EQ(device->SetRenderState(D3DRS_SPECULARENABLE, 1), S_OK);
    EXPECT_EQ(device->LightEnable(0, 0), S_OK);
    uint32_t value = 9;
    device->GetRenderState(D3DRS_LIGHTING, &value);
    EXPECT_EQ(value, 0u);
    device->GetRenderState(D3DRS_SPECULARENABLE, &value);
    EXPECT_EQ(value, 1u);
    // Unknown states and values are refused, not ignored.
    EXPECT_EQ(device->SetRenderState(RenderState(999), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_CULLMODE, 4), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_FILLMODE, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetSamplerState(0, D3DSAMP_MAGFILTER, 99), D3DERR_INVALIDCALL);
}

// Creation without a usable GL window fails cleanly.
TEST(DeviceCreation, FailsWithoutAGlWindow) {
    SDL_Window* plain = MakeGlWindow(32, 32, /*opengl=*/false);
    if (!plain) GTEST_SKIP() << "no X display with SDL video";
    HWND hwnd = WrapSdlWindow(plain);
    Direct3D* d3d = gl::CreateDirect3D();
    PresentParameters pp;
    pp.windowed = 1;
    pp.enableAutoDepthStencil = 1;
    pp.autoDepthStencilFormat = D3DFMT_D24S8;
    Device* device = reinterpret_cast<Device*>(1);
    EXPECT_TRUE(Failed(d3d->CreateDevice(0, D3DDEVTYPE_HAL, hwnd, 0x40, &pp, &device)));
    EXPECT_EQ(device, nullptr);
    device = reinterpret_cast<Device*>(1);
    EXPECT_TRUE(Failed(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x40, &pp, &device)));
    EXPECT_EQ(device, nullptr);
    d3d->Release();
    FreeWrappedWindow(hwnd);
    SDL_DestroyWindow(plain);
}

}  // namespace
}  // namespace gltest
