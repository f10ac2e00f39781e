// GL program binaries in the start-up cache: a program built a second time
// comes from its binary and draws the same; a binary the driver refuses or an
// entry that is damaged is built from its sources and written again.
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "device_fixture.h"
#include "platform/cache/cache_entry.h"
#include "support/text_files.h"

namespace gltest {
namespace {

using namespace gfx;

constexpr const char* kTealFragmentShader = R"(#version 450 core
out vec4 fragColor;
void main() { fragColor = vec4(0.2, 0.6, 0.8, 1.0); }
)";

using rrtest::ReadText;
using rrtest::WriteText;

// The entry's payload changed by change, sealed again with its own tag.
std::string Resealed(const std::string& bytes, const std::function<void(std::string*)>& change) {
    uint32_t tag = 0;
    for (int i = 0; i < 4; ++i) tag |= uint32_t(uint8_t(bytes[size_t(8 + i)])) << (8 * i);
    std::string payload;
    EXPECT_TRUE(disk_cache::OpenEntry(bytes, tag, &payload));
    change(&payload);
    return disk_cache::SealEntry(tag, payload);
}

struct Damage {
    const char* name;
    std::function<void(const std::string& path, const std::string& bytes)> apply;
};

const Damage kDamages[] = {
    {"None", [](const std::string&, const std::string&) {}},
    {"Empty", [](const std::string& p, const std::string&) { WriteText(p, ""); }},
    {"Cut",
     [](const std::string& p, const std::string& b) { WriteText(p, b.substr(0, b.size() / 2)); }},
    {"ByteFlipped",
     [](const std::string& p, std::string b) {
         b[b.size() / 2] = char(b[b.size() / 2] ^ 1);
         WriteText(p, b);
     }},
    // Past our checksum: the driver itself is handed a damaged binary.
    {"BinaryDamagedAndResealed",
     [](const std::string& p, const std::string& b) {
         WriteText(p, Resealed(b, [](std::string* payload) {
                       for (size_t i = 4; i < payload->size(); i += 7)
                           (*payload)[i] = char(~(*payload)[i]);
                   }));
     }},
    {"BinaryCutAndResealed",
     [](const std::string& p, const std::string& b) {
         WriteText(p,
                   Resealed(b, [](std::string* payload) { payload->resize(payload->size() / 3); }));
     }},
    // A format the driver does not list is never handed to it.
    {"UnknownFormat",
     [](const std::string& p, const std::string& b) {
         WriteText(p, Resealed(b, [](std::string* payload) {
                       payload->replace(0, 4, "\xff\xff\xff\x7f");
                   }));
     }},
    {"AFolderInItsPlace",
     [](const std::string& p, const std::string&) {
         std::filesystem::remove(p);
         std::filesystem::create_directory(p);
     }},
};

class ProgramBinaryTest : public DeviceTest, public testing::WithParamInterface<Damage> {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (!Ready()) return;
        if (const char* old = std::getenv("XDG_CACHE_HOME")) oldCacheHome_ = old;
        setenv("XDG_CACHE_HOME", folder.File("cache").c_str(), 1);
        unsetenv("RR_NO_CACHE");
        gl::MakeCurrent(device);
        GLint formats = 0;
        glGetIntegerv(GL_NUM_PROGRAM_BINARY_FORMATS, &formats);
        if (formats <= 0) GTEST_SKIP() << "the driver offers no program binaries";
        Bind(Quad(-1, -1, 1, 1));
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }
    void TearDown() override {
        if (oldCacheHome_)
            setenv("XDG_CACHE_HOME", oldCacheHome_->c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
        DeviceTest::TearDown();
    }

    // Builds the teal program, draws the screen with it, deletes it; the
    // colour in the middle and whether it came from a binary.
    Rgb DrawTeal(bool* fromBinary) {
        gl::ProgramBuildCounts before = gl::GetProgramBuildCounts();
        GLuint program = BuildProgram(kFlatVertexShader, kTealFragmentShader);
        gl::ProgramBuildCounts after = gl::GetProgramBuildCounts();
        *fromBinary = after.fromBinary == before.fromBinary + 1;
        EXPECT_EQ(after.fromBinary + after.fromSource, before.fromBinary + before.fromSource + 1);
        gl::UseProgram(device, program);
        Clear(0xFF000000);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        Rgb colour = Capture().At(kWidth / 2, kHeight / 2);
        gl::FlushPendingDraws(device);
        gl::MakeCurrent(device);
        gl::UseProgram(device, 0);
        glDeleteProgram(program);
        return colour;
    }

    std::string EntryPath() {
        for (const auto& entry :
             std::filesystem::directory_iterator(folder.File("cache/reflect-refract/effects")))
            if (entry.path().extension() == ".glprogram") return entry.path().string();
        ADD_FAILURE() << "no program binary written";
        return {};
    }

private:
    std::optional<std::string> oldCacheHome_;
};

TEST_P(ProgramBinaryTest, ADamagedEntryIsBuiltFromSourceAndWrittenAgain) {
    bool fromBinary = true;
    const Rgb teal = DrawTeal(&fromBinary);
    EXPECT_FALSE(fromBinary);
    EXPECT_EQ(teal, (Rgb{51, 153, 204}));
    const std::string path = EntryPath();
    const bool damaged = std::string(GetParam().name) != "None";
    GetParam().apply(path, ReadText(path));
    EXPECT_EQ(DrawTeal(&fromBinary), teal);
    EXPECT_EQ(fromBinary, !damaged);
    EXPECT_EQ(DrawTeal(&fromBinary), teal);
    EXPECT_TRUE(fromBinary);
}

INSTANTIATE_TEST_SUITE_P(Entries, ProgramBinaryTest, testing::ValuesIn(kDamages),
                         [](const testing::TestParamInfo<Damage>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace gltest
