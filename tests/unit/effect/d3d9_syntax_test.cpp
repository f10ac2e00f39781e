// The Direct3D 9 declarations the reader turns into what glslang reads: what
// the text becomes, what is recorded, and where the columns of a changed
// line point back to.
#include <gtest/gtest.h>

#include <string>

#include "platform/gfx/effect/effect_compiler.h"
#include "platform/gfx/effect/effect_source.h"

namespace gfx::effect {
namespace {

const std::string kTechnique =
    "technique T { pass { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } "
    "}\n";

// The text handed on, with runs of blanks made one, for comparing.
std::string Squeezed(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' ' || out.back() == '\n')) continue;
        out += c;
    }
    return out;
}

struct Declaration {
    const char* name;
    std::string text;
    std::string handedOn;  // what glslang sees of it, squeezed
    std::string sampler;   // the sampler recorded ("" for none)
    std::string texture;   // its parameter
    TextureDim dim;
    size_t states;
};

class D3D9DeclarationTest : public testing::TestWithParam<Declaration> {};

TEST_P(D3D9DeclarationTest, BecomesWhatGlslangReads) {
    const Declaration& d = GetParam();
    EffectSource source;
    std::string error;
    ASSERT_TRUE(ReadEffectSource(d.text + kTechnique, "d.fx", &source, &error)) << error;
    // The technique's line is blanked, not shortened: what comes before it is the declaration's.
    std::string seen = source.hlsl.substr(0, source.hlsl.size() - kTechnique.size());
    EXPECT_EQ(Squeezed(seen).substr(0, d.handedOn.size()), d.handedOn) << source.hlsl;
    if (d.sampler.empty()) {
        EXPECT_TRUE(source.samplers.empty());
        return;
    }
    ASSERT_EQ(source.samplers.size(), 1u);
    EXPECT_EQ(source.samplers[0].sampler, d.sampler);
    EXPECT_EQ(source.samplers[0].texture, d.texture);
    EXPECT_EQ(source.samplers[0].dim, d.dim);
    EXPECT_EQ(source.samplers[0].states.size(), d.states);
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, D3D9DeclarationTest,
    testing::Values(
        Declaration{"CubeSampler",
                    "texture Env;\nsamplerCUBE S = sampler_state { Texture = <Env>; MinFilter = "
                    "Linear; MagFilter = Point; MipFilter = None; };\n",
                    "\nsamplerCUBE S ;\n", "S", "Env", TextureDim::Cube, 3},
        Declaration{"UntypedSamplerTakesItsTexturesType",
                    "textureCUBE Env;\nsampler S = sampler_state { Texture = (Env); };\n",
                    "\nsamplerCUBE S ;\n", "S", "Env", TextureDim::Cube, 0},
        Declaration{"UntypedSamplerTakesItsCallsType",
                    "texture T;\nsampler S = sampler_state { texture = T; AddressU = Clamp; };\n"
                    "float4 F(float3 d) { return tex3D(S, d); }\n",
                    "\nsampler3D S ;\nfloat4 F(float3 d) { return tex3D(S, d); }\n", "S", "T",
                    TextureDim::Tex3D, 1},
        Declaration{"UntypedEverythingIs2D",
                    "texture T < string Name = \"a;b\"; > ;\nsampler S = sampler_state { TEXTURE = "
                    "<T>; };\n",
                    "\nsampler2D S ;\n", "S", "T", TextureDim::Tex2D, 0},
        Declaration{
            "SemanticAndRegisterStay",
            "texture2D T : DIFFUSE;\nsampler2D S : register(s3) = sampler_state { Texture = <T>; "
            "MaxAnisotropy = 8; };\n",
            "\nsampler2D S : register(s3) ;\n", "S", "T", TextureDim::Tex2D, 0},
        Declaration{"PlainSamplerIsGlslangsOwn", "sampler2D S;\nTexture2D N;\n",
                    "sampler2D S;\nTexture2D N;\n", "", "", TextureDim::None, 0},
        Declaration{"InsideAFunctionNothingChanges", "float4 F() { texture t; return 0; }\n",
                    "float4 F() { texture t; return 0; }\n", "", "", TextureDim::None, 0}),
    [](const testing::TestParamInfo<Declaration>& info) { return std::string(info.param.name); });

