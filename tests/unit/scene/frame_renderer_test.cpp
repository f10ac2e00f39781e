#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/skinned_model.h"
#include "recorded_scene.h"

namespace {

using namespace gfx;
using gfx::recording::Call;
using gfx::recording::GetRecorder;

DWORD ticks = 0;
DWORD Ticks() { return ticks; }

// The recorded scene with a model of one mesh with two triangles and one
// three-keyframe clip.
class FrameTest : public RecordedSceneTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(RecordedSceneTest::SetUp());
        Device* device = renderer.device;
        scene.model = new SkinnedModel();
        SkinnedModel& model = *scene.model;
        model.device = device;
        ModelMesh& mesh = model.meshes[0];
        ASSERT_TRUE(mesh.AllocateBones(1));
        ASSERT_TRUE(mesh.AllocateTriangles(2));
        ASSERT_EQ(
            device->CreateVertexBuffer(2 * 72, 0, 0, D3DPOOL_DEFAULT, &mesh.vertexBuffer, nullptr),
            S_OK);
        model.meshCount = 1;
        ASSERT_TRUE(model.clips[0].AllocateFrames(3, 1));
        model.clipCount = 1;

        hud.counter.tickSource = Ticks;
        GetRecorder().calls.clear();
    }

    SkinnedModel& model() { return *scene.model; }
};

// A call of the frame and, where they matter, its arguments or its object.
struct Expected {
    std::string name;
    std::vector<double> args = {};  // empty: not checked
    uint32_t object = 0;            // 0: not checked
    std::string text = {};          // empty: not checked
};

TEST_F(FrameTest, FullFrameIssuesTheCallsInOrder) {
    frame.RenderFrame();

    const uint32_t declaration = recording::IdOf(scene.vertexDeclaration);
    std::vector<Expected> expected = {
        {"Clear", {0, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, double(0xFF0000FFu), 1.0, 0}},
        {"BeginScene"},
        {"SetTexture"},
        {"SetMatrix"},
        {"SetMatrix"},
        {"SetMatrix"},
        {"SetMatrix"},
        {"SetVector"},
        {"SetFloat"},
        {"SetTechnique", {}, 0, "TShader"},
        {"Begin", {0}},
        // Pass 0, the box: no culling, no depth test.
        {"SetRenderState", {D3DRS_CULLMODE, D3DCULL_NONE}},
        {"SetRenderState", {D3DRS_ZENABLE, D3DZB_FALSE}},
        {"BeginPass", {0}},
        {"SetVertexDeclaration", {double(declaration)}},
        {"SetStreamSource"},
        {"SetIndices"},
        {"DrawIndexedPrimitive"},
        {"EndPass"},
        // Pass 1, the model: clockwise culling, depth test, light 0 and lighting off.
        {"SetRenderState", {D3DRS_CULLMODE, D3DCULL_CW}},
        {"SetRenderState", {D3DRS_ZENABLE, D3DZB_TRUE}},
        {"BeginPass", {1}},
        {"LightEnable", {0, 0}},
        {"SetRenderState", {D3DRS_LIGHTING, 0}},
        {"SetVertexDeclaration", {double(declaration)}},
        {"Lock", {}, recording::IdOf(model().meshes[0].vertexBuffer)},
        {"Unlock"},
        {"SetStreamSource"},
        {"SetRenderState", {D3DRS_FILLMODE, 3}},
        {"DrawPrimitive", {D3DPT_TRIANGLELIST, 0, 1}},
        {"DrawPrimitive", {D3DPT_TRIANGLELIST, 3, 1}},
        {"EndPass"},
        {"End"}};
    for (int line = 0; line < 7; ++line) expected.push_back({"DrawTextA"});
    expected.push_back({"EndScene"});
    expected.push_back({"Present", {0, 0, 0, 0}});  // all null

    const std::vector<Call>& calls = GetRecorder().calls;
    ASSERT_EQ(calls.size(), expected.size()) << testing::PrintToString(GetRecorder().Names());
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE("call " + std::to_string(i) + ", " + expected[i].name);
        EXPECT_EQ(calls[i].name, expected[i].name);
        // Unchecked fields compare equal: the expected value is the call's own.
        EXPECT_EQ(calls[i].args, expected[i].args.empty() ? calls[i].args : expected[i].args);
        EXPECT_EQ(calls[i].object, expected[i].object ? expected[i].object : calls[i].object);
        EXPECT_EQ(calls[i].text, expected[i].text.empty() ? calls[i].text : expected[i].text);
    }

    EXPECT_EQ(hud.counter.frameCounter, 1u);
    EXPECT_FLOAT_EQ(model().clips[0].blend, 0.01f);  // the animation advanced one step
}

TEST_F(FrameTest, WireframeReachesTheModelDraw) {
    frame.settings.fillMode = 2;
    frame.RenderFrame();
    std::vector<Call> states = GetRecorder().Named("SetRenderState");
    EXPECT_EQ(states.back().args, (std::vector<double>{D3DRS_FILLMODE, 2}));
}

std::vector<FramePart> reached;
void Reached(void*, FramePart part) { reached.push_back(part); }

