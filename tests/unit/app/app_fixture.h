// The one Application run against the recording device and the scripted
// window backend, in a fresh working folder per test. The device layer's own
// lines (a file it refuses) go to deviceLog, apart from the program's stderr.
// Restart() gives a table's next row a fresh program, script and recorder;
// the folder, the options and the services stay.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/report_routes.h"
#include "platform/gfx/recording/recorder.h"
#include "support/scripted/scripted_window_backend.h"
#include "support/dds_files.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        Restart();
        options = ProgramOptions{};  // when a fixture runs SetUp again for a row
        // As the program composes an interactive run: notes on stderr, boxes shown.
        services.report = StderrReport(BoxRoute::Shown);
        services.failureReport = StderrReport(BoxRoute::ShownAsErrors);
        folder.Write("Shaders/ReflectionOrRefraction.fx", "technique TShader {}");
        folder.Write("Textures/Snow.dds", rrtest::StandInCubeMap());
        folder.Enter();
    }
    void TearDown() override {
        GetApplication().Reset();
        backend.reset();
    }

    void Restart() {
        GetApplication().Reset();
        backend.reset();
        Recorder().Reset();
        backend = std::make_unique<ScriptedWindowBackend>();
    }
    int Run() {
        services.createDirect3D = gfx::recording::CreateDirect3D;
        return GetApplication().Run(nullptr, SW_SHOWNORMAL, options, services);
    }
    // Runs with the program's stderr kept in errors.
    int RunQuietly() {
        ::testing::internal::CaptureStderr();
        int code = Run();
        errors = ::testing::internal::GetCapturedStderr();
        return code;
    }
    // The program's own character: its reference and its three clips.
    void WriteCharacter(const std::string& reference, const std::string& clip) {
        folder.Write("Model/SMD/Pudo_Red/Ref_Red.smd", reference);
        for (const char* name : {"Attack", "Run", "Stun"})
            folder.Write(std::string("Model/SMD/Pudo_Red/Ani_Red(") + name + ").smd", clip);
    }
    Application& App() { return GetApplication(); }
    gfx::recording::Recorder& Recorder() { return gfx::recording::GetRecorder(); }
    size_t Count(const std::string& name) { return Recorder().Named(name).size(); }

    ProgramOptions options;
    AppServices services;  // files from the working folder
    std::unique_ptr<ScriptedWindowBackend> backend;
    rrtest::TempFolder folder;
    rrtest::LogCapture deviceLog;
    std::string errors;  // by RunQuietly
};
