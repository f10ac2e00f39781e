// The one Application run against the recording device and the scripted
// window backend, in a fresh working folder per test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/application.h"
#include "platform/gfx/recording/recorder.h"
#include "platform/window/scripted/scripted_window_backend.h"

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        gfx::recording::GetRecorder().Reset();
        gfx::recording::Install();
        backend = std::make_unique<ScriptedWindowBackend>();
        GetApplication().Reset();
        GetFrameRateCounter() = FrameRateCounter{};

        previous = std::filesystem::current_path();
        folder = std::filesystem::temp_directory_path() /
                 (std::string("rr_app_") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "Shaders");
        std::filesystem::create_directories(folder / "Textures");
        std::filesystem::current_path(folder);
        std::ofstream("Shaders/ReflectionOrRefraction.fx") << "technique TShader {}";
        std::ofstream("Textures/Snow.dds") << "stand-in";
    }
    void TearDown() override {
        GetApplication().Reset();
        backend.reset();
        gfx::SetDirect3DFactory(nullptr);
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }

    int Run() { return GetApplication().Run(nullptr, SW_SHOWNORMAL); }
    Application& App() { return GetApplication(); }
    gfx::recording::Recorder& Recorder() { return gfx::recording::GetRecorder(); }
    size_t Count(const std::string& name) { return Recorder().Named(name).size(); }

    std::unique_ptr<ScriptedWindowBackend> backend;
    std::filesystem::path previous, folder;
};
