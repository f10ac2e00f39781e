// The one Application on the OpenGL device as the program starts it: window,
// 800 × 600 device, the program's scene from the run folder (RR_RUN_DIR).
// Skipped without a display. Header only: its tests link rr_app.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/application.h"
#include "app/program_scene.h"
#include "model/skinned_model.h"
#include "platform/gfx/devices/devices.h"
#include "platform/window/sdl/sdl_window_backend.h"

namespace rrtest {

class AppSceneGlTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!UseSdlWindowBackend()) GTEST_SKIP() << "no display";
        app.services.baseFolder = RR_RUN_DIR;
        app.CreateAppWindow(nullptr);
        ASSERT_TRUE(gfx::Succeeded(app.renderer.InitDevice(gfx::devices::CreateOpenGl, app.window,
                                                           800, 600, kHudFontHeight)));
        SceneDescription description = DescribeScene(ProgramOptions{}, RR_RUN_DIR);
        if (!clipPaths.empty()) description.clipPaths = clipPaths;
        SceneBuildHooks hooks;
        hooks.context = &app;
        hooks.environmentReady = [](void* context) {
            static_cast<Application*>(context)->ShowAppWindow(SW_SHOWDEFAULT);
        };
        SceneBuildResult built;
        ASSERT_TRUE(
            BuildScene(description, app.renderer.device, ReportSink{}, hooks, &app.scene, &built));
        ASSERT_NE(app.scene.effect, nullptr);
        ASSERT_GT(app.scene.model->meshCount, 0);
    }
    void TearDown() override { app.ReleaseAll(); }

    // The clips the scene loads (set before SetUp); empty: the program's.
    std::vector<std::string> clipPaths;
    Application& app = GetApplication();
};

}  // namespace rrtest
