// The compiler pipeline without GL: glslang's messages as file(line) texts,
// reflection of parameters, and the GLSL's attribute and varying places.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/gfx/effect/effect_compiler.h"
#include "platform/gfx/effect/hlsl_compiler.h"
#include "support/text_files.h"

namespace gfx::effect {
namespace {

std::string ReadShippedEffect() {
    return rrtest::ReadSourceText("data/Shaders/ReflectionOrRefraction.fx");
}

const ParameterInfo* FindParameter(const CompiledEffect& effect, const std::string& name) {
    for (const ParameterInfo& parameter : effect.parameters) {
        if (parameter.name == name) return &parameter;
    }
    return nullptr;
}

// The location GLSL gives the input whose name contains part.
int InputLocation(const std::string& glsl, const std::string& part) {
    std::regex pattern("layout\\(location = (\\d+)\\) in \\w+ (\\w+);");
    for (std::sregex_iterator it(glsl.begin(), glsl.end(), pattern), end; it != end; ++it) {
        if ((*it)[2].str().find(part) != std::string::npos) return std::stoi((*it)[1].str());
    }
    return -1;
}

const char* kTechnique =
    "technique T { pass A { VertexShader = compile vs_3_0 VS(); "
    "PixelShader = compile ps_3_0 PS(); } }\n";

TEST(EffectCompilerTest, ShippedEffectCompilesCleanlyWithItsInterface) {
    const std::string text = ReadShippedEffect();
    ASSERT_FALSE(text.empty());
    CompiledEffect effect;
    std::string log;
    ASSERT_TRUE(CompileEffect(text, "./Shaders/ReflectionOrRefraction.fx", &effect, &log)) << log;
    EXPECT_EQ(effect.warnings, "");
    ASSERT_EQ(effect.techniques.size(), 1u);
    EXPECT_EQ(effect.techniques[0].name, "TShader");
    ASSERT_EQ(effect.techniques[0].passes.size(), 2u);

    for (const char* name : {"matViewProjection", "matWorldView", "matWorldViewProjection",
                             "matWorldViewInverseTranspose"}) {
        const ParameterInfo* matrix = FindParameter(effect, name);
        ASSERT_NE(matrix, nullptr) << name;
        EXPECT_EQ(matrix->kind, ValueKind::Matrix) << name;
        EXPECT_EQ(matrix->layout.rows, 4u);
        EXPECT_EQ(matrix->layout.columns, 4u);
        EXPECT_EQ(matrix->layout.matrixStride, 16u);
        EXPECT_EQ(matrix->layout.size, 64u);
    }
    const ParameterInfo* position = FindParameter(effect, "vViewPosition");
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position->kind, ValueKind::Vector);
    const ParameterInfo* factor = FindParameter(effect, "fRef");
    ASSERT_NE(factor, nullptr);
    EXPECT_EQ(factor->kind, ValueKind::Float);
    const ParameterInfo* map = FindParameter(effect, "EnvironmentMap");
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->kind, ValueKind::Texture);
    EXPECT_EQ(map->dim, TextureDim::Cube);
    EXPECT_EQ(map->unit, 0u);

    // Pass 0 never reads the normal; pass 1 reads both at the device's places.
    const PassProgram& sky = effect.techniques[0].passes[0];
    const PassProgram& model = effect.techniques[0].passes[1];
    EXPECT_EQ(InputLocation(sky.vertexGlsl, "position"), 0);
    EXPECT_EQ(InputLocation(sky.vertexGlsl, "normal"), -1);
    EXPECT_EQ(InputLocation(model.vertexGlsl, "position"), 0);
    EXPECT_EQ(InputLocation(model.vertexGlsl, "normal"), 1);
    EXPECT_NE(sky.vertexGlsl.find("gl_Position ="), std::string::npos);
    EXPECT_NE(model.vertexGlsl.find("gl_Position ="), std::string::npos);
}

TEST(EffectCompilerTest, VertexInputsArePlacedBySemanticNotByOrder) {
    const std::string text = std::string(R"(
float4x4 m;
struct In { float3 n : NORMAL; float2 uv : TEXCOORD; float4 c : COLOR0; float3 p : POSITION; };
struct Out { float4 p : POSITION; float4 c : COLOR0; };
Out VS(In i) { Out o; o.p = mul(float4(i.p + i.n, 1), m) + float4(i.uv, 0, 0); o.c = i.c; return o; }
float4 PS(float4 c : COLOR0) : COLOR0 { return c; }
)") + kTechnique;
    CompiledEffect effect;
    std::string log;
    ASSERT_TRUE(CompileEffect(text, "in.fx", &effect, &log)) << log;
    const std::string& glsl = effect.techniques[0].passes[0].vertexGlsl;
    EXPECT_EQ(InputLocation(glsl, "_p"), 0) << glsl;
    EXPECT_EQ(InputLocation(glsl, "_n"), 1) << glsl;
    EXPECT_EQ(InputLocation(glsl, "_uv"), 2) << glsl;
    EXPECT_EQ(InputLocation(glsl, "_c"), 3) << glsl;
}

