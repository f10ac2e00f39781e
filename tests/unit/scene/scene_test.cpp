// Building the scene from its description: the order start-up relies on,
// where each file is read from, how each failure ends, and a second scene
// taking the place of the first.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "model/skinned_model.h"
#include "platform/gfx/recording/recorder.h"
#include "scene/scene.h"
#include "support/dds_files.h"
#include "support/report_capture.h"
#include "support/smd_texts.h"
#include "support/temp_folder.h"

namespace {

using namespace gfx;
using gfx::recording::GetRecorder;

const std::string kReference = rrtest::SmdReference(1);
const std::string kClip = rrtest::SmdClip(1);

// The hooks called, each after how many device calls.
struct Hooks {
    std::vector<std::pair<size_t, std::string>>* calls;
    bool stop = false;
};
void EnvironmentReady(void* context) {
    static_cast<Hooks*>(context)->calls->push_back(
        {GetRecorder().calls.size(), "environmentReady"});
}
void EffectReady(void* context, const SceneBuildResult&) {
    static_cast<Hooks*>(context)->calls->push_back({GetRecorder().calls.size(), "effectReady"});
}
bool StopRequested(void* context) { return static_cast<Hooks*>(context)->stop; }

// The files in a base folder; the working folder is another, empty one.
class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        working.Enter();
        Prepare();
    }
    void TearDown() override { Finish(); }
    void Prepare() {
        GetRecorder().Reset();
        base.Write("fx/e.fx", "technique TShader {}");
        base.Write("sky/cube.dds", rrtest::StandInCubeMap());
        base.Write("m/ref.smd", kReference);
        base.Write("m/skin.bmp", rrtest::StandInTexture());
        base.Write("m/a.smd", kClip);
        device = recording::CreateDevice();
        description.baseFolder = base.Path().string();
        description.referencePath = "m\\ref.smd";
        description.clipPaths = {"m\\a.smd"};
        description.cubeMapPath = "sky/cube.dds";
        description.effectPath = "fx/e.fx";
        description.clip = 0;
    }
    void Finish() {
        scene.Release();
        EXPECT_EQ(device->GetLiveObjectCount(), 0u);
        device->Release();
    }
    bool Build(Scene* into, Hooks* hooks) {
        GetRecorder().calls.clear();
        SceneBuildHooks calls{hooks, EnvironmentReady, EffectReady, StopRequested};
        return BuildScene(description, device, reported.Sink(), calls, into, &result);
    }
    // The device calls that make objects and the hooks, in order.
    std::vector<std::string> Steps(const std::vector<std::pair<size_t, std::string>>& hooked) {
        std::vector<std::string> steps;
        size_t hook = 0;
        const std::vector<recording::Call>& calls = GetRecorder().calls;
        for (size_t i = 0; i <= calls.size(); ++i) {
            while (hook < hooked.size() && hooked[hook].first == i)
                steps.push_back(hooked[hook++].second);
            if (i < calls.size() && calls[i].name.rfind("Create", 0) == 0)
                steps.push_back(calls[i].name);
        }
        return steps;
    }

    rrtest::TempFolder base;
    rrtest::TempFolder working;
    Device* device = nullptr;
    SceneDescription description;
    Scene scene;
    SceneBuildResult result;
    rrtest::ReportCapture reported;
};

TEST_F(SceneTest, BuildsInOrderFromTheBaseFolderAndNamesFilesRelativeToIt) {
    std::vector<std::pair<size_t, std::string>> hooked;
    Hooks hooks{&hooked};
    ASSERT_TRUE(Build(&scene, &hooks));
    const std::vector<std::string> steps = {
        "CreateVertexBuffer", "CreateIndexBuffer",       "CreateCubeTextureFromFile",
        "environmentReady",   "CreateVertexDeclaration", "CreateEffectFromFile",
        "effectReady",        "CreateTextureFromFile",   "CreateVertexBuffer"};
    EXPECT_EQ(Steps(hooked), steps);
    const std::string folder = base.Path().string();
    EXPECT_EQ(GetRecorder().Named("CreateCubeTextureFromFile")[0].text, folder + "/sky/cube.dds");
    EXPECT_EQ(GetRecorder().Named("CreateEffectFromFile")[0].text, folder + "/fx/e.fx");
    EXPECT_EQ(GetRecorder().Named("CreateTextureFromFile")[0].text, folder + "/m/skin.bmp");
    EXPECT_EQ(scene.effectDisplayPath, folder + "/fx/e.fx");
    ASSERT_NE(scene.model, nullptr);
    EXPECT_STREQ(scene.model->directory, "m\\");
    EXPECT_STREQ(scene.model->meshes[0].texturePaths[0], "m\\skin.bmp");
    EXPECT_EQ(scene.model->clipCount, 1);
    EXPECT_TRUE(reported.notes.empty());
    EXPECT_EQ(std::filesystem::current_path(), working.Path());
}

