// The technique/pass block reader: what it records, what it blanks, and the
// messages for blocks it cannot read.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/gfx/effect/effect_source.h"

namespace gfx::effect {
namespace {

const char* kTwoTechniques = R"(float4 f; // technique in a comment
/* technique Hidden { pass { } } */
float4 VS(float4 p : POSITION) : POSITION { return p * f; }
float4 PS() : COLOR0 { return f; }
technique First
{
    pass Sky { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); }
    pass
    {
        vertexshader = compile vs_2_0 VS();
        PIXELSHADER = compile ps_2_a PS();
    }
}
technique Second < string note = "technique { pass }"; >
{
    pass Only < int x = 1; > { PixelShader = compile ps_3_0 PS(); VertexShader = compile vs_3_0 VS(); }
}
float4 after;
)";

TEST(EffectSourceTest, RecordsTechniquesPassesAndShaders) {
    EffectSource source;
    std::string error;
    ASSERT_TRUE(ReadEffectSource(kTwoTechniques, "a.fx", &source, &error)) << error;
    ASSERT_EQ(source.techniques.size(), 2u);

    const TechniqueDesc& first = source.techniques[0];
    EXPECT_EQ(first.name, "First");
    EXPECT_EQ(first.line, 5);
    ASSERT_EQ(first.passes.size(), 2u);
    EXPECT_EQ(first.passes[0].name, "Sky");
    EXPECT_EQ(first.passes[0].vertexShader.entry, "VS");
    EXPECT_EQ(first.passes[0].vertexShader.profile, "vs_3_0");
    EXPECT_EQ(first.passes[0].pixelShader.entry, "PS");
    EXPECT_EQ(first.passes[0].vertexShader.line, 7);
    // Unnamed pass: labelled by its index; state names are case-insensitive.
    EXPECT_EQ(first.passes[1].name, "");
    EXPECT_EQ(PassLabel(first.passes[1], 1), "P1");
    EXPECT_EQ(first.passes[1].vertexShader.profile, "vs_2_0");
    EXPECT_EQ(first.passes[1].pixelShader.profile, "ps_2_a");
    EXPECT_EQ(first.passes[1].pixelShader.line, 11);

    const TechniqueDesc& second = source.techniques[1];
    EXPECT_EQ(second.name, "Second");
    ASSERT_EQ(second.passes.size(), 1u);
    EXPECT_EQ(second.passes[0].name, "Only");
    EXPECT_EQ(second.passes[0].vertexShader.entry, "VS");
    EXPECT_EQ(second.passes[0].pixelShader.entry, "PS");
}

TEST(EffectSourceTest, BlankingKeepsEveryLineAndColumnOutsideTheBlocks) {
    EffectSource source;
    std::string error;
    ASSERT_TRUE(ReadEffectSource(kTwoTechniques, "a.fx", &source, &error)) << error;
    const std::string original = kTwoTechniques;
    ASSERT_EQ(source.hlsl.size(), original.size());
    size_t blockBegin = original.find("technique First");
    size_t blockEnd = original.find("float4 after;");
    for (size_t i = 0; i < original.size(); ++i) {
        if (original[i] == '\n') {
            EXPECT_EQ(source.hlsl[i], '\n') << "line break moved at " << i;
        } else if (i >= blockBegin && i < blockEnd) {
            EXPECT_TRUE(source.hlsl[i] == ' ' || source.hlsl[i] == '\n') << "kept at " << i;
        } else {
            EXPECT_EQ(source.hlsl[i], original[i]) << "changed at " << i;
        }
    }
    // The commented-out block stays as it was: the compiler ignores it anyway.
    EXPECT_NE(source.hlsl.find("/* technique Hidden { pass { } } */"), std::string::npos);
}

