// Changing a running scene: each change puts its part in place only when its
// file loaded, keeps the description in step, and leaves no device object
// behind, however often it runs.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "model/skinned_model.h"
#include "platform/gfx/recording/recorder.h"
#include "scene/scene.h"
#include "scene/scene_changes.h"
#include "support/dds_files.h"
#include "support/report_capture.h"
#include "support/temp_folder.h"

namespace {

using namespace gfx;
using gfx::recording::GetRecorder;

// One triangle per line of extra; bone 0 only.
std::string Reference(int triangles) {
    std::string text = "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\ntriangles\n";
    for (int t = 0; t < triangles; ++t)
        text += "skin.bmp\n0 0 0 0 0 0 1 0 0\n0 1 0 0 0 0 1 0 0\n0 0 1 0 0 0 1 0 0\n";
    return text + "end\n";
}
std::string Clip(int frames) {
    std::string text = "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\n";
    for (int f = 0; f < frames; ++f) text += "time " + std::to_string(f) + "\n0 0 0 0 0 0 0\n";
    return text + "end\n";
}
const std::string kBroken = "version 1\nnodes\n0 \"root\" -1\n";  // no end

// A 1 x 1 24-bit BMP.
std::vector<uint8_t> Bmp() {
    std::vector<uint8_t> b = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0,
                              1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0};
    b.resize(54, 0);
    b.insert(b.end(), {10, 20, 30, 0});
    return b;
}

class SceneChangesTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetRecorder().Reset();
        base.Write("m/ref.smd", Reference(1));
        base.Write("m/skin.bmp", Bmp());
        base.Write("m/a.smd", Clip(2));
        base.Write("m/b.smd", Clip(3));
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

public:
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

