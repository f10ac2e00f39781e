// Compiled effects in the start-up cache: a hit gives what a compile gives
// without a compiler process; damaged entries of every kind are ignored and
// written again; a changed #include file misses; failures are not kept; a
// folder that cannot be written only means no cache.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/cache/cache_entry.h"
#include "platform/gfx/effect/compile_child.h"
#include "platform/gfx/effect/effect_cache.h"
#include "support/temp_folder.h"
#include "support/text_files.h"

namespace gfx::effect {
namespace {

using rrtest::ReadText;
using rrtest::WriteText;

// The program's effect, its model's colour scaled by a constant from an
// #include file.
std::string EffectWithInclude() {
    std::string text = rrtest::ReadSourceText("data/Shaders/ReflectionOrRefraction.fx");
    const std::string end = "return float4(saturate(color), 1.0);";
    size_t at = text.find(end);
    EXPECT_NE(at, std::string::npos);
    text.replace(at, end.size(), "return float4(saturate(color * kTint), 1.0);");
    return "#include \"parts/tint.fxh\"\n" + text;
}

// The answer as bytes: two effects are the same when these are.
std::string Bytes(const CompiledEffect& effect) {
    CompileResult result;
    result.compiled = true;
    result.effect = effect;
    return EncodeResult(result);
}

class EffectCacheTest : public testing::Test {
protected:
    void SetUp() override {
        cache = folder.File("cache/effects");
        effectPath = folder.File("fx/e.fx");
        folder.Write("fx/parts/tint.fxh", "static const float kTint = 0.5;\n");
        text = EffectWithInclude();
        folder.Write("fx/e.fx", text);
    }

    // Compiles through the cache; how many compiler processes it asked.
    uint64_t Compile(CompiledEffect* effect, const std::string& source) {
        uint64_t before = CompilerProcessCompiles();
        std::string log;
        EXPECT_TRUE(CompileEffectCached(source, effectPath, effect, &log, cache)) << log;
        return CompilerProcessCompiles() - before;
    }

    std::string EntryPath() {
        for (const auto& entry : std::filesystem::directory_iterator(cache))
            if (entry.path().extension() == ".effect") return entry.path().string();
        ADD_FAILURE() << "no entry in " << cache;
        return {};
    }

