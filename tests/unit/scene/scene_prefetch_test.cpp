// Files read ahead (scene_prefetch.h): a scene built from them is the scene
// built by reading its files, every failure reported the same way, and what
// was prepared is really what is used.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>

#include "model/skinned_model.h"
#include "platform/gfx/recording/recorder.h"
#include "scene/scene_prefetch.h"
#include "support/dds_files.h"
#include "support/log_capture.h"
#include "support/report_capture.h"
#include "support/smd_texts.h"
#include "support/temp_folder.h"

namespace {

using namespace gfx;

const std::string kReference = rrtest::SmdReference(1);
const std::string kClip = rrtest::SmdClip(2);

std::string Bytes(const void* data, size_t size) {
    return std::to_string(
        std::hash<std::string_view>{}(std::string_view(static_cast<const char*>(data), size)));
}

class ScenePrefetchTest : public ::testing::Test {
protected:
    void SetUp() override {
        base.Write("e.fx", "technique TShader {}");
        base.Write("sky/cube.dds", rrtest::StandInCubeMap());
        base.Write("m/ref.smd", kReference);
        base.Write("m/skin.bmp", rrtest::StandInTexture());
        base.Write("m/a.smd", kClip);
        base.Write("m/b.smd", kClip);
        description.baseFolder = base.Path().string();
        description.referencePath = "m/ref.smd";
        description.clipPaths = {"m/a.smd", "m/b.smd"};
        description.cubeMapPath = "sky/cube.dds";
        description.effectPath = "e.fx";
    }

    // What a build gave: its result, every report and device log line, the
    // model's triangles and keyframes and the cube map, as text to compare.
    std::string Build(PreparedSceneFiles* prepared) {
        Device* device = recording::CreateDevice();
        rrtest::ReportCapture reported;
        rrtest::LogCapture logged;
        Scene scene;
        SceneBuildResult result;
        bool built =
            BuildScene(description, device, reported.Sink(), {}, &scene, &result, prepared);
        std::string text = std::to_string(built) + std::to_string(int(result.failure)) + "\n";
        for (const SceneFileFailure& f : result.failures) text += f.path + ": " + f.reason + "\n";
        for (const std::string& note : reported.notes) text += note + "\n";
        for (const auto& box : reported.boxes) text += box.text + "\n";
        for (const std::string& line : logged.Lines()) text += line + "\n";
        if (CubeTexture* cube = scene.box.environmentMap)
            text += "cube " + std::to_string(cube->GetEdgeLength(0)) + "\n";
        for (int m = 0; scene.model && m < scene.model->meshCount; ++m) {
            const ModelMesh& mesh = scene.model->meshes[m];
            text += Bytes(mesh.triangles, sizeof(MeshTriangle) * size_t(mesh.triangleCount));
        }
        for (int c = 0; scene.model && c < scene.model->clipCount; ++c) {
            const AnimationClip& clip = scene.model->clips[c];
            for (int f = 0; f < clip.frameCount; ++f)
                text += " " + Bytes(&clip.frames[f][0].localMatrix, sizeof(Matrix4));
            text += "|";
        }
        scene.Release();
        EXPECT_EQ(device->GetLiveObjectCount(), 0u);
        device->Release();
        return text;
    }

    rrtest::TempFolder base;
    SceneDescription description;
};

// Each file the worker could not read or parse is left to its loader, and
// a file it parsed still meets the loader's own checks (the path's length).
TEST_F(ScenePrefetchTest, BuildsTheSameSceneAndReportsTheSameFailuresAsReadingTheFiles) {
    const std::string deep = std::string(70, 'd') + "/" + std::string(70, 'e') + "/ref.smd";
    struct Case {
        const char* name;
        std::string file;     // written over
        std::string content;  // empty: the file is removed
        bool cubeRead, referenceParsed, clip0Parsed;
    } cases[] = {
        {"every file good", "", "", true, true, true},
        {"a cube map that is a 2D texture", "sky/cube.dds", "2D", false, true, true},
        {"a malformed reference", "m/ref.smd", kReference.substr(0, 110) + "\nend\n", true, false,
         true},
        {"a missing clip", "m/a.smd", "", true, true, false},
        {"a reference path over 127 characters", deep, kReference, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.file == deep) description.referencePath = deep;
        if (c.content == "2D")
            base.Write(c.file, rrtest::StandInTexture());
        else if (!c.content.empty())
            base.Write(c.file, c.content);
        else if (!c.file.empty())
            std::filesystem::remove(base.Path() / c.file);
        PreparedSceneFiles prepared;
        PrepareSceneFiles(description, {}, &prepared);
        EXPECT_EQ(prepared.cubeMap.read, c.cubeRead);
        EXPECT_EQ(prepared.reference.parsed, c.referenceParsed);
        ASSERT_EQ(prepared.clips.size(), 2u);
        EXPECT_EQ(prepared.clips[0].parsed, c.clip0Parsed);
        EXPECT_EQ(Build(&prepared), Build(nullptr));
    }
}

// With its files gone after they were read, the scene is still made from
// what was prepared; a cube map read with other limits than the device's
// is read again, and then fails as its missing file does.
TEST_F(ScenePrefetchTest, UsesWhatWasPreparedAndRereadsACubeMapReadWithOtherLimits) {
    const std::string whole = Build(nullptr);
    PreparedSceneFiles prepared, smaller;
    PrepareSceneFiles(description, {}, &prepared);
    PrepareSceneFiles(description, {}, &smaller);
    smaller.cubeMap.support.maxEdge = 8;
    for (const char* file : {"sky/cube.dds", "m/ref.smd", "m/a.smd", "m/b.smd"})
        std::filesystem::remove(base.Path() / file);
    EXPECT_EQ(Build(&prepared), whole);
    const std::string missing = Build(nullptr);
    EXPECT_NE(missing, whole);
    EXPECT_EQ(Build(&smaller), missing);
}

std::atomic<bool> stopAsked{false};
bool StopAsked() { return stopAsked.load(); }

TEST_F(ScenePrefetchTest, TheWorkerPreparesTheFilesOrStopsWhenAStopIsAsked) {
    for (bool stop : {false, true}) {
        stopAsked = stop;
        ScenePrefetch prefetch;
        ASSERT_TRUE(prefetch.Start(description, StopAsked));
        PreparedSceneFiles* prepared = prefetch.Take();
        ASSERT_NE(prepared, nullptr);
        EXPECT_EQ(prepared->cubeMap.read && prepared->reference.parsed, !stop);
        EXPECT_EQ(prepared->clips.size(), stop ? 0u : 2u);
    }
    ScenePrefetch notTaken;  // joined by its destructor
    EXPECT_TRUE(notTaken.Start(description, nullptr));
}

}  // namespace
