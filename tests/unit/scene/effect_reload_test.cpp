// Compiling the running effect again (watch mode).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/gfx/recording/recorder.h"
#include "scene/effect_reload.h"

namespace {

using namespace gfx;
using gfx::recording::GetRecorder;

TEST(EffectReloadTest, AGoodCompileTakesOverAFailedOneKeepsWhatRuns) {
    GetRecorder().Reset();
    std::string path = (std::filesystem::temp_directory_path() /
                        ("rr_reload_" + std::to_string(::getpid()) + ".fx")).string();
    std::ofstream(path) << "technique TShader { }";
    Device* device = recording::CreateDevice();
    Effect* effect = nullptr;
    EffectHandle technique = nullptr;
    std::string text;
    ASSERT_TRUE(RecompileEffect(device, path.c_str(), effect, technique, &text));
    ASSERT_NE(effect, nullptr);
    EXPECT_STREQ(technique, "TShader");
    Effect* first = effect;

    GetRecorder().failing.insert("CreateEffectFromFile");
    EXPECT_FALSE(RecompileEffect(device, path.c_str(), effect, technique, &text));
    EXPECT_EQ(effect, first);
    EXPECT_EQ(text, GetRecorder().effectErrorText);

    GetRecorder().failing.clear();
    uint32_t firstId = recording::IdOf(first);
    GetRecorder().calls.clear();
    ASSERT_TRUE(RecompileEffect(device, path.c_str(), effect, technique, &text));
    EXPECT_NE(effect, first);
    ASSERT_EQ(GetRecorder().Named("Release").size(), 1u);  // the old one, once
    EXPECT_EQ(GetRecorder().Named("Release")[0].object, firstId);
    SafeRelease(effect);
    SafeRelease(device);
    std::filesystem::remove(path);
}

TEST(EffectReloadTest, FirstErrorLineIsTheOneAPersonReadsFirst) {
    struct Case {
        const char* text;
        const char* line;
    } cases[] = {
        {"", ""},
        {"\n  \n", ""},
        {"  e.fx(3): error: 'x' : unknown  \r\nmore\n", "e.fx(3): error: 'x' : unknown"},
        {"warning: w\ne.fx(4): ERROR: y\nz: error", "e.fx(4): ERROR: y"},
        {"\n  just one line", "just one line"},
    };
    for (const Case& c : cases) EXPECT_EQ(FirstErrorLine(c.text), c.line) << c.text;
}

}  // namespace
