// Changing a running scene leaves no device object behind, however often it
// runs, whether its files load or not. (What each change does is tested
// through the program: tests/unit/app/live_scene_test.cpp.)
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "model/skinned_model.h"
#include "platform/gfx/recording/recorder.h"
#include "scene/scene.h"
#include "scene/scene_changes.h"
#include "support/dds_files.h"
#include "support/report_capture.h"
#include "support/smd_texts.h"
#include "support/temp_folder.h"

namespace {

using namespace gfx;
using gfx::recording::GetRecorder;

using rrtest::SmdClip;
using rrtest::SmdReference;
const std::string kBroken = "version 1\nnodes\n0 \"root\" -1\n";  // no end

// A 1 x 1 24-bit BMP.
std::vector<uint8_t> Bmp() {
    std::vector<uint8_t> b = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0,  54, 0, 0, 0, 40, 0, 0, 0, 1,
                              0,   0,   0,  1, 0, 0, 0, 1, 0, 24, 0,  0, 0, 0, 0,  4, 0, 0, 0};
    b.resize(54, 0);
    b.insert(b.end(), {10, 20, 30, 0});
    return b;
}

class SceneChangesTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetRecorder().Reset();
        base.Write("m/ref.smd", SmdReference(1));
        base.Write("m/skin.bmp", Bmp());
        base.Write("m/a.smd", SmdClip(2));
        base.Write("m/b.smd", SmdClip(3));
        base.Write("m/bad.smd", kBroken);
        const std::vector<std::vector<rrtest::Rgba>> faces(6, {{10, 20, 30, 255}});
        base.Write("sky/cube.dds", rrtest::SolidDds(rrtest::DdsFormat::A8R8G8B8, 4, 4, 1, faces));
        base.Write("fx/e.fx", "technique TShader {}");
        device = recording::CreateDevice();
        SceneDescription description;
        description.baseFolder = base.Path().string();
        description.referencePath = "m/ref.smd";
        description.clipPaths = {"m/a.smd", "m/b.smd"};
        description.cubeMapPath = "sky/cube.dds";
        description.effectPath = "fx/e.fx";
        description.effectFailureBox = false;
        SceneBuildResult result;
        ASSERT_TRUE(BuildScene(description, device, reported.Sink(), {}, &scene, &result));
        ASSERT_TRUE(result.failures.empty());
        reported.Clear();
    }
    void TearDown() override {
        scene.Release();
        EXPECT_EQ(device->GetLiveObjectCount(), 0u);
        device->Release();
    }

    rrtest::TempFolder base;
    Device* device = nullptr;
    Scene scene;
    rrtest::ReportCapture reported;
};

// Every kind of change, good and failed, 200 times over: the device holds as
// many objects afterwards as after the first round.
TEST_F(SceneChangesTest, TwoHundredReloadsLeaveNoDeviceObjectBehind) {
    auto round = [&](int i) {
        std::vector<SceneFileFailure> failures;
        ReplaceModel(scene, device, "m/ref.smd", {"m/a.smd", "m/b.smd"}, reported.Sink(),
                     &failures);
        ReplaceModel(scene, device, "m/bad.smd", {"m/a.smd"}, reported.Sink(), &failures);
        ReloadReference(scene, device, reported.Sink(), &failures);
        ReloadClip(scene, i % 2, reported.Sink(), &failures);
        AddClip(scene, "m/bad.smd", reported.Sink(), &failures);
        ReplaceCubeMap(scene, device, i % 2 ? "sky/cube.dds" : "sky/none.dds", &failures);
        GetRecorder().failing =
            i % 3 ? std::set<std::string>{} : std::set<std::string>{"CreateEffectFromFile"};
        ReplaceEffect(scene, device, "fx/e.fx", &failures);
        GetRecorder().failing.clear();
        // The whole scene built anew beside the old one, then moved into place.
        Scene fresh;
        SceneBuildResult result;
        BuildScene(scene.description, device, reported.Sink(), {}, &fresh, &result);
        scene = std::move(fresh);
        GetRecorder().calls.clear();
        reported.Clear();
    };
    round(0);
    const uint32_t settled = device->GetLiveObjectCount();
    EXPECT_GT(settled, 5u);
    for (int i = 1; i <= 200; ++i) round(i);
    EXPECT_EQ(device->GetLiveObjectCount(), settled);
}

}  // namespace