TEST_F(SceneChangesTest, EachChangeTakesPlaceOnlyWhenItsFileLoaded) {
    struct Case {
        const char* name;
        std::function<bool(SceneChangesTest&, std::vector<SceneFileFailure>*)> change;
        bool changed;
        std::vector<SceneFile> failed;
        std::vector<std::string> clipPaths;  // the description's afterwards
        int clipCount;
        std::vector<int> clipFrames;
    } cases[] = {
        {"a new model with a clip that fails in the middle",
         [](auto& t, auto* f) {
             return ReplaceModel(t.scene, t.device, "m/ref.smd", {"m/b.smd", "m/bad.smd", "m/a.smd"},
                                 t.reported.Sink(), f);
         },
         true, {SceneFile::Clip}, {"m/b.smd", "m/bad.smd", "m/a.smd"}, 3, {3, 0, 2}},
        {"a new model whose reference fails: its clips are not read",
         [](auto& t, auto* f) {
             return ReplaceModel(t.scene, t.device, "m/bad.smd", {"m/b.smd"}, t.reported.Sink(), f);
         },
         false, {SceneFile::Reference}, {"m/a.smd", "m/b.smd"}, 2, {2, 3}},
        {"the reference again", [](auto& t, auto* f) { return ReloadReference(t.scene, t.device, t.reported.Sink(), f); },
         true, {}, {"m/a.smd", "m/b.smd"}, 2, {2, 3}},
        {"a clip added", [](auto& t, auto* f) { return AddClip(t.scene, "m/b.smd", t.reported.Sink(), f); },
         true, {}, {"m/a.smd", "m/b.smd", "m/b.smd"}, 3, {2, 3, 3}},
        {"a clip that fails is not added",
         [](auto& t, auto* f) { return AddClip(t.scene, "m/bad.smd", t.reported.Sink(), f); },
         false, {SceneFile::Clip}, {"m/a.smd", "m/b.smd"}, 2, {2, 3}},
        {"a clip again", [](auto& t, auto* f) { return ReloadClip(t.scene, 1, t.reported.Sink(), f); },
         true, {}, {"m/a.smd", "m/b.smd"}, 2, {2, 3}},
        {"the cube map from another file",
         [](auto& t, auto* f) { return ReplaceCubeMap(t.scene, t.device, "sky/cube.dds", f); },
         true, {}, {"m/a.smd", "m/b.smd"}, 2, {2, 3}},
        {"a cube map that is not there",
         [](auto& t, auto* f) { return ReplaceCubeMap(t.scene, t.device, "sky/none.dds", f); },
         false, {SceneFile::CubeMap}, {"m/a.smd", "m/b.smd"}, 2, {2, 3}},
        {"the effect again",
         [](auto& t, auto* f) { return ReplaceEffect(t.scene, t.device, "fx/e.fx", f); },
         true, {}, {"m/a.smd", "m/b.smd"}, 2, {2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        scene = Scene();
        SetUp();
        const SkinnedModel* model = scene.model;
        const CubeTexture* cube = scene.box.environmentMap;
        const Effect* effect = scene.effect;
        std::vector<SceneFileFailure> failures;
        EXPECT_EQ(c.change(*this, &failures), c.changed);
        std::vector<SceneFile> failed;
        for (const SceneFileFailure& failure : failures) {
            failed.push_back(failure.file);
            EXPECT_NE(failure.path.find(base.Path().string()), std::string::npos) << failure.path;
        }
        EXPECT_EQ(failed, c.failed);
        ASSERT_NE(scene.model, nullptr);
        EXPECT_EQ(scene.description.clipPaths, c.clipPaths);
        ASSERT_EQ(scene.model->clipCount, c.clipCount);
        for (int i = 0; i < c.clipCount; ++i) EXPECT_EQ(scene.model->clips[i].frameCount, c.clipFrames[size_t(i)]) << i;
        EXPECT_EQ(scene.model->meshCount, 1);
        if (!c.changed) {
            // Nothing was swapped: the running parts are the same objects.
            EXPECT_EQ(scene.model, model);
            EXPECT_EQ(scene.box.environmentMap, cube);
            EXPECT_EQ(scene.effect, effect);
        }
    }
}

TEST_F(SceneChangesTest, SavedFilesLoadAgainIntoTheirPlace) {
    // A clip that has played a while, and its model.
    AnimationClip& playing = scene.model->clips[1];
    playing.currentFrame = 1;
    playing.blend = 0.5f;
    Bone** frames = playing.frames;
    std::vector<SceneFileFailure> failures;

    base.Write("m/ref.smd", Reference(4));
    ASSERT_TRUE(ReloadReference(scene, device, reported.Sink(), &failures));
    EXPECT_EQ(scene.model->meshes[0].triangleCount, 4);
    EXPECT_EQ(scene.model->clips[1].frames, frames);  // moved over, not read again
    EXPECT_EQ(scene.model->clips[1].currentFrame, 1);
    EXPECT_EQ(scene.model->clips[1].blend, 0.5f);

    base.Write("m/b.smd", Clip(5));
    ASSERT_TRUE(ReloadClip(scene, 1, reported.Sink(), &failures));
    EXPECT_EQ(scene.model->clips[1].frameCount, 5);
    EXPECT_EQ(scene.model->clips[1].currentFrame, 0);  // from the start

    base.Write("m/b.smd", kBroken);
    EXPECT_FALSE(ReloadClip(scene, 1, reported.Sink(), &failures));
    EXPECT_EQ(scene.model->clips[1].frameCount, 5);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].file, SceneFile::Clip);
    EXPECT_EQ(failures[0].clip, 1);
    EXPECT_EQ(failures[0].reason.rfind("line ", 0), 0u) << failures[0].reason;
    EXPECT_FALSE(ReloadClip(scene, 7, reported.Sink(), &failures));  // no such slot

    GetRecorder().failing.insert("CreateEffectFromFile");
    std::string text;
    EXPECT_FALSE(ReplaceEffect(scene, device, "fx/e.fx", &failures, &text));
    EXPECT_NE(scene.effect, nullptr);
    EXPECT_EQ(failures.back().reason, "effect.fx(1,1): error X0000: forced failure");
    EXPECT_EQ(text, GetRecorder().effectErrorText);
}

// Every kind of change, good and failed, 200 times over: the device holds as
// many objects afterwards as after the first round.
TEST_F(SceneChangesTest, TwoHundredReloadsLeaveNoDeviceObjectBehind) {
    auto round = [&](int i) {
        std::vector<SceneFileFailure> failures;
        ReplaceModel(scene, device, "m/ref.smd", {"m/a.smd", "m/b.smd"}, reported.Sink(), &failures);
        ReplaceModel(scene, device, "m/bad.smd", {"m/a.smd"}, reported.Sink(), &failures);
        ReloadReference(scene, device, reported.Sink(), &failures);
        ReloadClip(scene, i % 2, reported.Sink(), &failures);
        AddClip(scene, "m/bad.smd", reported.Sink(), &failures);
        ReplaceCubeMap(scene, device, i % 2 ? "sky/cube.dds" : "sky/none.dds", &failures);
        GetRecorder().failing = i % 3 ? std::set<std::string>{} : std::set<std::string>{"CreateEffectFromFile"};
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
