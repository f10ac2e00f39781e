// Runs with command-line options, on the recording device and the scripted
// window backend.
#include <stb_image.h>

#include <fstream>
#include <vector>

#include "app/exit_codes.h"
#include "app/screenshot.h"
#include "app_fixture.h"
#include "model/skinned_model.h"

namespace {

size_t presentsAtRead = 0;

// A 2 × 1 picture: one red pixel, one blue.
bool ReadFake(gfx::Device*, uint32_t* width, uint32_t* height, std::vector<uint8_t>* rgba) {
    presentsAtRead = gfx::recording::GetRecorder().Named("Present").size();
    *width = 2;
    *height = 1;
    *rgba = {255, 0, 0, 255, 0, 0, 255, 0};
    return true;
}

TEST_F(AppTest, ScreenshotSavesTheLastFramesPictureBeforeItIsPresentedThenQuits) {
    struct Case {
        std::string file;
        int exitCode;
    } cases[] = {{"shot.png", kExitQuit}, {"no/such/folder/shot.png", kExitStartFailed}};
    for (const Case& c : cases) {
        App().Reset();
        Recorder().Reset();
        backend = std::make_unique<ScriptedWindowBackend>();
        App().options.screenshot = (folder / c.file).string();
        App().options.frames = 3;
        App().capture.read = ReadFake;
        App().active = false;  // drawn all the same: nobody need focus the window
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Run(), c.exitCode) << c.file;
        std::string errors = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(Count("Present"), 3u);
        EXPECT_EQ(presentsAtRead, 2u);  // read in the third frame, before its Present
        if (c.exitCode != kExitQuit) {
            EXPECT_NE(errors.find("cannot save the screenshot " + App().options.screenshot),
                      std::string::npos) << errors;
            continue;
        }
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load(App().options.screenshot.c_str(), &width, &height, &channels, 0);
        ASSERT_NE(pixels, nullptr);
        EXPECT_EQ(std::vector<int>({width, height, channels}), std::vector<int>({2, 1, 3}));
        EXPECT_EQ(std::vector<uint8_t>(pixels, pixels + 6), std::vector<uint8_t>({255, 0, 0, 0, 0, 255}));
        stbi_image_free(pixels);
    }
}

TEST_F(AppTest, AClipThatDidNotLoadIsRefused) {
    App().options.clip = 2;  // no model files here: no clip loaded
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run(), kExitStartFailed);
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("--clip 2: only 0 of the 3 animation files loaded"), std::string::npos) << errors;
    EXPECT_EQ(App().renderer.device, nullptr);
}

// Watch mode: a failed compile shows no box, keeps what runs and puts its
// first error on the HUD; the next good save takes over.
TEST_F(AppTest, WatchedEffectRecompilesOnSaveWithoutBoxes) {
    Recorder().failing.insert("CreateEffectFromFile");
    Recorder().effectErrorText = "warning: x\ne.fx(3): error: 'y' : unknown variable\n";
    App().options.watch = true;
    backend->Idle();
    backend->End();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run(), 0);
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(backend->messageBoxes.empty());
    EXPECT_NE(errors.find(Recorder().effectErrorText), std::string::npos) << errors;
    EXPECT_EQ(App().effectAlert, "e.fx(3): error: 'y' : unknown variable");
    EXPECT_EQ(App().effect, nullptr);
    EXPECT_EQ(Recorder().Named("DrawTextA").back().args[7], double(0xFFFF0000u));  // red

    Recorder().failing.clear();
    App().ReloadEffectIfChanged();  // nothing saved yet: nothing compiled
    EXPECT_EQ(App().effect, nullptr);
    std::ofstream("Shaders/ReflectionOrRefraction.fx") << "technique TShader { }";
    ::testing::internal::CaptureStderr();
    App().ReloadEffectIfChanged();
    ::testing::internal::GetCapturedStderr();
    ASSERT_NE(App().effect, nullptr);
    EXPECT_EQ(App().effectAlert, "");

    gfx::Effect* running = App().effect;
    Recorder().failing.insert("CreateEffectFromFile");
    std::ofstream("Shaders/ReflectionOrRefraction.fx") << "broken";
    ::testing::internal::CaptureStderr();
    App().ReloadEffectIfChanged();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(App().effect, running);
    EXPECT_NE(App().effectAlert, "");
    EXPECT_TRUE(backend->messageBoxes.empty());
}

}  // namespace