TEST(EffectSourceTest, KeepsCarriageReturnsAndPreprocessorLines) {
    // Directives run on past a line splice, in a string too, and through a
    // comment that spans lines.
    const std::string text =
        "#define S \"a\\\r\nb\"\r\n#define C /* x\r\n y */ 1\r\n"
        "#define TECH technique\r\n#if 1\r\nfloat4 f;\r\n#endif\r\n"
        "technique T\r\n{\r\n pass { VertexShader = compile vs_3_0 V(); "
        "PixelShader = compile ps_3_0 P(); }\r\n}\r\nfloat g;\r\n";
    EffectSource source;
    std::string error;
    ASSERT_TRUE(ReadEffectSource(text, "crlf.fx", &source, &error)) << error;
    ASSERT_EQ(source.techniques.size(), 1u);
    EXPECT_EQ(source.techniques[0].line, 9);
    EXPECT_NE(source.hlsl.find("#define TECH technique"), std::string::npos);
    size_t lines = 0;
    for (size_t i = 0; i < source.hlsl.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            EXPECT_EQ(source.hlsl[i], text[i]);
        }
        if (text[i] == '\n') ++lines;
    }
    EXPECT_EQ(lines, 13u);
    EXPECT_NE(source.hlsl.find("float g;"), std::string::npos);
}

struct BadBlock {
    const char* text;
    const char* message;  // expected in the error, with its "(line): error: " prefix
};

class EffectSourceErrorTest : public testing::TestWithParam<BadBlock> {};

// "(2): error: what" expects "dir/x.fx(2,COLUMN): error: what".
bool SaysAtLine(const std::string& error, const std::string& path, const std::string& message) {
    size_t close = message.find(')');
    std::string line = message.substr(0, close);  // "(2"
    std::string rest = message.substr(close);     // "): error: what"
    size_t at = error.find(path + line + ",");
    return at == 0 && error.find(rest, at) != std::string::npos;
}

TEST_P(EffectSourceErrorTest, GivesFileLineAndReason) {
    EffectSource source;
    source.hlsl = "untouched";
    std::string error;
    EXPECT_FALSE(ReadEffectSource(GetParam().text, "dir/x.fx", &source, &error));
    EXPECT_TRUE(SaysAtLine(error, "dir/x.fx", GetParam().message)) << "error was: " << error;
    EXPECT_EQ(source.hlsl, "untouched");  // nothing handed back on failure
}

#define VS_OK "VertexShader = compile vs_3_0 V();"
#define PS_OK "PixelShader = compile ps_3_0 P();"

INSTANTIATE_TEST_SUITE_P(
    Blocks, EffectSourceErrorTest,
    testing::Values(
        BadBlock{"float4 f;\n", "(2): error: the effect has no technique"},
        BadBlock{"technique {\n}", "(1): error: expected the technique's name, found '{'"},
        BadBlock{"technique T\n pass", "(2): error: expected '{' after technique 'T'"},
        BadBlock{"\ntechnique T {\n}\n", "(2): error: technique 'T' has no pass"},
        BadBlock{"technique T {\n pass A {\n " VS_OK "\n",
                 "(2): error: pass 'A' of technique "
                 "'T' is not closed with '}'"},
        BadBlock{"technique T {\n pass A { " VS_OK " " PS_OK " }\n",
                 "(1): error: technique 'T' is not closed with '}'"},
        BadBlock{"technique T {\n float4 x;\n}",
                 "(2): error: expected 'pass' or '}' in "
                 "technique 'T', found 'float4'"},
        BadBlock{"technique T {\n pass A {\n " PS_OK " }\n}",
                 "(2): error: pass 'A' of technique 'T' has no VertexShader"},
        BadBlock{"technique T {\n pass {\n " VS_OK " }\n}",
                 "(2): error: pass 'P0' of technique 'T' has no PixelShader"},
        BadBlock{"technique T {\n pass A {\n StencilEnable = True; }\n}",
                 "(3): error: state 'StencilEnable' in pass 'A' of technique 'T' is not "
                 "supported"},
        BadBlock{"technique T {\n pass A {\n FillMode = Dotted; }\n}",
                 "(3): error: 'Dotted' is not a value of FillMode in pass 'A'"},
        BadBlock{"technique T {\n pass A {\n CullMode = CW;\n cullmode = 1; }\n}",
                 "(4): error: cullmode is set twice in pass 'A'"},
        BadBlock{"technique T {\n pass A {\n VertexShader = compile ps_3_0 V(); }\n}",
                 "(3): error: profile 'ps_3_0' does not fit VertexShader"},
        BadBlock{"technique T {\n pass A {\n VertexShader = V; }\n}",
                 "(3): error: expected 'compile PROFILE Entry()' after VertexShader"},
        BadBlock{"technique T {\n pass A {\n VertexShader = compile vs_3_0 V(1); }\n}",
                 "(3): error: entry point 'V' is compiled without arguments"},
        BadBlock{"technique T {\n pass A {\n VertexShader = compile vs_3_0 V() }\n}",
                 "(3): error: expected ';' after 'V()'"},
        BadBlock{"technique T {\n pass A {\n " VS_OK "\n " VS_OK " }\n}",
                 "(4): error: VertexShader is set twice"},
        BadBlock{"technique T { pass { " VS_OK " " PS_OK " } }\ntechnique T { pass { " VS_OK
                 " " PS_OK " } }",
                 "(2): error: technique 'T' is defined twice"},
        BadBlock{"technique T < string s = \"x\"; \n {",
                 "(1): error: annotation of technique "
                 "'T' is not closed"},
        BadBlock{"float f;\n/* open", "(2): error: comment not closed"},
        // The first fault in the file is the one reported.
        BadBlock{"technique {\n} /* open", "(1): error: expected the technique's name, found '{'"},
        BadBlock{"technique T < string s = \"open\n> {}", "(1): error: string not closed"}));