TEST(EffectCompilerTest, VaryingsMeetBySemanticWhateverTheDeclarationOrder) {
    const std::string text = std::string(R"(
struct Out { float4 p : POSITION; float3 a : TEXCOORD0; float3 b : TEXCOORD1; float3 c : TEXCOORD2; };
Out VS(float3 p : POSITION) { Out o; o.p = float4(p, 1); o.a = p; o.b = p * 2; o.c = p * 3; return o; }
float4 PS(float3 c : TEXCOORD2, float3 a : TEXCOORD0) : COLOR0 { return float4(a + c, 1); }
)") + kTechnique;
    CompiledEffect effect;
    std::string log;
    ASSERT_TRUE(CompileEffect(text, "v.fx", &effect, &log)) << log;
    const PassProgram& pass = effect.techniques[0].passes[0];
    std::smatch match;
    auto outputLocation = [&](const std::string& member) {
        std::regex pattern("layout\\(location = (\\d+)\\) out vec3 \\w*_" + member + ";");
        return std::regex_search(pass.vertexGlsl, match, pattern) ? std::stoi(match[1]) : -1;
    };
    EXPECT_GE(outputLocation("a"), 0) << pass.vertexGlsl;
    EXPECT_EQ(InputLocation(pass.pixelGlsl, "a"), outputLocation("a")) << pass.pixelGlsl;
    EXPECT_EQ(InputLocation(pass.pixelGlsl, "c"), outputLocation("c")) << pass.pixelGlsl;
}

TEST(EffectCompilerTest, ReflectsMatrixLayoutVectorsAndTexturesInDeclarationOrder) {
    const std::string text = std::string(R"(
float4x4 plain;
row_major float4x4 rows;
float3 v3;
float unused;
Texture2D Diffuse;
TextureCube Sky;
SamplerState S;
float4 VS(float3 p : POSITION) : POSITION { return mul(float4(p, 1), plain) + mul(float4(p, 1), rows); }
float4 PS() : COLOR0 { return Diffuse.Sample(S, v3.xy) + Sky.Sample(S, v3); }
)") + kTechnique;
    CompiledEffect effect;
    std::string log;
    ASSERT_TRUE(CompileEffect(text, "r.fx", &effect, &log)) << log;
    const ParameterInfo* plain = FindParameter(effect, "plain");
    const ParameterInfo* rows = FindParameter(effect, "rows");
    ASSERT_TRUE(plain && rows);
    // HLSL's default packing keeps columns together; row_major keeps rows.
    EXPECT_FALSE(plain->layout.rowsContiguous);
    EXPECT_TRUE(rows->layout.rowsContiguous);
    EXPECT_EQ(rows->layout.offset, 64u);
    const ParameterInfo* v3 = FindParameter(effect, "v3");
    ASSERT_NE(v3, nullptr);
    EXPECT_EQ(v3->kind, ValueKind::Vector);
    EXPECT_EQ(v3->layout.columns, 3u);
    const ParameterInfo* diffuse = FindParameter(effect, "Diffuse");
    const ParameterInfo* sky = FindParameter(effect, "Sky");
    ASSERT_TRUE(diffuse && sky);
    EXPECT_EQ(diffuse->dim, TextureDim::Tex2D);
    EXPECT_EQ(diffuse->unit, 0u);
    EXPECT_EQ(sky->dim, TextureDim::Cube);
    EXPECT_EQ(sky->unit, 1u);
    EXPECT_EQ(FindParameter(effect, "S"), nullptr);  // samplers are no parameters
    ASSERT_EQ(effect.blocks.size(), 1u);
    EXPECT_GE(effect.blocks[0].size, 64u * 2 + 12);
}

// Programs with errors: each message names the file and the line as written,
// technique blocks and all.
struct BadProgram {
    const char* name;
    std::string text;
    std::string message;
};

class EffectCompilerErrorTest : public testing::TestWithParam<BadProgram> {};

TEST_P(EffectCompilerErrorTest, NamesFileAndLine) {
    CompiledEffect effect;
    std::string log;
    EXPECT_FALSE(CompileEffect(GetParam().text, "./Shaders/Broken.fx", &effect, &log));
    EXPECT_NE(log.find(GetParam().message), std::string::npos) << log;
    EXPECT_EQ(log.find("ERROR:"), std::string::npos) << log;
    EXPECT_TRUE(effect.techniques.empty());
}

