#include <gtest/gtest.h>

#include <cstring>

#include "platform/gfx/recording/recorder.h"
#include "render/frame_rate_counter.h"
#include "render/hud.h"
#include "render/hud_text.h"
#include "render/renderer.h"
#include "render/text_overlay.h"

namespace {

using namespace gfx;
using gfx::recording::Call;
using gfx::recording::GetRecorder;

DWORD fakeTicks = 0;
DWORD FakeTicks() { return fakeTicks; }

FrameRateCounter MakeCounter(DWORD start) {
    fakeTicks = start;
    FrameRateCounter counter;
    counter.tickSource = FakeTicks;
    return counter;
}

TEST(FrameRateCounter, FirstCallCountsAFrameButNoTime) {
    FrameRateCounter counter = MakeCounter(5000);
    float fps = 0.0f;
    counter.Update(fps);
    EXPECT_EQ(counter.frameCounter, 1u);
    EXPECT_EQ(counter.elapsedSeconds, 0.0f);
    EXPECT_EQ(counter.lastTime, 5000u);
    EXPECT_EQ(fps, 0.0f);
}

TEST(FrameRateCounter, CallsAQuarterSecondApartMeasureFiveOnTheFifthCall) {
    FrameRateCounter counter = MakeCounter(1000);
    float fps = 0.0f;
    for (int call = 1; call <= 4; ++call) {
        counter.Update(fps);
        EXPECT_EQ(fps, 0.0f) << call;
        fakeTicks += 250;
    }
    counter.Update(fps);
    EXPECT_EQ(fps, 5.0f);
    EXPECT_EQ(counter.frameCounter, 0u);
    EXPECT_EQ(counter.elapsedSeconds, 0.0f);

    // Between measurements the value is kept.
    fakeTicks += 250;
    counter.Update(fps);
    EXPECT_EQ(fps, 5.0f);
}

TEST(FrameRateCounter, APauseFallsIntoTheNextIntervalOnly) {
    FrameRateCounter counter = MakeCounter(0);
    float fps = 0.0f;
    counter.Update(fps);
    for (int i = 0; i < 9; ++i) {  // 10 calls, 0.9 s
        fakeTicks += 100;
        counter.Update(fps);
    }
    EXPECT_EQ(fps, 0.0f);
    fakeTicks += 10000;  // inactive for ten seconds
    counter.Update(fps);
    EXPECT_NEAR(fps, 11.0f / 10.9f, 1e-4f);

    for (int i = 0; i < 10; ++i) {
        fakeTicks += 100;
        counter.Update(fps);
    }
    EXPECT_NEAR(fps, 10.0f, 1e-3f);
}

TEST(FrameRateCounter, TickWrapPast32BitsGivesTheTrueDifference) {
    FrameRateCounter counter = MakeCounter(0xFFFFFF00u);
    float fps = 0.0f;
    counter.Update(fps);
    fakeTicks = 0x00000064u;  // 356 ms later, after the wrap
    counter.Update(fps);
    EXPECT_NEAR(counter.elapsedSeconds, 0.356f, 1e-6f);
    EXPECT_EQ(counter.frameCounter, 2u);
    EXPECT_EQ(fps, 0.0f);
}

TEST(TextOverlay, RectangleRightIsByteLengthTimesFontHeight) {
    Rect rect = TextLineRect("FPS: 0.000000", 1, 10, 20);
    EXPECT_EQ(std::strlen("FPS: 0.000000"), 13u);
    EXPECT_EQ(rect.right, 260);

    rect = TextLineRect("fourteen bytes", 1, 10, 20);
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.right, 280);
    EXPECT_EQ(rect.bottom, 30);

    EXPECT_EQ(std::strlen(kHudKeysCameraTurn), 26u);
    EXPECT_EQ(TextLineRect(kHudKeysCameraTurn, 1, 90, 20).right, 520);
    // Not offset by x.
    EXPECT_EQ(TextLineRect("ab", 300, 0, 20).right, 40);
}

