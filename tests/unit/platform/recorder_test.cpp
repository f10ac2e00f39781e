#include <gtest/gtest.h>

#include <cstring>

#include "platform/gfx/core/device_front.h"
#include "platform/gfx/recording/recorder.h"
#include "scene/effect_setup.h"
#include "support/log_capture.h"

namespace {

using namespace gfx;
using gfx::recording::GetRecorder;

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override { GetRecorder().Reset(); }
};

TEST_F(RecorderTest, LogsCallsInOrderWithStableIdsAndKeepsBufferContents) {
    Direct3D* d3d = recording::CreateDirect3D();
    ASSERT_NE(d3d, nullptr);
    PresentParameters parameters;
    parameters.backBufferWidth = 800;
    parameters.windowed = 1;
    Device* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &parameters, &device),
              S_OK);
    VertexBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(72, 0, 0, D3DPOOL_DEFAULT, &buffer, nullptr), S_OK);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), S_OK);
    std::memset(data, 0xAB, 72);
    buffer->Unlock();
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1);

    EXPECT_EQ(recording::IdOf(d3d), 1u);
    EXPECT_EQ(recording::IdOf(device), 2u);
    EXPECT_EQ(recording::IdOf(buffer), 3u);
    EXPECT_EQ(recording::ContentsOf(buffer), std::vector<uint8_t>(72, 0xAB));
    EXPECT_EQ(device->GetLiveObjectCount(), 1u);
    const std::vector<std::string> expected = {
        "Direct3DCreate9", "CreateDevice",   "CreateVertexBuffer", "Lock",
        "Unlock",          "SetRenderState", "DrawPrimitive"};
    EXPECT_EQ(GetRecorder().Names(), expected);
    EXPECT_EQ(GetRecorder().calls[5].args, (std::vector<double>{8, 2}));
    EXPECT_EQ(GetRecorder().calls[6].args, (std::vector<double>{4, 3, 1}));
    uint32_t fill = 0;
    device->GetRenderState(D3DRS_FILLMODE, &fill);
    EXPECT_EQ(fill, 2u);

    buffer->Release();
    EXPECT_EQ(device->GetLiveObjectCount(), 0u);
    device->Release();
    d3d->Release();
    EXPECT_EQ(GetRecorder().devicesReleasedWithLiveObjects, 0);
}

TEST_F(RecorderTest, ChosenCallsFailAndCreationOutputsStayNull) {
    GetRecorder().failing = {"Direct3DCreate9"};
    EXPECT_EQ(recording::CreateDirect3D(), nullptr);
    GetRecorder().failing = {"BeginScene", "Lock", "CreateEffectFromFile"};
    Device* device = recording::CreateDevice();
    EXPECT_TRUE(Failed(device->BeginScene()));
    VertexBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(24, 0, 0, D3DPOOL_DEFAULT, &buffer, nullptr), S_OK);
    void* data = reinterpret_cast<void*>(1);
    EXPECT_TRUE(Failed(buffer->Lock(0, 0, &data, 0)));
    Effect* effect = reinterpret_cast<Effect*>(1);
    Buffer* errors = nullptr;
    EXPECT_TRUE(Failed(device->CreateEffectFromFile("x.fx", 1, &effect, &errors)));
    EXPECT_EQ(effect, nullptr);
    ASSERT_NE(errors, nullptr);
    EXPECT_STREQ(static_cast<const char*>(errors->GetBufferPointer()),
                 GetRecorder().effectErrorText.c_str());
    EXPECT_EQ(errors->GetBufferSize(), GetRecorder().effectErrorText.size() + 1);  // and its zero
    errors->Release();
    // Texture creation follows the file system: a missing file fails.
    Texture* texture = reinterpret_cast<Texture*>(1);
    EXPECT_TRUE(Failed(device->CreateTextureFromFile("no\\such\\file.bmp", &texture)));
    EXPECT_EQ(texture, nullptr);
    buffer->Release();
    device->Release();
}

