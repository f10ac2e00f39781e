// The devices that need no window, the null and the recording one: they pass
// the same front as the OpenGL device, so they refuse what it refuses, make
// textures of the same files with the same sizes, and say honestly what they
// cannot do.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include "platform/gfx/null/null_backend.h"
#include "platform/gfx/recording/recorder.h"
#include "support/dds_files.h"
#include "support/device_refusals.h"
#include "support/temp_folder.h"

namespace {

using namespace gfx;

class WindowlessDevice : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        recording::GetRecorder().Reset();
        const bool null = std::string(GetParam()) == "null";
        d3d = Ref<Direct3D>::Adopt(null ? null::CreateDirect3D({}) : recording::CreateDirect3D());
        PresentParameters parameters;
        parameters.windowed = 1;
        parameters.enableAutoDepthStencil = 1;
        parameters.autoDepthStencilFormat = D3DFMT_D24S8;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &parameters, device.Receive()),
                  S_OK);
    }

    Ref<Direct3D> d3d;
    Ref<Device> device;
};

// The same tables run on the OpenGL device (GL device tests).
TEST_P(WindowlessDevice, RefusesWhatTheOpenGlDeviceRefusesAndSaysWhy) {
    rrtest::CheckDeviceRefusals(device.get());
    rrtest::CheckCreateDeviceRefusals(d3d.get());
    // A device made again clears the reason the last refusal left.
    PresentParameters parameters;
    parameters.windowed = 1;
    Ref<Device> again;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &parameters, again.Receive()), S_OK);
    EXPECT_STREQ(d3d->GetCreationFailure(), "");
}

// No pixels to read back; no effect or font without makers. The outputs
// are left empty.
TEST_P(WindowlessDevice, SaysWhatItCannotDo) {
    uint32_t width = 7, height = 7;
    std::vector<uint8_t> rgba = {1, 2, 3};
    EXPECT_EQ(device->GetBackBufferPixels(&width, &height, &rgba), D3DERR_NOTAVAILABLE);
    EXPECT_TRUE(rgba.empty());
    EXPECT_EQ(width, 7u);
    if (std::string(GetParam()) == "null") {
        Effect* effect = reinterpret_cast<Effect*>(1);
        Font* font = reinterpret_cast<Font*>(1);
        EXPECT_EQ(device->CreateEffectFromFile("e.fx", 0, &effect, nullptr), E_FAIL);
        EXPECT_EQ(device->CreateFont(20, 0, 700, 1, 0, 0, 0, 0, 0, "Arial", &font), E_FAIL);
        EXPECT_EQ(effect, nullptr);
        EXPECT_EQ(font, nullptr);
    } else {
        EXPECT_EQ(recording::GetRecorder().Named("GetBackBufferPixels").size(), 1u);
    }
}

// Sizes come from the file, as on the OpenGL device: a DDS file's own mip
// levels, a picture's full chain.
TEST_P(WindowlessDevice, TexturesHaveTheSizesOfTheirFiles) {
    rrtest::TempFolder folder;
    folder.Write("dds.dds",
                 rrtest::SolidDds(rrtest::DdsFormat::DXT1, 16, 8, 2, {{{9, 9, 9, 255}}}));
    const std::vector<uint8_t> pixels(5 * 3 * 4, 200);
    ASSERT_TRUE(stbi_write_bmp(folder.File("picture.bmp").c_str(), 5, 3, 4, pixels.data()));
    struct Case {
        const char* name;
        uint32_t levels, width1, height1;  // level count, size of level 1
    } cases[] = {{"dds.dds", 2, 8, 4}, {"picture.bmp", 3, 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ref<Texture> texture;
        ASSERT_EQ(device->CreateTextureFromFile(folder.File(c.name).c_str(), texture.Receive()),
                  S_OK);
        EXPECT_EQ(texture->GetLevelCount(), c.levels);
        EXPECT_EQ(texture->GetWidth(1), c.width1);
        EXPECT_EQ(texture->GetHeight(1), c.height1);
        EXPECT_EQ(texture->GetWidth(c.levels), 0u);
        LockedRect locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // a file's
    }
    Ref<CubeTexture> cube;
    ASSERT_EQ(device->CreateCubeTextureFromFile(
                  folder.Write("sky.dds", rrtest::StandInCubeMap()).c_str(), cube.Receive()),
              S_OK);
    EXPECT_EQ(cube->GetType(), ResourceType::CubeTexture);
    EXPECT_EQ(cube->GetEdgeLength(0), 1u);
}

INSTANTIATE_TEST_SUITE_P(Backends, WindowlessDevice, ::testing::Values("null", "recording"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
