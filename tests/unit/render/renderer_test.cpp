#include <gtest/gtest.h>

#include "platform/gfx/recording/recorder.h"
#include "render/renderer.h"

namespace {

using namespace gfx;
using gfx::recording::Call;
using gfx::recording::GetRecorder;

HWND FakeWindow() {
    static int storage;
    return reinterpret_cast<HWND>(&storage);
}

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override { GetRecorder().Reset(); }
    void TearDown() override { renderer.ReleaseDevice(); }
    Renderer renderer;
};

TEST_F(RendererTest, RequestsTheDeviceAndTheHudFontInOrder) {
    ASSERT_EQ(renderer.InitDevice(recording::CreateDirect3D, FakeWindow(), 800, 600, 20), S_OK);

    const std::vector<std::string> creation = {"Direct3DCreate9", "GetDeviceCaps", "CreateDevice",
                                               "CreateFont"};
    std::vector<std::string> names = GetRecorder().Names();
    ASSERT_GE(names.size(), creation.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4), creation);

    EXPECT_EQ(GetRecorder().Named("GetDeviceCaps")[0].args, (std::vector<double>{0, 1}));
    // adapter, type, focus window given, flags, then the present parameters.
    const std::vector<double> device = {0,
                                        1,
                                        1,
                                        D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                        800,
                                        600,
                                        D3DFMT_UNKNOWN,
                                        0,
                                        0,
                                        0,
                                        D3DSWAPEFFECT_DISCARD,
                                        0,
                                        1,
                                        1,
                                        D3DFMT_D24S8,
                                        0,
                                        0,
                                        double(D3DPRESENT_INTERVAL_IMMEDIATE)};
    EXPECT_EQ(GetRecorder().Named("CreateDevice")[0].args, device);

    Call font = GetRecorder().Named("CreateFont")[0];
    EXPECT_EQ(font.args, (std::vector<double>{20, 0, 700, 1, 0, 1, 0, 0, 0}));
    EXPECT_EQ(font.text, "Arial");
    EXPECT_EQ(renderer.fontHeight, 20);
    EXPECT_EQ(renderer.viewportWidth, 800);
    EXPECT_EQ(renderer.viewportHeight, 600);
}