TEST(TextOverlay, KoreanLinesAreCodePage949Bytes) {
    EXPECT_EQ(std::strlen(kHudKeysReflectRefract), 18u);
    EXPECT_EQ(std::strlen(kHudKeysCameraMove), 42u);
    EXPECT_EQ(std::strlen(kHudKeysLightMove), 62u);
    // "반사" is B9 DD BB E7 in code page 949.
    EXPECT_EQ(std::memcmp(kHudKeysReflectRefract + 4, "\xb9\xdd\xbb\xe7", 4), 0);
}

class HudTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetRecorder().Reset();
        ASSERT_EQ(renderer.InitDevice(recording::CreateDirect3D, nullptr, 800, 600, 20), S_OK);
        GetRecorder().calls.clear();
    }
    void TearDown() override { renderer.ReleaseDevice(); }
    Renderer renderer;
    char textBuffer[128] = {};
};

TEST_F(HudTest, DrawTextLineUsesTheFontWithThePackedColour) {
    renderer.SetTextColor(0.0f, 1.0f, 1.0f, 1.0f);
    renderer.DrawTextLine("fourteen bytes", 1, 10);
    renderer.SetTextColor(0.5f, 1.5f, -0.2f, 1.0f);
    renderer.DrawTextLine("x", 0, 0);
    renderer.DrawTextLine(nullptr, 0, 0);

    std::vector<Call> drawn = GetRecorder().Named("DrawTextA");
    ASSERT_EQ(drawn.size(), 2u);
    // no sprite, count −1, rectangle, format 0, colour
    EXPECT_EQ(drawn[0].args, (std::vector<double>{0, -1, 1, 10, 280, 30, 0, 0xFF00FFFFu}));
    EXPECT_EQ(drawn[0].text, "fourteen bytes");
    EXPECT_EQ(drawn[1].args[7], double(0xFF80FF00u));
    EXPECT_EQ(renderer.textRect.right, 20);  // the last drawn line's rectangle
}

TEST_F(HudTest, DrawsTheSevenLinesInOrder) {
    DrawHudLines(renderer, textBuffer, sizeof textBuffer, 0.0f);
    std::vector<Call> drawn = GetRecorder().Named("DrawTextA");
    ASSERT_EQ(drawn.size(), 7u);
    const char* texts[] = {
        "FPS: 0.000000",         "[CAMERA]X:0.000000, Y:100.000000, Z:-200.000000",
        kHudKeysReflectRefract,  kHudKeysCameraMove,
        kHudKeysCameraTurn,      kHudKeysLightMove,
        "[WIRE/SOLID] SPACE BAR"};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(drawn[i].text, texts[i]) << i;
        EXPECT_EQ(drawn[i].args[2], 1) << i;              // left
        EXPECT_EQ(drawn[i].args[3], 10 + 20.0 * i) << i;  // top
        EXPECT_EQ(drawn[i].args[4], 20.0 * std::strlen(texts[i])) << i;
        EXPECT_EQ(drawn[i].args[5], 30 + 20.0 * i) << i;  // bottom
    }
    EXPECT_EQ(drawn[4].args[4], 520);
}

TEST_F(HudTest, HugeValuesAreCutAtTheBufferInsteadOfOverflowingIt) {
    char guarded[160];
    std::memset(guarded, 'G', sizeof guarded);
    renderer.camera.position = {-3.0e38f, -3.0e38f, -3.0e38f};
    DrawHudLines(renderer, guarded, 128, 3.0e38f);
    std::vector<Call> drawn = GetRecorder().Named("DrawTextA");
    ASSERT_EQ(drawn.size(), 7u);
    EXPECT_EQ(drawn[0].text.substr(0, 5), "FPS: ");
    EXPECT_EQ(drawn[1].text.size(), 127u);
    for (size_t i = 128; i < sizeof guarded; ++i) EXPECT_EQ(guarded[i], 'G') << i;
}

}  // namespace
