// The compiled effect as bytes: what the compiler process sends comes back
// whole, and bytes cut short or changed are refused, never read past.
#include <gtest/gtest.h>

#include <string>

#include "platform/gfx/effect/effect_codec.h"
#include "support/text_files.h"

namespace gfx::effect {
namespace {

CompiledEffect ShippedEffect() {
    CompiledEffect effect;
    std::string log;
    EXPECT_TRUE(CompileEffect(rrtest::ReadSourceText("data/Shaders/ReflectionOrRefraction.fx"),
                              "e.fx", &effect, &log))
        << log;
    effect.parameters[0].defaults = {0.25f, -1.0f};
    effect.parameters[0].sharedUnits = {3};
    effect.parameters[0].samplerStates = {{6, 2, 4, 5}};
    effect.warnings = "e.fx(1,1): warning: w\n";
    return effect;
}

TEST(EffectCodecTest, ResultComesBackWhole) {
    CompileResult result;
    result.compiled = true;
    result.effect = ShippedEffect();
    CompileResult back;
    ASSERT_TRUE(DecodeResult(EncodeResult(result), &back));
    ASSERT_TRUE(back.compiled);
    // Encoding what came back gives the same bytes: every field travelled.
    EXPECT_EQ(EncodeResult(back), EncodeResult(result));
    EXPECT_EQ(back.effect.techniques[0].passes[1].pixelGlsl,
              result.effect.techniques[0].passes[1].pixelGlsl);
    EXPECT_EQ(back.effect.parameters[0].defaults, (std::vector<float>{0.25f, -1.0f}));

    CompileResult failed;
    failed.log = "e.fx(3,4): error: no\n";
    ASSERT_TRUE(DecodeResult(EncodeResult(failed), &back));
    EXPECT_FALSE(back.compiled);
    EXPECT_EQ(back.log, failed.log);
}

TEST(EffectCodecTest, RequestComesBackWhole) {
    CompileRequest request;
    request.path = "dir/e.fx";
    std::string error;
    ASSERT_TRUE(ReadEffectSource(
        "texture T;\nsampler S = sampler_state { Texture = <T>; MinFilter = Linear; };\n"
        "float f = 0.5;\n"
        "technique A { pass P { VertexShader = compile vs_2_0 V(); "
        "PixelShader = compile ps_2_0 P(); CullMode = None; } }\n",
        request.path, &request.source, &error))
        << error;
    CompileRequest back;
    ASSERT_TRUE(DecodeRequest(EncodeRequest(request), &back));
    EXPECT_EQ(EncodeRequest(back), EncodeRequest(request));
    EXPECT_EQ(back.source.samplers.at(0).texture, "T");
    EXPECT_EQ(back.source.columnShifts.size(), request.source.columnShifts.size());
}

TEST(EffectCodecTest, EveryCutAndFlippedByteIsRefusedOrReadSafely) {
    CompileResult result;
    result.compiled = true;
    result.effect = ShippedEffect();
    const std::string bytes = EncodeResult(result);
    CompileResult back;
    for (size_t size = 0; size < bytes.size(); ++size)
        ASSERT_FALSE(DecodeResult(bytes.substr(0, size), &back)) << "cut at " << size;
    EXPECT_FALSE(DecodeResult(bytes + "x", &back));
    // Changed bytes: lengths, counts, kinds; run under the sanitizers.
    for (size_t at = 0; at < bytes.size(); at += 7) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 0xA5);
        if (DecodeResult(changed, &back) && back.compiled) {
            for (const ParameterInfo& parameter : back.effect.parameters) {
                if (parameter.kind != ValueKind::Texture) {
                    EXPECT_LT(parameter.block, back.effect.blocks.size());
                }
            }
        }
    }
    CompileRequest request;
    EXPECT_FALSE(DecodeRequest(bytes, &request));  // a result is no request
}

}  // namespace
}  // namespace gfx::effect