// Without an effect only the HUD is drawn; after a failed BeginScene nothing,
// but the frame is still presented and counted. The timing hears of the
// parts the frame went through.
TEST_F(FrameTest, WithoutAnEffectOrASceneLessIsDrawnButTheFrameCounts) {
    using P = FramePart;
    const std::vector<std::string> hudLines(7, "DrawTextA");
    struct Case {
        const char* name;
        bool effect;
        bool beginFails;
        std::vector<std::string> calls;
        std::vector<FramePart> parts;
    } cases[] = {
        {"whole frame",
         true,
         false,
         {},
         {P::Cleared, P::Prepared, P::SkyDrawn, P::ModelDrawn, P::HudDrawn, P::Presented,
          P::Counted}},
        {"no effect",
         false,
         false,
         {"Clear", "BeginScene"},
         {P::Cleared, P::HudDrawn, P::Presented, P::Counted}},
        {"BeginScene fails",
         true,
         true,
         {"Clear", "BeginScene", "Present"},
         {P::Cleared, P::Presented, P::Counted}},
    };
    const FrameTiming timing{nullptr, Reached};
    frame.timing = &timing;
    Effect* effect = scene.effect;
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.effect && !c.beginFails) {
            c.calls.insert(c.calls.end(), hudLines.begin(), hudLines.end());
            c.calls.push_back("EndScene");
            c.calls.push_back("Present");
        }
        GetRecorder().calls.clear();
        GetRecorder().failing.clear();
        if (c.beginFails) GetRecorder().failing.insert("BeginScene");
        scene.effect = c.effect ? effect : nullptr;
        model().clips[0].blend = 0.0f;
        hud.counter.frameCounter = 0;
        reached.clear();
        frame.RenderFrame();
        if (!c.calls.empty()) {
            EXPECT_EQ(GetRecorder().Names(), c.calls);
        }
        EXPECT_EQ(reached, c.parts);
        EXPECT_EQ(hud.counter.frameCounter, 1u);
        EXPECT_EQ(model().clips[0].blend, c.effect && !c.beginFails ? 0.01f : 0.0f);
    }
    scene.effect = effect;
}

TEST_F(FrameTest, ParametersAreReadFreshEachFrame) {
    frame.RenderFrame();
    frame.settings.reflectionFactor = 0.5f;
    renderer.camera.Walk(10);
    renderer.UpdateViewMatrix();
    GetRecorder().calls.clear();
    frame.RenderFrame();
    EXPECT_EQ(GetRecorder().Named("SetFloat")[0].args, (std::vector<double>{0.5}));
    EXPECT_EQ(GetRecorder().Named("SetVector")[0].args, (std::vector<double>{0, 100, -190, 1}));
}

TEST_F(FrameTest, NoClipLoadedLeavesPassOneEmptyButDrawsTheRest) {
    model().clips[0].ReleaseFrames();
    model().clipCount = 0;
    frame.RenderFrame();
    EXPECT_EQ(GetRecorder().Find("DrawPrimitive"), -1);
    EXPECT_NE(GetRecorder().Find("DrawIndexedPrimitive"), -1);
    EXPECT_EQ(GetRecorder().Named("DrawTextA").size(), 7u);
    EXPECT_NE(GetRecorder().Find("LightEnable"), -1);
}

// What the command line adds to a frame: the clip that plays, the picture
// taken before Present, the red HUD line (ASCII for the font, the HUD's
// colour kept), and the bind pose when no clip is loaded.
TEST_F(FrameTest, CommandLineAdditionsToTheFrame) {
    SkinnedModel& model = this->model();
    ASSERT_TRUE(model.clips[1].AllocateFrames(2, 1));
    model.clipCount = 2;
    frame.settings.clipIndex = 1;
    FrameCapture capture;
    capture.rgba = {1, 2, 3, 4};
    frame.settings.capture = &capture;
    frame.settings.hudAlert = "e.fx(1): \xc3\xa9rror\nm.smd: line 3";
    frame.RenderFrame();
    frame.RenderFrame();
    EXPECT_FLOAT_EQ(model.clips[1].blend, 0.02f);
    EXPECT_EQ(model.clips[0].blend, 0.0f);
    // Asked in each frame before its Present; the recording device has no
    // pixels to give.
    std::vector<std::string> reads;
    for (const std::string& name : GetRecorder().Names())
        if (name == "GetBackBufferPixels" || name == "Present") reads.push_back(name);
    EXPECT_EQ(reads, (std::vector<std::string>{"GetBackBufferPixels", "Present",
                                               "GetBackBufferPixels", "Present"}));
    EXPECT_FALSE(capture.taken);
    EXPECT_TRUE(capture.rgba.empty());
    std::vector<Call> texts = GetRecorder().Named("DrawTextA");
    ASSERT_EQ(texts.size(), 18u);
    EXPECT_EQ(texts[7].text, "e.fx(1): ??rror");
    EXPECT_EQ(texts[7].args[3], 150);
    EXPECT_EQ(texts[7].args[7], double(0xFFFF0000u));
    EXPECT_EQ(texts[8].text, "m.smd: line 3");
    EXPECT_EQ(texts[8].args[3], 170);
    EXPECT_EQ(texts[9].args[7], texts[0].args[7]);

    // The clip that plays has no keyframes: its file did not load (its slot
    // is kept), or no clip is loaded at all.
    model.clips[1].ReleaseFrames();
    for (int clips : {2, 0}) {
        model.clipCount = clips;
        for (bool bindPose : {false, true}) {
            GetRecorder().calls.clear();
            frame.settings.bindPoseWithoutClip = bindPose;
            frame.RenderFrame();
            EXPECT_EQ(GetRecorder().Named("DrawPrimitive").size(), bindPose ? 2u : 0u) << clips;
        }
    }
}

}  // namespace
