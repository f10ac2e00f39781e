// Whether an effect fits what the frame draws with, and what it is told
// about the parameters the program leaves alone.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "platform/gfx/effect/technique_check.h"

namespace gfx::effect {
namespace {

constexpr const char* kUses[] = {"the box", "the character"};
constexpr ParameterRequirement kWanted[] = {
    {"Env", ValueKind::Texture, TextureDim::Cube},
    {"mat", ValueKind::Matrix},
    {"eye", ValueKind::Vector},
    {"f", ValueKind::Float},
};
constexpr TechniqueRequirements kFrame = {"TShader", 2, kUses, kWanted, std::size(kWanted)};

ParameterInfo Number(const char* name, ValueKind kind, uint32_t rows, uint32_t columns,
                     std::vector<float> defaults = {}) {
    ParameterInfo p;
    p.name = name;
    p.kind = kind;
    p.layout.rows = rows;
    p.layout.columns = columns;
    p.defaults = std::move(defaults);
    return p;
}

ParameterInfo Texture(const char* name, TextureDim dim) {
    ParameterInfo p;
    p.name = name;
    p.kind = ValueKind::Texture;
    p.dim = dim;
    return p;
}

CompiledEffect Fitting() {
    CompiledEffect effect;
    effect.techniques.push_back({"TShader", std::vector<PassProgram>(2)});
    effect.parameters = {Texture("Env", TextureDim::Cube), Number("mat", ValueKind::Matrix, 4, 4),
                         Number("eye", ValueKind::Vector, 1, 3),
                         Number("f", ValueKind::Float, 1, 1)};
    return effect;
}

struct Case {
    const char* name;
    void (*change)(CompiledEffect*);
    std::string missing;  // expected, exactly
};

class TechniqueCheckTest : public testing::TestWithParam<Case> {};

TEST_P(TechniqueCheckTest, NamesWhatIsMissing) {
    CompiledEffect effect = Fitting();
    GetParam().change(&effect);
    EXPECT_EQ(CheckTechnique(effect, kFrame).missing, GetParam().missing);
}

INSTANTIATE_TEST_SUITE_P(
    Effects, TechniqueCheckTest,
    testing::Values(
        Case{"Fits", [](CompiledEffect*) {}, ""},
        Case{"OnlyPassZero", [](CompiledEffect* e) { e->techniques[0].passes.resize(1); },
             "technique 'TShader' has no pass 1, which draws the character\n"},
        Case{"NoSuchTechnique", [](CompiledEffect* e) { e->techniques[0].name = "Other"; },
             "no technique named 'TShader' (the effect has 'Other')\n"},
        Case{"ParameterMissing",
             [](CompiledEffect* e) { e->parameters.erase(e->parameters.begin() + 3); },
             "parameter 'f' is missing: the program sets it as float every frame\n"},
        Case{"MatrixTooSmall", [](CompiledEffect* e) { e->parameters[1].layout.rows = 3; },
             "parameter 'mat' is float3x4; the program sets it as float4x4\n"},
        Case{"FlatTexture", [](CompiledEffect* e) { e->parameters[0].dim = TextureDim::Tex2D; },
             "parameter 'Env' is a 2D texture; the program sets it as a cube texture\n"},
        Case{"FloatAsVector",
             [](CompiledEffect* e) { e->parameters[3] = Number("f", ValueKind::Vector, 1, 4); },
             "parameter 'f' is float4; the program sets it as float\n"}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(TechniqueCheckTest, ParametersTheProgramLeavesAloneAreListedOnce) {
    CompiledEffect effect = Fitting();
    effect.parameters.push_back(Number("fBias", ValueKind::Float, 1, 1, {0.25f}));
    effect.parameters.push_back(Number("tint", ValueKind::Vector, 1, 3, {1, 0.5f, 0}));
    effect.parameters.push_back(Number("zero", ValueKind::Float, 1, 1));
    effect.parameters.push_back(Texture("Detail", TextureDim::Tex2D));
    TechniqueReport report = CheckTechnique(effect, kFrame);
    EXPECT_EQ(report.missing, "");
    EXPECT_EQ(report.unused,
              (std::vector<std::string>{
                  "fBias is not set by the program: it keeps its default 0.25",
                  "tint is not set by the program: it keeps its default (1, 0.5, 0)",
                  "zero is not set by the program: it stays 0",
                  "Detail is not set by the program: it samples no texture (black)"}));
}

}  // namespace
}  // namespace gfx::effect
