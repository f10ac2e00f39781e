// Shared helpers of the model tests: a scratch folder for SMD files written
// by the test, the loaders' recorded notes and boxes, and a recording device
// whose own log lines (a texture it cannot load) are left out of what the
// loaders print.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/skinned_model.h"
#include "platform/gfx/core/log.h"
#include "platform/gfx/recording/recorder.h"
#include "support/report_capture.h"

namespace model_test {

inline rrtest::ReportCapture& Reported() {
    static rrtest::ReportCapture reported;
    return reported;
}
// The boxes the loaders showed.
inline std::vector<rrtest::ReportCapture::Box>& Messages() { return Reported().boxes; }

// "SMD 파일이 아닙니다!!" and "Reference 파일이 아닙니다!!" in code page 949.
inline const std::string kNotSmd =
    "SMD \xc6\xc4\xc0\xcf\xc0\xcc \xbe\xc6\xb4\xd5\xb4\xcf\xb4\xd9!!";
inline const std::string kWrongKind =
    "Reference \xc6\xc4\xc0\xcf\xc0\xcc \xbe\xc6\xb4\xd5\xb4\xcf\xb4\xd9!!";

// A 1 × 1 BMP, the smallest texture file every device reads: the 14-byte
// file header, the 40-byte info header (24 bits a pixel), one grey pixel.
inline const std::string kTinyBmp(
    "BM:\0\0\0\0\0\0\0006\0\0\0"
    "(\0\0\0\1\0\0\0\1\0\0\0\1\0\30\0\0\0\0\0\4\0\0\0"
    "\23\13\0\0\23\13\0\0\0\0\0\0\0\0\0\0"
    "\200\200\200\0",
    58);

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        Reported().Clear();
        context.report = Reported().Sink();
        previousSink = gfx::SetLogSink([](const char*) {});
        gfx::recording::GetRecorder().Reset();
        device = gfx::recording::CreateDevice();
        char pattern[] = "/tmp/model_test_XXXXXX";
        folder = mkdtemp(pattern);
    }
    void TearDown() override {
        model.reset();
        device->Release();
        gfx::SetLogSink(previousSink);
        std::filesystem::remove_all(folder);
    }

    // Writes text to a file in the scratch folder and returns its path.
    std::string Write(const std::string& name, const std::string& text) {
        std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    bool LoadReferenceText(const std::string& text, const std::string& name = "ref.smd") {
        return model->LoadReference(device, Write(name, text).c_str(), context);
    }
    bool LoadAnimationText(const std::string& text, const std::string& name = "anim.smd") {
        return model->LoadAnimation(Write(name, text).c_str(), context);
    }
    std::vector<gfx::recording::Call> Calls(const std::string& name) const {
        return gfx::recording::GetRecorder().Named(name);
    }

    std::unique_ptr<SkinnedModel> model = std::make_unique<SkinnedModel>();
    gfx::Device* device = nullptr;
    std::string folder;
    // Relative paths from the working folder; notes and boxes to Reported().
    LoadContext context;
    gfx::LogSink previousSink = nullptr;
};

inline void ExpectMatrixNear(const Matrix4& actual, const Matrix4& expected,
                             float tolerance = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.m[r][c], expected.m[r][c], tolerance) << "element " << r << "," << c;
}

// A two-bone skeleton in the bind pose: bone 1 is a child of bone 0.
inline const std::string kTwoNodes = "nodes\n0 \"root\" -1\n1 \"arm\" 0\nend\n";

}  // namespace model_test
