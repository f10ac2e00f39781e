// The compiler process: the inputs that took the program down when glslang
// ran inside it, each answered with its message while this process goes on,
// and the answers of a compiler process that misbehaves.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/gfx/effect/compile_child.h"
#include "support/text_files.h"

namespace gfx::effect {
namespace {

std::string ShippedEffect() {
    return rrtest::ReadSourceText("data/Shaders/ReflectionOrRefraction.fx");
}

// The program's effect with extra put just above its technique block.
std::string AboveTechnique(const std::string& extra) {
    std::string text = ShippedEffect();
    return text.insert(text.find("technique TShader"), extra + "\n");
}

std::string Repeat(const std::string& piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

const char* kSmallTechnique =
    "technique T { pass { VertexShader = compile vs_2_0 VS(); "
    "PixelShader = compile ps_2_0 PS(); } }\n";

struct HostileEffect {
    const char* name;
    std::string text;
    std::string message;  // found in the log
};

class HostileEffectTest : public testing::TestWithParam<HostileEffect> {};

TEST_P(HostileEffectTest, GivesItsMessageAndThisProcessGoesOn) {
    CompiledEffect effect;
    std::string log;
    EXPECT_FALSE(CompileEffectIsolated(GetParam().text, "f.fx", &effect, &log));
    EXPECT_NE(log.find(GetParam().message), std::string::npos) << log;
    EXPECT_EQ(log.rfind("f.fx", 0), 0u) << log;
    EXPECT_TRUE(effect.techniques.empty());
}

const std::string kCrash = "f.fx: error: the effect compiler crashed (signal 11) on this file";

INSTANTIATE_TEST_SUITE_P(
    GlslangCrashersAndRunaways, HostileEffectTest,
    testing::Values(
        HostileEffect{"StrayOut", ShippedEffect() + "out\n", kCrash},
        HostileEffect{"StrayIn", ShippedEffect() + "in\n", kCrash},
        HostileEffect{"UnfinishedCall", AboveTechnique("float u=o(e--"), kCrash},
        HostileEffect{"UnfinishedConstructor", AboveTechnique("float(float(float2"),
                      "f.fx(126,1): error: ';' : Expected"},
        HostileEffect{"ArrayParameterAtTheEnd", AboveTechnique("float r(float["), kCrash},
        HostileEffect{"UnnamedParameterOfAnEntryPoint",
                      std::string("float4 VS(int) : POSITION { return 0; }\n"
                                  "float4 PS() : COLOR0 { return 1; }\n") +
                          kSmallTechnique,
                      kCrash},
        HostileEffect{"VariableNamedTwice", AboveTechnique("int a; float x a;"), kCrash},
        HostileEffect{"ReturnedByteAddressBuffer",
                      std::string("ByteAddressBuffer B;\n"
                                  "ByteAddressBuffer VS() : POSITION { return B; }\n"
                                  "float4 PS() : COLOR0 { return 1; }\n") +
                          kSmallTechnique,
                      kCrash},
        HostileEffect{"NestedParentheses",
                      AboveTechnique("float deep() { return " + Repeat("(", 100000) + "1" +
                                     Repeat(")", 100000) + "; }"),
                      "f.fx: error: the effect compiler ran out of stack: something in this file "
                      "is nested too deeply"},
        HostileEffect{"NestedIfs",
                      AboveTechnique("float deep(float a) { " + Repeat("if (a > 0) ", 20000) +
                                     "a = 1; return a; }"),
                      "f.fx: error: the effect compiler ran out of time (2 s of processor time)"},
        HostileEffect{"DoublingDefines",
                      [] {
                          std::string text = "#define A0 x x\n";
                          for (int i = 1; i < 24; ++i)
                              text += "#define A" + std::to_string(i) + " A" +
                                      std::to_string(i - 1) + " A" + std::to_string(i - 1) + "\n";
                          return text + "float f() { return A23; }\n" + ShippedEffect();
                      }(),
                      "f.fx: error: the effect's macros expand too far: expanding them took the "
                      "compiler's 2 s of processor time"}),
    [](const testing::TestParamInfo<HostileEffect>& info) { return std::string(info.param.name); });

TEST(CompileChildTest, AGoodEffectComesBackAsCompiledInProcess) {
    const std::string text = ShippedEffect();
    CompiledEffect isolated, local;
    std::string log;
    ASSERT_TRUE(CompileEffectIsolated(text, "e.fx", &isolated, &log)) << log;
    ASSERT_TRUE(CompileEffect(text, "e.fx", &local, &log)) << log;
    ASSERT_EQ(isolated.techniques.size(), local.techniques.size());
    ASSERT_EQ(isolated.techniques[0].passes.size(), 2u);
    for (size_t p = 0; p < 2; ++p) {
        EXPECT_EQ(isolated.techniques[0].passes[p].vertexGlsl,
                  local.techniques[0].passes[p].vertexGlsl);
        EXPECT_EQ(isolated.techniques[0].passes[p].pixelGlsl,
                  local.techniques[0].passes[p].pixelGlsl);
    }
    EXPECT_EQ(isolated.parameters.size(), local.parameters.size());
}

// Programs standing in for a compiler process gone wrong: each failure is one
// sentence, and no wait outlasts the process.
struct BadProcess {
    const char* name;
    const char* script;  // a shell script run as the compiler program
    const char* message;
};

class BadProcessTest : public testing::TestWithParam<BadProcess> {};

TEST_P(BadProcessTest, IsReportedNotTrusted) {
    const std::string program = testing::TempDir() + "/compiler_" + GetParam().name + ".sh";
    {
        std::ofstream file(program);
        file << "#!/bin/sh\n" << GetParam().script << "\n";
    }
    ASSERT_EQ(std::system(("chmod +x '" + program + "'").c_str()), 0);
    CompileRequest request;
    request.path = "p.fx";
    CompileResult result;
    std::string failure;
    EXPECT_FALSE(RunCompilerProcess(program, request, &result, &failure, /*wallSeconds=*/2));
    EXPECT_NE(failure.find(GetParam().message), std::string::npos) << failure;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BadProcessTest,
    testing::Values(
        BadProcess{"Garbage", "cat >/dev/null; echo nonsense", "answer could not be read"},
        BadProcess{"Silent", "cat >/dev/null", "answer could not be read"},
        BadProcess{"ExitCode", "cat >/dev/null; echo 'it broke' >&2; exit 9",
                   "failed (exit code 9): it broke"},
        BadProcess{"Killed", "kill -SEGV $$", "crashed (signal 11)"},
        BadProcess{"OutOfMemory", "exit 3", "ran out of memory (512 MB)"},
        BadProcess{"ClosesItsOutputAndStays", "exec >&- 2>&-; sleep 60", "ran out of time"}),
    [](const testing::TestParamInfo<BadProcess>& info) { return std::string(info.param.name); });

// #include: relative names read from the effect's folder (nested ones from
// the including file's), nothing outside it, not without end.
struct Include {
    const char* name;
    const char* line;     // the effect's first line
    const char* message;  // empty: the effect compiles
};

class IncludeTest : public testing::TestWithParam<Include> {};

TEST_P(IncludeTest, ReadsTheEffectsFolderOnly) {
    const std::string folder = testing::TempDir() + "/include_" + GetParam().name;
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "/sub'").c_str()), 0);
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(folder + "/" + name) << text;
    };
    write("sub/tint.fxh", "#include \"colour.fxh\"\nfloat4 Tint() { return Colour(); }\n");
    write("sub/colour.fxh", "float4 Colour() { return float4(1, 0, 1, 1); }\n");
    write("sub/broken.fxh", "float4 Tint() { return notDeclared; }\n");
    write("loop.fxh", "#include \"loop.fxh\"\n");
    write("outside.fxh", "float4 Tint() { return 1; }\n");
    const std::string text =
        std::string(GetParam().line) +
        "\nfloat4 VS(float3 p : POSITION) : POSITION { return float4(p, 1); }\n"
        "float4 PS() : COLOR0 { return Tint(); }\n" +
        kSmallTechnique;
    CompiledEffect effect;
    std::string log;
    bool compiled = CompileEffectIsolated(text, folder + "/e.fx", &effect, &log);
    if (std::string(GetParam().message).empty()) {
        EXPECT_TRUE(compiled) << log;
    } else {
        EXPECT_FALSE(compiled);
        EXPECT_NE(log.find(GetParam().message), std::string::npos) << log;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, IncludeTest,
    testing::Values(Include{"NestedFromTheIncludersFolder", "#include \"sub/tint.fxh\"", ""},
                    Include{"MessageNamesTheIncludedFile", "#include \"sub/broken.fxh\"",
                            "/sub/broken.fxh(1): error: 'notDeclared' : unknown variable"},
                    Include{"Parent", "#include \"sub/../outside.fxh\"",
                            "'..' would leave the effect's folder"},
                    Include{"Absolute", "#include \"/etc/hostname\"",
                            "only names relative to the effect's folder"},
                    Include{"System", "#include <outside.fxh>", "write #include \"name\""},
                    Include{"Missing", "#include \"none.fxh\"",
                            "e.fx(1,1): error: '#include' : #include \"none.fxh\": cannot read"},
                    Include{"WithoutEnd", "#include \"loop.fxh\"",
                            "#include files nested deeper than 8"}),
    [](const testing::TestParamInfo<Include>& info) { return std::string(info.param.name); });

TEST(CompileChildTest, AMissingProgramIsSaidNotHung) {
    CompileRequest request;
    CompileResult result;
    std::string failure;
    EXPECT_FALSE(RunCompilerProcess("/nonexistent/rr-effect-compiler", request, &result, &failure));
    EXPECT_NE(failure.find("could not be started"), std::string::npos) << failure;
}

}  // namespace
}  // namespace gfx::effect