    rrtest::TempFolder folder;
    std::string cache;
    std::string effectPath;
    std::string text;
};

TEST_F(EffectCacheTest, AHitGivesTheCompiledEffectWithoutACompilerProcess) {
    CompiledEffect cold, warm;
    EXPECT_EQ(Compile(&cold, text), 1u);
    EXPECT_EQ(cold.includes.size(), 1u);
    EXPECT_TRUE(EffectFileIsCached(effectPath, cache));
    EXPECT_EQ(Compile(&warm, text), 0u);
    EXPECT_EQ(Bytes(warm), Bytes(cold));
    // Another text, path or a missing cache folder misses.
    EXPECT_FALSE(EffectFileIsCached(folder.Write("fx/other.fx", text), cache));
    EXPECT_FALSE(EffectFileIsCached(effectPath, ""));
}

TEST_F(EffectCacheTest, AChangedIncludedFileMissesAndItsOldBytesHitAgain) {
    CompiledEffect first, changed, back;
    EXPECT_EQ(Compile(&first, text), 1u);
    folder.Write("fx/parts/tint.fxh", "static const float kTint = 0.25;\n");
    EXPECT_FALSE(EffectFileIsCached(effectPath, cache));
    EXPECT_EQ(Compile(&changed, text), 1u);
    EXPECT_NE(Bytes(changed), Bytes(first));
    folder.Write("fx/parts/tint.fxh", "static const float kTint = 0.5;\n");
    EXPECT_EQ(Compile(&back, text), 1u);  // the newest entry is the 0.25 one
    EXPECT_EQ(Bytes(back), Bytes(first));
    // A missing included file misses (and then fails to compile).
    std::filesystem::remove(folder.File("fx/parts/tint.fxh"));
    EXPECT_FALSE(EffectFileIsCached(effectPath, cache));
}

TEST_F(EffectCacheTest, AnEffectThatDoesNotCompileIsNotKept) {
    CompiledEffect effect;
    std::string log;
    const std::string broken = text + "\nfloat4 Broken() { return undeclared; }\n";
    for (int i = 0; i < 2; ++i) {
        uint64_t before = CompilerProcessCompiles();
        EXPECT_FALSE(CompileEffectCached(broken, effectPath, &effect, &log, cache));
        EXPECT_NE(log.find("undeclared"), std::string::npos) << log;
        EXPECT_EQ(CompilerProcessCompiles() - before, 1u);
    }
    EXPECT_FALSE(std::filesystem::exists(cache));
}

TEST_F(EffectCacheTest, AFolderThatCannotBeMadeMeansNoCache) {
    folder.Write("blocked", "a file where the cache folder's parent would be");
    const std::string blocked = folder.File("blocked/effects");
    CompiledEffect cold, again;
    std::string log;
    ASSERT_TRUE(CompileEffectCached(text, effectPath, &cold, &log, blocked)) << log;
    ASSERT_TRUE(CompileEffectCached(text, effectPath, &again, &log, blocked)) << log;
    EXPECT_EQ(Bytes(again), Bytes(cold));
    std::string error;
    EXPECT_FALSE(disk_cache::WriteEntry(blocked, "x", 1, "payload", &error));
    EXPECT_NE(error.find("blocked"), std::string::npos) << error;
}

// What an entry may have become, from its whole bytes.
struct Damage {
    const char* name;
    std::function<void(const std::string& path, const std::string& bytes)> apply;
    bool rootReads = false;  // root reads the file all the same: nothing to test
};

std::string Sealed(const std::string& bytes, const std::function<void(std::string*)>& change,
                   uint32_t tagChange = 0) {
    uint32_t tag = 0;
    for (int i = 0; i < 4; ++i) tag |= uint32_t(uint8_t(bytes[size_t(8 + i)])) << (8 * i);
    std::string payload;
    EXPECT_TRUE(disk_cache::OpenEntry(bytes, tag, &payload));
    change(&payload);
    return disk_cache::SealEntry(tag + tagChange, payload);
}

void Truncate(const std::string& path, const std::string& bytes, size_t size) {
    WriteText(path, bytes.substr(0, size));
}

void Flip(const std::string& path, std::string bytes, size_t at) {
    bytes[at] = char(bytes[at] ^ 0x20);
    WriteText(path, bytes);
}

const Damage kDamages[] = {
    {"Empty", [](const std::string& p, const std::string&) { WriteText(p, ""); }},
    {"CutInTheMagic", [](const std::string& p, const std::string& b) { Truncate(p, b, 5); }},
    {"CutInTheHeader", [](const std::string& p, const std::string& b) { Truncate(p, b, 20); }},
    {"CutAfterTheHeader", [](const std::string& p, const std::string& b) { Truncate(p, b, 28); }},
    {"CutInTheMiddle",
     [](const std::string& p, const std::string& b) { Truncate(p, b, b.size() / 2); }},
    {"LastByteMissing",
     [](const std::string& p, const std::string& b) { Truncate(p, b, b.size() - 1); }},
    {"ByteAdded", [](const std::string& p, const std::string& b) { WriteText(p, b + "x"); }},
    {"MagicFlipped", [](const std::string& p, const std::string& b) { Flip(p, b, 0); }},
    {"TagFlipped", [](const std::string& p, const std::string& b) { Flip(p, b, 8); }},
    {"SizeFlipped", [](const std::string& p, const std::string& b) { Flip(p, b, 13); }},
    {"ChecksumFlipped", [](const std::string& p, const std::string& b) { Flip(p, b, 21); }},
    {"PayloadByteFlipped",
     [](const std::string& p, const std::string& b) { Flip(p, b, b.size() / 2); }},
    {"AnotherEntryVersion",
     [](const std::string& p, const std::string& b) {
         WriteText(p, Sealed(
                          b, [](std::string*) {}, 1u << 24));
     }},
    {"AnotherAnswerFormat",
     [](const std::string& p, const std::string& b) {
         WriteText(p,
                   Sealed(b, [](std::string* payload) { (*payload)[4] = char(kCodecFormat + 1); }));
     }},
    {"AnswerCutAndResealed",
     [](const std::string& p, const std::string& b) {
         WriteText(p,
                   Sealed(b, [](std::string* payload) { payload->resize(payload->size() - 9); }));
     }},
    {"AnswerOfAFailedCompile",
     [](const std::string& p, const std::string& b) {
         WriteText(p, Sealed(b, [](std::string* payload) {
                       CompileResult failed;
                       failed.log = "e.fx(1,1): error: x\n";
                       *payload = EncodeResult(failed);
                   }));
     }},
    {"IncludeHashChanged",
     [](const std::string& p, const std::string& b) {
         WriteText(p, Sealed(b, [](std::string* payload) {
                       CompileResult result;
                       ASSERT_TRUE(DecodeResult(*payload, &result));
                       ASSERT_FALSE(result.effect.includes.empty());
                       result.effect.includes[0].hash ^= 1;
                       *payload = EncodeResult(result);
                   }));
     }},
    {"AFolderInItsPlace",
     [](const std::string& p, const std::string&) {
         std::filesystem::remove(p);
         std::filesystem::create_directory(p);
     }},
    {"AFifoInItsPlace",
     [](const std::string& p, const std::string&) {
         std::filesystem::remove(p);
         ASSERT_EQ(mkfifo(p.c_str(), 0600), 0);
     }},
    {"Unreadable", [](const std::string& p, const std::string&) { chmod(p.c_str(), 0); }, true},
};

class DamagedEntryTest : public EffectCacheTest, public testing::WithParamInterface<Damage> {};

TEST_P(DamagedEntryTest, IsIgnoredAndWrittenAgain) {
    if (GetParam().rootReads && geteuid() == 0) GTEST_SKIP() << "root reads any file";
    CompiledEffect cold, damaged, warm;
    ASSERT_EQ(Compile(&cold, text), 1u);
    const std::string path = EntryPath();
    GetParam().apply(path, ReadText(path));
    EXPECT_FALSE(EffectFileIsCached(effectPath, cache));
    EXPECT_EQ(Compile(&damaged, text), 1u);
    EXPECT_EQ(Bytes(damaged), Bytes(cold));
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(Compile(&warm, text), 0u);
    EXPECT_EQ(Bytes(warm), Bytes(cold));
}

INSTANTIATE_TEST_SUITE_P(Entries, DamagedEntryTest, testing::ValuesIn(kDamages),
                         [](const testing::TestParamInfo<Damage>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace gfx::effect