// Lifetimes as device.h states them: what is bound is held, not referenced;
// a device released before its objects reports them, and they refuse work.
TEST_F(RecorderTest, BoundObjectsAreHeldAndOrphansAreReportedAndRefuseWork) {
    Device* device = recording::CreateDevice();
    VertexBuffer* buffer = nullptr;
    VertexDeclaration* declaration = nullptr;
    IndexBuffer* orphan = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(72, 0, 0, D3DPOOL_DEFAULT, &buffer, nullptr), S_OK);
    ASSERT_EQ(device->CreateVertexDeclaration(kSkinVertexElements, &declaration), S_OK);
    ASSERT_EQ(device->CreateIndexBuffer(72, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &orphan, nullptr),
              S_OK);
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, buffer, 0, 24);
    buffer->AddRef();
    EXPECT_EQ(buffer->Release(), 1u);
    EXPECT_EQ(device->GetLiveObjectCount(), 3u);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(declaration->Release(), 0u);
    EXPECT_EQ(device->GetLiveObjectCount(), 1u);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), S_OK);  // still bound

    rrtest::LogCapture log;
    uint32_t reported = GetDevicesReleasedWithLiveObjects();
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(GetDevicesReleasedWithLiveObjects(), reported + 1);
    EXPECT_EQ(GetRecorder().devicesReleasedWithLiveObjects, 1);
    EXPECT_TRUE(log.Contains("device released while 1 object(s)")) << log.Text();
    void* data = nullptr;
    EXPECT_TRUE(Failed(orphan->Lock(0, 0, &data, 0)));
    EXPECT_EQ(orphan->Release(), 0u);

    // Without a depth buffer depth testing starts off.
    PresentParameters parameters;
    parameters.windowed = 1;
    Direct3D* d3d = recording::CreateDirect3D();
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &parameters, &device), S_OK);
    uint32_t zEnable = 9;
    device->GetRenderState(D3DRS_ZENABLE, &zEnable);
    EXPECT_EQ(zEnable, uint32_t(D3DZB_FALSE));
    device->Release();
    d3d->Release();
}

// Each draw is checked against the streams and declaration bound at its
// time, also after draws of the same range have passed.
TEST_F(RecorderTest, DrawsAreCheckedAgainstWhatIsBoundAtTheirTime) {
    Device* device = recording::CreateDevice();
    VertexBuffer *big = nullptr, *small = nullptr;
    VertexDeclaration *skin = nullptr, *wider = nullptr;
    const VertexElement widerElements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                           {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                           D3DDECL_END};
    ASSERT_EQ(device->CreateVertexBuffer(30 * 24, 0, 0, D3DPOOL_DEFAULT, &big, nullptr), S_OK);
    ASSERT_EQ(device->CreateVertexBuffer(3 * 24, 0, 0, D3DPOOL_DEFAULT, &small, nullptr), S_OK);
    ASSERT_EQ(device->CreateVertexDeclaration(kSkinVertexElements, &skin), S_OK);
    ASSERT_EQ(device->CreateVertexDeclaration(widerElements, &wider), S_OK);
    const struct {
        const char* what;
        VertexBuffer* buffer;  // bound to stream 0 before the draw
        uint32_t offset;
        VertexDeclaration* declaration;
        uint32_t firstVertex;  // of one triangle
        bool drawn;
    } steps[] = {
        {"a run of one-triangle draws", big, 0, skin, 21, true},
        {"continued", big, 0, skin, 24, true},
        {"continued to the last triangle", big, 0, skin, 27, true},
        {"continued past the end", big, 0, skin, 30, false},
        {"one vertex past the end", big, 0, skin, 28, false},
        {"below what was checked", big, 0, skin, 0, true},
        {"a smaller buffer", small, 0, skin, 3, false},
        {"within the smaller buffer", small, 0, skin, 0, true},
        {"an offset moves the end", big, 48, skin, 27, false},
        {"the offset taken back", big, 0, skin, 27, true},
        {"a declaration that reads past the stride", big, 0, wider, 27, false},
        {"which fits lower down", big, 0, wider, 24, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        device->SetStreamSource(0, step.buffer, step.offset, 24);
        device->SetVertexDeclaration(step.declaration);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, step.firstVertex, 1) == S_OK,
                  step.drawn);
    }
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetVertexDeclaration(nullptr);
    for (Unknown* object : std::initializer_list<Unknown*>{big, small, skin, wider})
        object->Release();
    EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
