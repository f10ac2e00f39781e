// Object lifetimes (device.h), live-object counting, GL error reporting and
// the services the effect and font libraries rely on.
#include <stb_image_write.h>

#include <cstring>

#include "device_fixture.h"
#include "platform/gfx/core/device_front.h"
#include "scene/effect_setup.h"
#include "support/log_capture.h"

namespace gltest {
namespace {

using namespace gfx;

// The device holds what is bound: the owner's release counts the buffer as
// released, and the device keeps drawing from it until it is unbound.
TEST_F(DeviceTest, ABoundBufferReleasedByItsOwnerIsDrawnUntilUnbound) {
    VertexBuffer* buffer = nullptr;
    ASSERT_EQ(
        device->CreateVertexBuffer(6 * sizeof(SkinVertex), 0, 0, D3DPOOL_DEFAULT, &buffer, nullptr),
        S_OK);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), S_OK);
    std::vector<SkinVertex> quad = Quad(-1, -1, 1, 1);
    std::memcpy(data, quad.data(), quad.size() * sizeof(SkinVertex));
    buffer->Unlock();
    BindVertices(buffer);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(device->GetLiveObjectCount(), 1u);  // the declaration
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Clear(0xFF000000);
    UseFlat(kRed);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), S_OK);
    EXPECT_TRUE(Capture().PixelIs(10, 10, kRed));
    device->SetStreamSource(0, nullptr, 0, 0);
    LogCapture log;
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
}

// A device released before its objects reports them; they refuse work and
// still release their GL objects cleanly, on a context that lives until the
// last of them is gone.
TEST(DeviceLifetime, ObjectsOutlivingTheirDeviceAreReportedAndReleaseCleanly) {
    TempFolder folder;
    GlHarness gl;
    if (std::string why = gl.Open(32, 32); !why.empty()) {
        if (GlRequired()) FAIL() << why;
        GTEST_SKIP() << why;
    }
    Device* device = gl.device.get();
    VertexBuffer* buffer = nullptr;
    VertexDeclaration* declaration = nullptr;
    Texture* texture = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(48, 0, 0, D3DPOOL_DEFAULT, &buffer, nullptr), S_OK);
    ASSERT_EQ(device->CreateVertexDeclaration(kSkinVertexElements, &declaration), S_OK);
    const std::vector<uint8_t> rgba(4 * 4 * 4, 200);
    std::string bmp = folder.File("lifetime.bmp");
    ASSERT_TRUE(stbi_write_bmp(bmp.c_str(), 4, 4, 4, rgba.data()));
    ASSERT_EQ(device->CreateTextureFromFile(bmp.c_str(), &texture), S_OK);
    device->SetStreamSource(0, buffer, 0, 24);
    device->SetVertexDeclaration(declaration);

    uint32_t reported = GetDevicesReleasedWithLiveObjects();
    uint32_t glErrors = gl::GetTotalGlErrorCount();
    LogCapture log;
    gl.device = nullptr;
    EXPECT_EQ(GetDevicesReleasedWithLiveObjects(), reported + 1);
    EXPECT_TRUE(log.Contains("device released while 3 object(s) created on it are alive"))
        << log.Text();
    void* data = nullptr;
    EXPECT_TRUE(Failed(buffer->Lock(0, 0, &data, 0)));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(buffer->GetLength(), 48u);
    EXPECT_EQ(texture->GetWidth(0), 4u);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(declaration->Release(), 0u);
    EXPECT_EQ(texture->Release(), 0u);  // the last: the context goes with it
    EXPECT_EQ(gl::GetTotalGlErrorCount(), glErrors) << log.Text();
}

TEST(DeviceLifetime, GlErrorsAreCountedOnADebugDeviceAndLogged) {
    GlHarness gl;
    if (std::string why = gl.Open(32, 32); !why.empty()) {
        if (GlRequired()) FAIL() << why;
        GTEST_SKIP() << why;
    }
    uint32_t total = gl::GetTotalGlErrorCount();
    gl::MakeCurrent(gl.device.get());
    LogCapture log;
    glBindTexture(GL_TEXTURE_2D, 0x7FFFFFFF);  // a name never created: invalid on a core context
    EXPECT_EQ(gl::GetGlErrorCount(gl.device.get()), 1u);
    EXPECT_EQ(gl::GetTotalGlErrorCount(), total + 1);
    EXPECT_TRUE(log.Contains("GL error")) << log.Text();
}

// State changed behind the device's back is re-applied after InvalidateState.
TEST_F(DeviceTest, InvalidatedStateIsAppliedAgainAtTheNextDraw) {
    Bind(Quad(-1, -1, 1, 1, 0.75f));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    UseFlat(kRed);
    Clear(0xFF000000);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    gl::FlushPendingDraws(device);
    // What a font or effect might leave behind.
    GLuint otherVao = 0;
    glCreateVertexArrays(1, &otherVao);
    glBindVertexArray(otherVao);
    glViewport(0, 0, 1, 1);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    glDepthFunc(GL_NEVER);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    gl::InvalidateState(device);
    Clear(0xFF000000);
    UseFlat(kGreen);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    Picture picture = Capture();
    EXPECT_TRUE(picture.PixelIs(10, 10, kGreen));
    EXPECT_TRUE(picture.PixelIs(kWidth - 10, kHeight - 10, kGreen));
    glDeleteVertexArrays(1, &otherVao);
}

}  // namespace
}  // namespace gltest