TEST_F(RendererTest, FallsBackToSoftwareVertexProcessingWithoutHardwareTransform) {
    GetRecorder().devCaps = 0;
    ASSERT_EQ(renderer.InitDevice(recording::CreateDirect3D, FakeWindow(), 800, 600, 20), S_OK);
    EXPECT_EQ(GetRecorder().Named("CreateDevice")[0].args[3], D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

TEST_F(RendererTest, SetsViewportThenRenderThenSamplerStatesInOrder) {
    ASSERT_EQ(renderer.InitDevice(recording::CreateDirect3D, FakeWindow(), 800, 600, 20), S_OK);
    std::vector<Call> calls = GetRecorder().calls;
    int first = GetRecorder().Find("SetViewport");
    ASSERT_GE(first, 0);
    std::vector<std::pair<std::string, std::vector<double>>> expected = {
        {"SetViewport", {0, 0, 800, 600, 0, 1}},
        {"SetRenderState", {D3DRS_SPECULARENABLE, 1}},
        {"SetRenderState", {D3DRS_CULLMODE, D3DCULL_NONE}},
        {"SetRenderState", {D3DRS_ZENABLE, D3DZB_TRUE}},
        {"SetSamplerState", {0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR}},
        {"SetSamplerState", {0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR}},
        {"SetSamplerState", {1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR}},
        {"SetSamplerState", {1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR}},
        {"SetSamplerState", {0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR}},
        {"SetSamplerState", {1, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR}},
    };
    ASSERT_EQ(calls.size(), first + expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(calls[first + i].name, expected[i].first) << i;
        EXPECT_EQ(calls[first + i].args, expected[i].second) << i;
    }
}

TEST_F(RendererTest, SceneMatricesHaveTheirStartValues) {
    ASSERT_EQ(renderer.InitDevice(recording::CreateDirect3D, FakeWindow(), 800, 600, 20), S_OK);

    const Matrix4& p = renderer.projection;
    EXPECT_NEAR(p.m[0][0], 1.8106602f, 1e-5f);
    EXPECT_NEAR(p.m[1][1], 2.4142137f, 1e-5f);
    EXPECT_NEAR(p.m[2][2], 5000.0f / 4999.0f, 1e-5f);
    EXPECT_NEAR(p.m[3][2], -5000.0f / 4999.0f, 1e-5f);
    EXPECT_EQ(p.m[2][3], 1.0f);
    EXPECT_EQ(p.m[3][3], 0.0f);

    const float view[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, -100, 200, 1}};
    const float world[4][4] = {{-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0}, {0, 0, 100, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(renderer.view.m[r][c], view[r][c], 1e-5f) << r << c;
            EXPECT_NEAR(renderer.world.m[r][c], world[r][c], 1e-5f) << r << c;
        }
    Vector3 landed = Vec3TransformCoord({1, 2, 3}, renderer.world);
    EXPECT_NEAR(landed.x, -1.0f, 1e-5f);
    EXPECT_NEAR(landed.y, 3.0f, 1e-5f);
    EXPECT_NEAR(landed.z, 102.0f, 1e-5f);
    EXPECT_EQ(renderer.camera.position, Vector3(0, 100, -200));
}

TEST_F(RendererTest, NoDirect3DObjectFailsWithNothingCreated) {
    GetRecorder().failing.insert("Direct3DCreate9");
    EXPECT_EQ(renderer.InitDevice(recording::CreateDirect3D, FakeWindow(), 800, 600, 20), E_FAIL);
    EXPECT_EQ(renderer.direct3D, nullptr);
    EXPECT_EQ(renderer.viewportWidth, 800);  // stored before anything can fail
    EXPECT_EQ(renderer.fontHeight, 20);
}

TEST_F(RendererTest, DeviceFailureKeepsTheDirect3DObjectForRelease) {
    GetRecorder().failing.insert("CreateDevice");
    EXPECT_EQ(renderer.InitDevice(recording::CreateDirect3D, FakeWindow(), 800, 600, 20), E_FAIL);
    EXPECT_NE(renderer.direct3D, nullptr);
    EXPECT_EQ(renderer.device, nullptr);
    EXPECT_EQ(GetRecorder().Find("CreateFont"), -1);
}

TEST_F(RendererTest, FontFailureSkipsSceneStateAndReleaseGoesDeviceThenDirect3D) {
    GetRecorder().failing.insert("CreateFont");
    EXPECT_EQ(renderer.InitDevice(recording::CreateDirect3D, FakeWindow(), 800, 600, 20), E_FAIL);
    EXPECT_EQ(GetRecorder().Find("SetViewport"), -1);
    uint32_t d3dId = recording::IdOf(renderer.direct3D);
    uint32_t deviceId = recording::IdOf(renderer.device);

    size_t before = GetRecorder().calls.size();
    renderer.ReleaseDevice();
    std::vector<Call> released(GetRecorder().calls.begin() + before, GetRecorder().calls.end());
    ASSERT_EQ(released.size(), 2u);
    EXPECT_EQ(released[0].object, deviceId);
    EXPECT_EQ(released[1].object, d3dId);
    EXPECT_EQ(renderer.device, nullptr);
    EXPECT_EQ(renderer.direct3D, nullptr);

    renderer.ReleaseDevice();
    EXPECT_EQ(GetRecorder().calls.size(), before + 2);
}

TEST_F(RendererTest, ReleaseDeviceDropsFontThenDeviceThenDirect3D) {
    ASSERT_EQ(renderer.InitDevice(recording::CreateDirect3D, FakeWindow(), 800, 600, 20), S_OK);
    std::vector<uint32_t> order = {recording::IdOf(renderer.font), recording::IdOf(renderer.device),
                                   recording::IdOf(renderer.direct3D)};
    GetRecorder().calls.clear();
    renderer.ReleaseDevice();
    std::vector<Call> released = GetRecorder().Named("Release");
    ASSERT_EQ(released.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(released[i].object, order[i]);
        EXPECT_EQ(released[i].args[0], 0.0) << "the last reference";
    }
    EXPECT_EQ(GetRecorder().devicesReleasedWithLiveObjects, 0);
    EXPECT_EQ(renderer.font, nullptr);
}

}  // namespace
