// A model and a recording device used from the run folder, as the program
// uses them: relative paths, message boxes recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "model/skinned_model.h"
#include "platform/gfx/recording/recorder.h"
#include "support/report_capture.h"

// Each test starts in the run folder with an empty model and a fresh device.
class GeneratedAssets : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(previousDirectory_, sizeof previousDirectory_), nullptr);
        ASSERT_EQ(chdir(RR_RUN_DIR), 0);
        gfx::recording::GetRecorder().Reset();
        device_ = gfx::recording::CreateDevice();
    }
    void TearDown() override {
        model_.reset();
        if (device_) device_->Release();
        EXPECT_EQ(chdir(previousDirectory_), 0);
    }
    // Loading from the run folder, every box kept.
    LoadContext Context() { return LoadContext{"", report_.Sink()}; }
    // The message boxes shown so far, "CAPTION: TEXT".
    std::vector<std::string> Shown() const {
        std::vector<std::string> shown;
        for (const auto& box : report_.boxes) shown.push_back(box.caption + ": " + box.text);
        return shown;
    }
    char previousDirectory_[4096] = {};
    rrtest::ReportCapture report_;
    gfx::Device* device_ = nullptr;
    std::unique_ptr<SkinnedModel> model_ = std::make_unique<SkinnedModel>();
};
