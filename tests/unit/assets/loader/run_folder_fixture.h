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
#include "platform/window/core/message_box.h"

namespace run_folder {

inline std::vector<std::string>& Shown() {
    static std::vector<std::string> shown;
    return shown;
}

inline int RecordBox(HWND, const char* text, const char* caption, UINT) {
    Shown().push_back(std::string(caption ? caption : "") + ": " + (text ? text : ""));
    return IDOK;
}

}  // namespace run_folder

// Each test starts in the run folder with an empty model and a fresh device.
class GeneratedAssets : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(previousDirectory_, sizeof previousDirectory_), nullptr);
        ASSERT_EQ(chdir(RR_RUN_DIR), 0);
        run_folder::Shown().clear();
        previousHandler_ = SetMessageBoxHandler(&run_folder::RecordBox);
        gfx::recording::GetRecorder().Reset();
        device_ = gfx::recording::CreateDevice();
    }
    void TearDown() override {
        model_.reset();
        if (device_) device_->Release();
        SetMessageBoxHandler(previousHandler_);
        EXPECT_EQ(chdir(previousDirectory_), 0);
    }
    char previousDirectory_[4096] = {};
    MessageBoxHandler previousHandler_ = nullptr;
    gfx::Device* device_ = nullptr;
    std::unique_ptr<SkinnedModel> model_ = std::make_unique<SkinnedModel>();
};