TEST(D3D9SyntaxTest, InitialValuesAreRecordedForNumbersOnly) {
    EffectSource source;
    std::string error;
    ASSERT_TRUE(ReadEffectSource(
        "float fBias = 0.25;\n"
        "uniform float4 vTint : COLOR < string UI = \"x\"; > = float4(1, -0.5, .25f, 2);\n"
        "float2 list = { 3, 4 };\n"
        "bool on = true;\n"
        "static float hidden = 1;\n"
        "float computed = 1 + 2;\n"
        "float noValue;\n" +
            kTechnique,
        "v.fx", &source, &error))
        << error;
    ASSERT_EQ(source.defaults.size(), 4u);
    EXPECT_EQ(source.defaults[0].name, "fBias");
    EXPECT_EQ(source.defaults[0].values, std::vector<float>({0.25f}));
    EXPECT_EQ(source.defaults[1].name, "vTint");
    EXPECT_EQ(source.defaults[1].values, std::vector<float>({1, -0.5f, 0.25f, 2}));
    EXPECT_EQ(source.defaults[2].values, std::vector<float>({3, 4}));
    EXPECT_EQ(source.defaults[3].values, std::vector<float>({1}));
}

TEST(D3D9SyntaxTest, AMessageOnALineMadeLongerPointsAtTheFilesColumn) {
    // "sampler" becomes "samplerCUBE": four columns more from the type on.
    const std::string text =
        "textureCUBE Env;\nsampler S = sampler_state { Texture = <Env>; }; float4 bad = oops;\n" +
        kTechnique + "float4 VS() : POSITION { return 0; }\nfloat4 PS() : COLOR0 { return 0; }\n";
    CompiledEffect effect;
    std::string log;
    ASSERT_FALSE(CompileEffect(text, "c.fx", &effect, &log));
    const size_t column = text.find("oops") - text.find('\n');  // 1-based on line 2
    EXPECT_NE(log.find("c.fx(2," + std::to_string(column) + "): error: 'oops' : unknown variable"),
              std::string::npos)
        << log;
}

struct BadSampler {
    const char* text;
    const char* message;
};

class D3D9SamplerErrorTest : public testing::TestWithParam<BadSampler> {};

TEST_P(D3D9SamplerErrorTest, NamesLineAndColumn) {
    EffectSource source;
    std::string error;
    EXPECT_FALSE(
        ReadEffectSource(std::string(GetParam().text) + kTechnique, "s.fx", &source, &error));
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, D3D9SamplerErrorTest,
    testing::Values(
        BadSampler{"sampler S = 3;\n", "s.fx(1,13): error: expected 'sampler_state { ... }'"},
        BadSampler{"sampler S = sampler_state ;\n",
                   "s.fx(1,27): error: expected '{' after sampler_state"},
        BadSampler{"sampler S = sampler_state { MinFilter = Blurry; };\n",
                   "s.fx(1,41): error: not a value of MinFilter"},
        BadSampler{"sampler S = sampler_state { Colour = Red; };\n",
                   "s.fx(1,29): error: sampler state 'Colour' is not supported"},
        BadSampler{"sampler S = sampler_state { Texture = ; };\n",
                   "s.fx(1,29): error: expected 'Texture = <name>;'"},
        BadSampler{"sampler S = sampler_state { MinFilter = Linear }\n",
                   "error: expected ';' after MinFilter"},
        BadSampler{"sampler S = sampler_state { MinFilter = Linear; }\n",
                   "error: expected ';' after the sampler_state of 'S'"},
        BadSampler{"texture T\n", "s.fx(1,1): error: texture 'T' is not ended with ';'"}));

}  // namespace
}  // namespace gfx::effect
