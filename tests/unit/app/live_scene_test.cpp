// The running program's scene: which failed loads end a run, drops, saves in
// watch mode and repaints, against the recording device and the scripted
// window backend.
#include <algorithm>
#include <functional>
#include <filesystem>
#include <fstream>

#include "app/exit_codes.h"
#include "app_fixture.h"
#include "model/skinned_model.h"
#include "support/dds_files.h"
#include "support/smd_texts.h"

namespace {

using rrtest::SmdClip;
using rrtest::SmdReference;
const char kNotSmd[] = "hello\n";
const char kCutOff[] = "version 1\nnodes\n0 \"root\" -1\n";

class LiveSceneTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        // The program's own character, whole.
        WriteCharacter(SmdReference(2), SmdClip(3));
        services.liveReport = StderrReport(BoxRoute::Dropped);
    }
    std::string At(const std::string& name, const std::string& text) {
        return folder.Write(name, text);
    }
    static std::string CubeFile() {
        const std::vector<uint8_t> bytes = rrtest::StandInCubeMap();
        return std::string(bytes.begin(), bytes.end());
    }
    const SkinnedModel& Model() { return *App().scene.model; }
};

TEST_F(LiveSceneTest, AFileThatDoesNotLoadEndsOnlyARunThatNamedIt) {
    struct Case {
        const char* name;
        std::function<void(ProgramOptions&)> set;
        int exitCode;
        size_t boxes;
        std::string said;  // a part of stderr
    } cases[] = {
        {"the program's own files, one broken: its box, and on",
         [&](auto&) { At("Model/SMD/Pudo_Red/Ani_Red(Run).smd", kCutOff); }, kExitQuit, 1, ""},
        {"--model of a file that is no SMD", [&](auto& o) { o.model = At("bate.smd", kNotSmd); },
         kExitStartFailed, 1, "cannot start: the reference " + std::string("/")},
        {"a reference given as a clip",
         [&](auto& o) { o.animations = {At("Ref.smd", SmdReference(3))}; }, kExitStartFailed, 1,
         "cannot start: the animation "},
        {"--effect that does not compile",
         [&](auto& o) {
             o.effect = At("e.fx", "x");
             Recorder().failing.insert("CreateEffectFromFile");
         },
         kExitStartFailed, 1, "cannot start: the effect "},
        {"--clip of the program's own clip that did not load: refused, naming the file",
         [&](auto& o) {
             At("Model/SMD/Pudo_Red/Ani_Red(Run).smd", kCutOff);
             o.clip = 1;
             o.clipGiven = true;
         },
         kExitStartFailed, 2, "--clip 1: the animation file "},
        {"--watch: what did not load is loaded when saved",
         [&](auto& o) {
             o.model = At("bate.smd", kNotSmd);
             o.watch = true;
         },
         kExitQuit, 0, "model file "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();  // a fresh program, and the character whole again
        c.set(options);
        services.report = StderrReport(options.watch ? BoxRoute::Dropped : BoxRoute::Shown);
        backend->End();
        EXPECT_EQ(RunQuietly(), c.exitCode) << errors;
        EXPECT_EQ(backend->messageBoxes.size(), c.boxes) << errors;
        EXPECT_NE(errors.find(c.said), std::string::npos) << errors;
        if (c.exitCode == kExitQuit) continue;
        EXPECT_EQ(App().renderer.device, nullptr);  // everything released
        EXPECT_EQ(Recorder().devicesReleasedWithLiveObjects, 0);
    }
    // The watch run shows the file in red instead of a box.
    ASSERT_EQ(App().alerts.entries.size(), 1u);
    EXPECT_EQ(App().alerts.entries[0].text.rfind("bate.smd: line 1: the first line is not", 0), 0u)
        << App().alerts.entries[0].text;
}

TEST_F(LiveSceneTest, DropsChangeTheSceneAndAFileThatDoesNotLoadChangesNothing) {
    const std::string squid = At("drop/Squid.smd", SmdReference(5)),
                      swim = At("drop/Swim.smd", SmdClip(4));
    const std::string look = At("drop/Look.smd", SmdClip(6)),
                      broken = At("drop/Broken.smd", kCutOff);
    const std::string text = At("drop/notes.txt", "x"), sky = At("drop/sky.dds", CubeFile()),
                      fx = At("drop/glass.fx", "x");
    backend->PushDrop({swim});  // through WM_DROPFILES: added to the three clips, and plays
    backend->End();
    EXPECT_EQ(RunQuietly(), 0);
    ASSERT_EQ(Model().clipCount, 4);
    EXPECT_EQ(App().settings.clipIndex, 3);
    EXPECT_EQ(Model().clips[3].frameCount, 4);

    struct Case {
        std::vector<std::string> drop;
        int triangles;  // of the model afterwards
        std::vector<int> clipFrames;
        int clipIndex;
        std::vector<std::string> red;  // the alert lines' starts
    } cases[] = {
        // A reference replaces the model; its clips come with it.
        {{squid, look, swim}, 5, {6, 4}, 0, {}},
        // Files that do not load change nothing and stay in red.
        {{broken, text}, 5, {6, 4}, 0, {"notes.txt: not a .smd", "Broken.smd: line 2: "}},
        // A reference alone: the old clips go; the last drop's lines go too.
        {{squid}, 5, {}, 0, {}},
        {{swim, look}, 5, {4, 6}, 0, {}},
        // A reference that does not load keeps the model and its clips.
        {{At("drop/Bad.smd", std::string("version 1\ntriangles\n")), look},
         5,
         {4, 6},
         0,
         {"Bad.smd: "}},
        {{look}, 5, {4, 6, 6}, 2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drop.front());
        App().OpenFiles(c.drop);
        EXPECT_EQ(Model().meshes[0].triangleCount, c.triangles);
        std::vector<int> frames;
        for (int i = 0; i < Model().clipCount; ++i) frames.push_back(Model().clips[i].frameCount);
        EXPECT_EQ(frames, c.clipFrames);
        EXPECT_EQ(App().settings.clipIndex, c.clipIndex);
        ASSERT_EQ(App().alerts.entries.size(), c.red.size()) << App().alerts.lines;
        for (size_t i = 0; i < c.red.size(); ++i)
            EXPECT_EQ(App().alerts.entries[i].text.rfind(c.red[i], 0), 0u)
                << App().alerts.entries[i].text;
    }

    // The cube map and the effect: a failed one keeps the running object.
    gfx::CubeTexture* cube = App().scene.box.environmentMap;
    Recorder().failing = {"CreateCubeTextureFromFile", "CreateEffectFromFile"};
    gfx::Effect* effect = App().scene.effect;
    App().OpenFiles({sky, fx});
    EXPECT_EQ(App().scene.box.environmentMap, cube);
    EXPECT_EQ(App().scene.effect, effect);
    EXPECT_EQ(App().alerts.entries.size(), 2u) << App().alerts.lines;
    Recorder().failing.clear();
    App().OpenFiles({sky, fx});
    EXPECT_NE(App().scene.box.environmentMap, cube);
    EXPECT_NE(App().scene.effect, effect);
    EXPECT_EQ(App().scene.description.effectPath, fx);
    EXPECT_TRUE(App().alerts.entries.empty()) << App().alerts.lines;
    EXPECT_TRUE(backend->messageBoxes.empty());  // never a box after start-up
}

TEST_F(LiveSceneTest, SavesInWatchModeLoadTheirFileAgainAndAFailedOneKeepsWhatRuns) {
    options.watch = true;
    options.model = At("w/ref.smd", SmdReference(2));
    options.animations = {At("w/a.smd", SmdClip(3)), At("w/b.smd", SmdClip(3))};
    options.cubemap = At("w/sky.dds", CubeFile());
    options.effect = At("w/e.fx", "x");
    backend->End();
    EXPECT_EQ(RunQuietly(), 0);
    ASSERT_EQ(App().watchedFiles.size(), 6u);  // the texture, skin.bmp, is watched too

    struct Case {
        std::string file, text;
        int triangles;
        std::vector<int> clipFrames;
        size_t red;
    } cases[] = {
        {"w/b.smd", SmdClip(5), 2, {3, 5}, 0},        {"w/ref.smd", SmdReference(4), 4, {3, 5}, 0},
        {"w/ref.smd", kCutOff, 4, {3, 5}, 1},         {"w/a.smd", kNotSmd, 4, {3, 5}, 2},
        {"w/ref.smd", SmdReference(3), 3, {3, 5}, 1}, {"w/a.smd", SmdClip(2), 3, {2, 5}, 0},
    };
    Bone** frames = App().scene.model->clips[1].frames;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " " + std::to_string(c.triangles));
        if (c.file == "w/ref.smd" && c.triangles == 4 && c.red == 0)  // clips move to the new mesh
            frames = App().scene.model->clips[1].frames;
        At(c.file, c.text);
        App().ReloadChangedFiles();
        EXPECT_EQ(Model().meshes[0].triangleCount, c.triangles);
        EXPECT_EQ(Model().clips[0].frameCount, c.clipFrames[0]);
        EXPECT_EQ(Model().clips[1].frameCount, c.clipFrames[1]);
        EXPECT_EQ(App().alerts.entries.size(), c.red) << App().alerts.lines;
        if (c.file == "w/ref.smd") {
            EXPECT_EQ(App().scene.model->clips[1].frames, frames);  // moved, not read again
        }
    }
    gfx::CubeTexture* cube = App().scene.box.environmentMap;
    std::filesystem::rename(At("w/sky.new", CubeFile()),
                            folder.File("w/sky.dds"));  // saved by a rename
    App().ReloadChangedFiles();
    EXPECT_NE(App().scene.box.environmentMap, cube);
    Recorder().failing.insert("CreateEffectFromFile");
    gfx::Effect* effect = App().scene.effect;
    At("w/e.fx", "y");
    App().ReloadChangedFiles();
    EXPECT_EQ(App().scene.effect, effect);
    EXPECT_EQ(App().alerts.lines, "e.fx: effect.fx(1,1): error X0000: forced failure");
    EXPECT_TRUE(backend->messageBoxes.empty());
}

TEST_F(LiveSceneTest, ALostPictureIsPresentedAgainOnlyWhileTheLoopIsNotDrawing) {
    backend->Push(WM_PAINT);  // before any frame: nothing to show
    backend->Idle();          // one frame, active
    backend->Push(WM_PAINT);  // active: the next frame repaints
    backend->Push(WM_ACTIVATE, WA_INACTIVE);
    backend->Idle();
    backend->Push(WM_PAINT);
    backend->Idle();
    backend->Push(WM_PAINT);
    backend->End();
    EXPECT_EQ(RunQuietly(), 0);
    EXPECT_EQ(Count("Clear"), 1u);    // one frame drawn
    EXPECT_EQ(Count("Present"), 3u);  // it, and two presents of it while inactive
}

}  // namespace
