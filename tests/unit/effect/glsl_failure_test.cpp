// When the GL refuses the GLSL made from an effect: the message names the
// effect's line the statement came from (the GLSL's #line directives) and
// quotes it, never the GL's words about GLSL the user did not write.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/gfx/effect/effect_compiler.h"
#include "platform/gfx/effect/glsl_failure.h"
#include "support/text_files.h"

namespace gfx::effect {
namespace {

const std::string kText =
    "float4 c;\n"
    "float4 PS(float2 uv : TEXCOORD0) : COLOR0\n"
    "{\n"
    "    return tex2D(Undeclared, uv) * c;\n"
    "}\n";

struct GlLog {
    const char* name;
    const char* log;
    const char* message;
};

class GlslFailureTest : public testing::TestWithParam<GlLog> {};

TEST_P(GlslFailureTest, NamesTheEffectsLine) {
    PassProgram pass;
    pass.name = "P1";
    pass.line = 9;
    const std::string message = DescribeGlFailure(GetParam().log, "e.fx", kText, pass, "T");
    EXPECT_EQ(message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, GlslFailureTest,
    testing::Values(GlLog{"MesaCompile",
                          "fragment shader: 0:4(12): error: `Undeclared_S' undeclared\n0:4(12): "
                          "error: type mismatch\n",
                          "e.fx(4,5): error: pass 'P1' of technique 'T': this line of its pixel "
                          "shader could not be "
                          "translated for OpenGL: return tex2D(Undeclared, uv) * c;\n"},
                    GlLog{"OtherVendorsForm",
                          "vertex shader: ERROR: 0:2: 'x' : undeclared identifier\n",
                          "e.fx(2,1): error: pass 'P1' of technique 'T': this line of its vertex "
                          "shader could not be "
                          "translated for OpenGL: float4 PS(float2 uv : TEXCOORD0) : COLOR0\n"},
                    GlLog{"NoLine", "link: error: too many uniforms\n",
                          "e.fx(9,1): error: pass 'P1' of technique 'T': its program could not be "
                          "translated for OpenGL\n"},
                    GlLog{"LinePastTheFile", "fragment shader: 0:400(1): error: x\n",
                          "e.fx(9,1): error: pass 'P1' of technique 'T': its pixel shader could "
                          "not be translated for OpenGL\n"}),
    [](const testing::TestParamInfo<GlLog>& info) { return std::string(info.param.name); });

// The GLSL carries the effect's lines: the line of ModelPS's return
// statement stands in a #line directive of the pass's pixel GLSL.
TEST(GlslFailureTest, GlslCarriesTheEffectsLines) {
    const std::string text = rrtest::ReadSourceText("data/Shaders/ReflectionOrRefraction.fx");
    CompiledEffect effect;
    std::string log;
    ASSERT_TRUE(CompileEffect(text, "e.fx", &effect, &log)) << log;
    int line = 1;
    for (size_t i = 0; i < text.find("return float4(saturate(color), 1.0);"); ++i)
        line += text[i] == '\n';
    const std::string& glsl = effect.techniques[0].passes[1].pixelGlsl;
    EXPECT_NE(glsl.find("#line " + std::to_string(line) + "\n"), std::string::npos) << glsl;
    EXPECT_EQ(glsl.find("GL_GOOGLE_cpp_style_line_directive"), std::string::npos);
    EXPECT_FALSE(std::regex_search(glsl, std::regex("#line \\d+ \"")));
}

}  // namespace
}  // namespace gfx::effect