TEST(EffectSourceTest, PassRenderStatesAreReadByNameOrNumber) {
    gfx::effect::EffectSource source;
    std::string error;
    ASSERT_TRUE(gfx::effect::ReadEffectSource(
        "technique T { pass A { " VS_OK " " PS_OK
        "\n FillMode = solid; CullMode = 3; ZEnable = FALSE; ZWriteEnable = True; } }",
        "e.fx", &source, &error))
        << error;
    const auto& states = source.techniques[0].passes[0].renderStates;
    ASSERT_EQ(states.size(), 4u);
    EXPECT_EQ(states[0].state, 8u);  // fill mode: solid is 3
    EXPECT_EQ(states[0].value, 3u);
    EXPECT_EQ(states[1].state, 22u);  // cull mode: counter-clockwise is 3
    EXPECT_EQ(states[1].value, 3u);
    EXPECT_EQ(states[2].state, 7u);
    EXPECT_EQ(states[2].value, 0u);
    EXPECT_EQ(states[3].state, 14u);
    EXPECT_EQ(states[3].value, 1u);
    EXPECT_EQ(states[0].line, 2);
}

TEST(EffectSourceTest, PassesAreCountedOverAllTechniques) {
    std::string text;
    for (size_t i = 0; i < kMaxPasses; ++i) {
        text += "technique T" + std::to_string(i) + " { pass { " VS_OK " " PS_OK " } }\n";
    }
    EffectSource source;
    std::string error;
    ASSERT_TRUE(ReadEffectSource(text, "p.fx", &source, &error)) << error;
    EXPECT_EQ(source.techniques.size(), kMaxPasses);
    text += "technique Last { pass { " VS_OK " " PS_OK " } }\n";
    EXPECT_FALSE(ReadEffectSource(text, "p.fx", &source, &error));
    EXPECT_EQ(error, "p.fx(" + std::to_string(kMaxPasses + 1) + ",18): error: more than " +
                         std::to_string(kMaxPasses) + " passes in the effect");
}

// Whatever the bytes, the reader answers without crashing or reading past the
// text (run under the sanitizers).
TEST(EffectSourceTest, SurvivesArbitraryBytes) {
    std::mt19937 random(1234);
    const std::string pieces[] = {"technique", "pass",   "{", "}",  "<", ">",          "=",  ";",
                                  "compile",   "vs_3_0", "V", "(",  ")", "\"",         "/*", "*/",
                                  "//",        "\n",     "#", "\\", " ", "PixelShader"};
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            if (random() % 5 == 0) {
                text += static_cast<char>(random() % 256);
            } else {
                text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
            }
        }
        EffectSource source;
        std::string error;
        if (ReadEffectSource(text, "f.fx", &source, &error)) {
            EXPECT_EQ(source.hlsl.size(), text.size());
            EXPECT_FALSE(source.techniques.empty());
        } else {
            EXPECT_EQ(error.rfind("f.fx(", 0), 0u) << error;
        }
    }
}

}  // namespace
}  // namespace gfx::effect
