// Object lifetimes, live-object counting, GL error reporting and the
// services the effect and font libraries rely on.
#include <stb_image_write.h>

#include "gl_test_support.h"

#include "platform/window/sdl/native_window.h"

namespace gltest {
namespace {

using namespace gfx;

// A device made by hand, for tests that outlive it or provoke GL errors.
struct LooseDevice {
    SDL_Window* window = nullptr;
    HWND hwnd = nullptr;
    Direct3D* d3d = nullptr;
    Device* device = nullptr;

    bool Create() {
        setenv("RR_GL_DEBUG", "1", 1);
        window = MakeGlWindow(32, 32);
        if (!window) return false;
        hwnd = WrapSdlWindow(window);
        d3d = gl::CreateDirect3D();
        PresentParameters pp;
        pp.windowed = 1;
        pp.enableAutoDepthStencil = 1;
        pp.autoDepthStencilFormat = D3DFMT_D24S8;
        return Succeeded(d3d->CreateDevice(0, D3DDEVTYPE_HAL, hwnd, 0x40, &pp, &device));
    }
    ~LooseDevice() {
        SafeRelease(device);
        SafeRelease(d3d);
        if (hwnd) FreeWrappedWindow(hwnd);
        if (window) SDL_DestroyWindow(window);
    }
};

TEST_F(DeviceTest, LiveObjectsAreCountedUntilTheirLastRelease) {
    uint32_t base = device->GetLiveObjectCount();
    VertexBuffer* buffer = nullptr;
    IndexBuffer* indices = nullptr;
    device->CreateVertexBuffer(48, 0, 0, D3DPOOL_DEFAULT, &buffer, nullptr);
    device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices, nullptr);
    EXPECT_EQ(device->GetLiveObjectCount(), base + 2);
    buffer->AddRef();
    EXPECT_EQ(buffer->Release(), 1u);
    EXPECT_EQ(device->GetLiveObjectCount(), base + 2);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(indices->Release(), 0u);
    EXPECT_EQ(device->GetLiveObjectCount(), base);
    gl::AddLiveObject(device);  // an effect or font made beside the device
    EXPECT_EQ(device->GetLiveObjectCount(), base + 1);
    gl::RemoveLiveObject(device);
    EXPECT_EQ(device->GetLiveObjectCount(), base);
}

TEST_F(DeviceTest, ABoundBufferReleasedIsNoLongerDrawn) {
    VertexBuffer* buffer = MakeBuffer(Quad(-1, -1, 1, 1));
    owned.pop_back();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ClearTo(0xFF000000);
    UseFlat(kRed);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);  // pending
    buffer->Release();                                 // sends it first
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_TRUE(PixelIs(10, 10, kRed));
}

TEST(DeviceLifetime, ReleasingADeviceWithLiveObjectsIsReportedAndTheObjectsStaySafe) {
    LooseDevice loose;
    if (!loose.Create()) GTEST_SKIP() << "no OpenGL 4.5 core context";
    Device* device = loose.device;
    VertexBuffer* buffer = nullptr;
    IndexBuffer* indices = nullptr;
    VertexDeclaration* declaration = nullptr;
    Texture* texture = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(48, 0, 0, D3DPOOL_DEFAULT, &buffer, nullptr), S_OK);
    ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices, nullptr), S_OK);
    ASSERT_EQ(device->CreateVertexDeclaration(kSkinVertexElements, &declaration), S_OK);
    const std::vector<uint8_t> rgba(4 * 4 * 4, 200);
    ASSERT_TRUE(stbi_write_bmp("lifetime.bmp", 4, 4, 4, rgba.data()));
    ASSERT_EQ(device->CreateTextureFromFile("lifetime.bmp", &texture), S_OK);
    device->SetStreamSource(0, buffer, 0, 24);
    device->SetVertexDeclaration(declaration);

    uint32_t reported = gl::GetDevicesReleasedWithLiveObjects();
    testing::internal::CaptureStderr();
    EXPECT_EQ(device->Release(), 0u);
    std::string stderrText = testing::internal::GetCapturedStderr();
    loose.device = nullptr;
    EXPECT_EQ(gl::GetDevicesReleasedWithLiveObjects(), reported + 1);
    EXPECT_NE(stderrText.find("4 object"), std::string::npos) << stderrText;

    // The orphans refuse work and release without touching the dead context.
    void* data = nullptr;
    EXPECT_TRUE(Failed(buffer->Lock(0, 0, &data, 0)));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(buffer->GetLength(), 48u);
    EXPECT_EQ(texture->GetWidth(0), 4u);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(indices->Release(), 0u);
    EXPECT_EQ(declaration->Release(), 0u);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST(DeviceLifetime, AnOrderlyReleaseIsNotReported) {
    LooseDevice loose;
    if (!loose.Create()) GTEST_SKIP() << "no OpenGL 4.5 core context";
    VertexBuffer* buffer = nullptr;
    loose.device->CreateVertexBuffer(48, 0, 0, D3DPOOL_DEFAULT, &buffer, nullptr);
    buffer->Release();
    uint32_t reported = gl::GetDevicesReleasedWithLiveObjects();
    SafeRelease(loose.device);
    EXPECT_EQ(gl::GetDevicesReleasedWithLiveObjects(), reported);
}

TEST(DeviceLifetime, GlErrorsAreCountedOnADebugDevice) {
    LooseDevice loose;
    if (!loose.Create()) GTEST_SKIP() << "no OpenGL 4.5 core context";
    uint32_t total = gl::GetTotalGlErrorCount();
    gl::MakeCurrent(loose.device);
    testing::internal::CaptureStderr();
    glBindTexture(GL_TEXTURE_2D, 0x7FFFFFFF);  // a name never created: invalid on a core context
    std::string stderrText = testing::internal::GetCapturedStderr();
    EXPECT_EQ(gl::GetGlErrorCount(loose.device), 1u);
    EXPECT_EQ(gl::GetTotalGlErrorCount(), total + 1);
    EXPECT_NE(stderrText.find("GL error"), std::string::npos);
}

// State changed behind the device's back is re-applied after InvalidateState.
TEST_F(DeviceTest, InvalidatedStateIsAppliedAgainAtTheNextDraw) {
    MakeBuffer(Quad(-1, -1, 1, 1, 0.75f));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    UseFlat(kRed);
    ClearTo(0xFF000000);
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
    ClearTo(0xFF000000);
    UseFlat(kGreen);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    EXPECT_TRUE(PixelIs(10, 10, kGreen));
    EXPECT_TRUE(PixelIs(kWidth - 10, kHeight - 10, kGreen));
    glDeleteVertexArrays(1, &otherVao);
}

}  // namespace
}  // namespace gltest
