// The devices the program is composed of (platform/gfx/devices). The null
// one runs the program's effect and the HUD's font through the services
// that draw nothing: every processor step of a frame, no GL call (there is
// no context here to take one).
#include <gtest/gtest.h>

#include <string>

#include "platform/gfx/devices/devices.h"

namespace {

using namespace gfx;

TEST(Devices, AreMadeForTheirSdkVersionOnly) {
    for (Direct3DFactory create : {&devices::CreateOpenGl, &devices::CreateNull})
        EXPECT_EQ(create(D3D_SDK_VERSION + 1), nullptr);
}

TEST(Devices, TheNullDeviceRunsTheProgramsEffectAndFontFrameAfterFrame) {
    Ref<Direct3D> d3d = Ref<Direct3D>::Adopt(devices::CreateNull(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d);
    PresentParameters parameters;
    parameters.windowed = 1;
    Ref<Device> device;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &parameters, device.Receive()),
              S_OK);
    const std::string path = std::string(RR_SOURCE_DIR) + "/data/Shaders/ReflectionOrRefraction.fx";
    Ref<Effect> effect;
    Ref<Buffer> errors;
    ASSERT_EQ(D3DXCreateEffectFromFileA(device.get(), path.c_str(), nullptr, nullptr, 0, nullptr,
                                        effect.Receive(), errors.Receive()),
              S_OK);
    Ref<Font> font;
    ASSERT_EQ(D3DXCreateFontA(device.get(), 20, 0, FW_BOLD, 1, 0, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, "Arial", font.Receive()),
              S_OK);
    ASSERT_NE(effect->GetTechniqueByName("TShader"), nullptr);
    const Matrix4 identity = MatrixIdentity();
    for (int frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE(frame);
        ASSERT_EQ(device->BeginScene(), S_OK);
        uint32_t passes = 0;
        ASSERT_EQ(effect->Begin(&passes, 0), S_OK);
        EXPECT_EQ(passes, 2u);
        for (uint32_t pass = 0; pass < passes; ++pass) {
            EXPECT_EQ(effect->BeginPass(pass), S_OK);
            EXPECT_EQ(effect->SetMatrix("matViewProjection", &identity), S_OK);
            EXPECT_EQ(effect->EndPass(), S_OK);
        }
        EXPECT_EQ(effect->End(), S_OK);
        Rect rect{1, 10, 400, 30};
        EXPECT_EQ(font->DrawTextA(nullptr, "FPS: 60.000000", -1, &rect, 0, 0xFF00FFFF), 20);
        ASSERT_EQ(device->EndScene(), S_OK);
        EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    }
    effect = nullptr;
    font = nullptr;
    EXPECT_EQ(device->GetLiveObjectCount(), 0u);
}

}  // namespace