TEST_F(SceneTest, EachFailureEndsTheBuildWhereItHappensAndKeepsWhatWasMadeForRelease) {
    struct Case {
        const char* name;
        std::string failing;  // a device call that fails
        std::string removed;  // a file that is not there
        int clip;
        bool stop;
        bool built;
        SceneFailure failure;
        bool environmentReady;
        std::vector<std::string> notes;
    } cases[] = {
        {"box buffer refused",
         "CreateIndexBuffer",
         "",
         0,
         false,
         false,
         SceneFailure::BoxBuffers,
         false,
         {}},
        {"no cube map", "", "sky/cube.dds", 0, false, false, SceneFailure::CubeMap, false, {}},
        {"clip not loaded",
         "",
         "m/a.smd",
         1,
         false,
         false,
         SceneFailure::ClipMissing,
         true,
         {"cannot read the model file m/a.smd: No such file or directory"}},
        {"clip 0 not loaded",
         "",
         "m/a.smd",
         0,
         false,
         true,
         SceneFailure::None,
         true,
         {"cannot read the model file m/a.smd: No such file or directory"}},
        {"stop asked: files skipped, clip not looked for",
         "",
         "",
         1,
         true,
         true,
         SceneFailure::None,
         true,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Finish();
        Prepare();
        if (!c.failing.empty()) GetRecorder().failing.insert(c.failing);
        if (!c.removed.empty()) std::filesystem::remove(base.Path() / c.removed);
        description.clip = c.clip;
        std::vector<std::pair<size_t, std::string>> hooked;
        Hooks hooks{&hooked, c.stop};
        EXPECT_EQ(Build(&scene, &hooks), c.built);
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_EQ(hooked.size(), c.environmentReady ? 2u : 0u);
        EXPECT_EQ(reported.notes, c.notes);
        EXPECT_EQ(result.stopped, c.stop);
        EXPECT_EQ(result.clipFiles, c.environmentReady ? 1 : 0);
        if (c.stop) {
            EXPECT_EQ(scene.model->meshCount, 0);
        }
        reported.Clear();
    }
}

// A reference named by an absolute path is read from its own folder: its
// fixed-size fields hold only its name, however long the folder's path.
TEST_F(SceneTest, AbsoluteReferenceIsReadFromItsOwnFolder) {
    std::string deep = std::string(90, 'a') + "/" + std::string(90, 'b');
    base.Write(deep + "/ref.smd", kReference);
    base.Write(deep + "/skin.bmp", rrtest::StandInTexture());
    description.referencePath = (base.Path() / deep / "REF.SMD").string();  // any letter case
    description.clipPaths.clear();
    Hooks hooks{nullptr};
    SceneBuildHooks none{&hooks, nullptr, nullptr, StopRequested};
    ASSERT_TRUE(BuildScene(description, device, reported.Sink(), none, &scene, &result));
    ASSERT_EQ(scene.model->meshCount, 1);
    EXPECT_STREQ(scene.model->directory, "");
    EXPECT_STREQ(scene.model->meshes[0].texturePaths[0], "skin.bmp");
    EXPECT_NE(scene.model->meshes[0].textures[0], nullptr);
    EXPECT_TRUE(reported.notes.empty());
}

// A second scene built on the same device takes the first one's place; the
// first one's objects go with the move.
TEST_F(SceneTest, ASecondSceneTakesThePlaceOfTheFirst) {
    std::vector<std::pair<size_t, std::string>> hooked;
    Hooks hooks{&hooked};
    ASSERT_TRUE(Build(&scene, &hooks));
    const uint32_t once = device->GetLiveObjectCount();
    Scene second;
    ASSERT_TRUE(Build(&second, &hooks));
    EXPECT_EQ(device->GetLiveObjectCount(), 2 * once);
    SkinnedModel* model = second.model;
    scene = std::move(second);
    EXPECT_EQ(scene.model, model);
    EXPECT_EQ(second.model, nullptr);
    EXPECT_EQ(second.effect, nullptr);
    EXPECT_EQ(device->GetLiveObjectCount(), once);
}

}  // namespace