const std::string kGoodShaders =
    "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1); }\n"
    "float4 PS() : COLOR0 { return 1; }\n";

// Two lines, the second's pixel shader reading what does not exist.
const std::string kBrokenPixelShader =
    "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1); }\n"
    "float4 PS() : COLOR0 { return undefinedThing; }\n" +
    std::string(kTechnique);

INSTANTIATE_TEST_SUITE_P(
    Programs, EffectCompilerErrorTest,
    testing::Values(
        BadProgram{"UnknownVariable",
                   "technique T { pass A { VertexShader = compile vs_3_0 VS();\n"
                   " PixelShader = compile ps_3_0 PS(); } }\n"
                   "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1); }\n"
                   "\n"
                   "float4 PS() : COLOR0 { return undefinedThing; }\n",
                   "./Shaders/Broken.fx(5,31): error: 'undefinedThing' : unknown variable"},
        BadProgram{"SyntaxError", kGoodShaders + "float4 f = ;\n" + kTechnique,
                   "./Shaders/Broken.fx(3,1): error: "},
        BadProgram{"MissingEntryPoint",
                   kGoodShaders + "technique T { pass A {\n VertexShader = compile vs_3_0 VS();\n"
                                  " PixelShader = compile ps_3_0 Missing(); } }\n",
                   "./Shaders/Broken.fx(5,2): error: entry point 'Missing' not found"},
        BadProgram{"PixelInputNotWritten",
                   "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1); }\n"
                   "float4 PS(float2 uv : TEXCOORD3) : COLOR0 { return float4(uv, 0, 1); }\n" +
                       std::string(kTechnique),
                   "./Shaders/Broken.fx(3,60): error: pass 'A' of technique 'T': pixel shader "
                   "input 'TEXCOORD3' is not written by vertex shader 'VS'"},
        BadProgram{"VertexInputTheDeviceDoesNotFeed",
                   "float4 VS(float4 w : BLENDWEIGHT) : POSITION { return w; }\n"
                   "float4 PS() : COLOR0 { return 1; }\n" +
                       std::string(kTechnique),
                   "./Shaders/Broken.fx(3,24): error: pass 'A' of technique 'T': vertex input"},
        BadProgram{"BlockError", kGoodShaders + "technique T {}\n",
                   "./Shaders/Broken.fx(3,1): error: technique 'T' has no pass"},
        // "#line" in any spelling the preprocessor takes leaves the messages
        // on this file's own lines.
        BadProgram{"LineWithSourceNumber", "#line 70 3\n" + kBrokenPixelShader,
                   "./Shaders/Broken.fx(3,31): error: 'undefinedThing' : unknown variable"},
        BadProgram{"LineWithFileName", "#line 70 \"other.fx\"\n" + kBrokenPixelShader,
                   "./Shaders/Broken.fx(3,31): error: 'undefinedThing' : unknown variable"},
        BadProgram{"LineSpelledAcrossCommentsAndSplices",
                   "# /* a\n b */ li\\\nne 70 3\n" + kBrokenPixelShader,
                   "./Shaders/Broken.fx(5,31): error: 'undefinedThing' : unknown variable"}),
    [](const testing::TestParamInfo<BadProgram>& info) { return std::string(info.param.name); });

TEST(HlslCompilerTest, TranslatesGlslangMessages) {
    const std::string raw =
        "ERROR: a/b.fx:15: 'x' : unknown variable \n"
        "WARNING: a/b.fx:3: 'f' : something odd\n"
        "a/b.fx(15): error at column 33, HLSL parsing failed.\n"
        "ERROR: 3 compilation errors.  No code generated.\n"
        "\n"
        "ERROR: Linking fragment stage: trouble\n"
        "ERROR: 0:0: 'constructor' : can't convert\n"
        "ERROR: 0:7: 'y' : made up by glslang\n";
    EXPECT_EQ(TranslateGlslangLog(raw, "a/b.fx"),
              "a/b.fx(15): error: 'x' : unknown variable\n"
              "a/b.fx(3): warning: 'f' : something odd\n"
              "a/b.fx(15,33): error: the HLSL cannot be read from here on\n"
              "a/b.fx: error: Linking fragment stage: trouble\n"
              "a/b.fx: error: 'constructor' : can't convert\n"
              "a/b.fx(7): error: 'y' : made up by glslang\n");
}

}  // namespace
}  // namespace gfx::effect
