#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/skinned_model.h"
#include "platform/gfx/recording/recorder.h"
#include "support/dds_files.h"
#include "support/temp_folder.h"
#include "render/frame_rate_counter.h"
#include "render/renderer.h"
#include "scene/effect_setup.h"
#include "scene/frame_renderer.h"

namespace {

using namespace gfx;
using gfx::recording::Call;
using gfx::recording::GetRecorder;

DWORD ticks = 0;
DWORD Ticks() {
    return ticks;
}

// A device, an effect, the box and a model of one mesh with two triangles
// and one three-keyframe clip, all on the recording device.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetRecorder().Reset();
        folder.Write("Shaders/ReflectionOrRefraction.fx", "technique TShader {}");
        folder.Write("Textures/Snow.dds", rrtest::StandInCubeMap());
        folder.Enter();

        ASSERT_EQ(renderer.InitDevice(recording::CreateDirect3D, nullptr, 800, 600, 20), S_OK);
        Device* device = renderer.device;
        ASSERT_EQ(frame.box.Create(device), S_OK);
        ASSERT_EQ(CreateEffectObjects(device, declaration, effect, technique), S_OK);
        ASSERT_NE(effect, nullptr);
        frame.effect = effect;
        frame.technique = technique;
        frame.vertexDeclaration = declaration;

        model.device = device;
        ModelMesh& mesh = model.meshes[0];
        ASSERT_TRUE(mesh.AllocateBones(1));
        ASSERT_TRUE(mesh.AllocateTriangles(2));
        ASSERT_EQ(device->CreateVertexBuffer(2 * 72, 0, 0, D3DPOOL_DEFAULT, &mesh.vertexBuffer,
                                             nullptr),
                  S_OK);
        model.meshCount = 1;
        ASSERT_TRUE(model.clips[0].AllocateFrames(3, 1));
        model.clipCount = 1;

        counter.tickSource = Ticks;
        GetRecorder().calls.clear();
    }
    void TearDown() override {
        for (int i = 0; i < model.meshCount; ++i) model.meshes[i].Clear();
        model.meshCount = 0;
        SafeRelease(effect);
        SafeRelease(declaration);
        frame.box.Release();
        renderer.ReleaseDevice();
    }

    rrtest::TempFolder folder;
    Renderer renderer;
    Effect* effect = nullptr;
    EffectHandle technique = nullptr;
    VertexDeclaration* declaration = nullptr;
    VertexBuffer* boxVertices = nullptr;
    IndexBuffer* boxIndices = nullptr;
    CubeTexture* environmentMap = nullptr;
    SkinnedModel model;
    char textBuffer[128] = {};
    float framesPerSecond = 0.0f;
    FrameRateCounter counter;
    FrameRenderer frame{renderer, nullptr, nullptr, nullptr,
                        EnvironmentBox{boxVertices, boxIndices, environmentMap},
                        &model, 3, 0.01f, 2.0f, textBuffer, sizeof textBuffer,
                        framesPerSecond, counter};
};

std::vector<std::string> Repeat(const std::string& name, int count) {
    return std::vector<std::string>(size_t(count), name);
}

TEST_F(FrameTest, FullFrameIssuesTheCallsInOrder) {
    frame.RenderFrame();

    std::vector<std::string> expected = {
        "Clear", "BeginScene",
        "SetTexture", "SetMatrix", "SetMatrix", "SetMatrix", "SetMatrix", "SetVector", "SetFloat",
        "SetTechnique", "Begin",
        "SetRenderState", "SetRenderState", "BeginPass",
        "SetVertexDeclaration", "SetStreamSource", "SetIndices", "DrawIndexedPrimitive",
        "EndPass",
        "SetRenderState", "SetRenderState", "BeginPass",
        "LightEnable", "SetRenderState", "SetVertexDeclaration",
        "Lock", "Unlock", "SetStreamSource", "SetRenderState", "DrawPrimitive", "DrawPrimitive",
        "EndPass", "End"};
    for (const std::string& name : Repeat("DrawTextA", 7)) expected.push_back(name);
    expected.push_back("EndScene");
    expected.push_back("Present");
    ASSERT_EQ(GetRecorder().Names(), expected);

    const std::vector<Call>& calls = GetRecorder().calls;
    EXPECT_EQ(calls[0].args, (std::vector<double>{0, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                                                  double(0xFF0000FFu), 1.0, 0}));
    EXPECT_EQ(calls[9].text, "TShader");
    EXPECT_EQ(calls[10].args, (std::vector<double>{0}));  // Begin flags
    EXPECT_EQ(calls[11].args, (std::vector<double>{D3DRS_CULLMODE, D3DCULL_NONE}));
    EXPECT_EQ(calls[12].args, (std::vector<double>{D3DRS_ZENABLE, D3DZB_FALSE}));
    EXPECT_EQ(calls[13].args, (std::vector<double>{0}));
    EXPECT_EQ(calls[19].args, (std::vector<double>{D3DRS_CULLMODE, D3DCULL_CW}));
    EXPECT_EQ(calls[20].args, (std::vector<double>{D3DRS_ZENABLE, D3DZB_TRUE}));
    EXPECT_EQ(calls[21].args, (std::vector<double>{1}));
    EXPECT_EQ(calls[22].args, (std::vector<double>{0, 0}));  // light 0 off
    EXPECT_EQ(calls[23].args, (std::vector<double>{D3DRS_LIGHTING, 0}));
    EXPECT_EQ(calls[24].args[0], recording::IdOf(declaration));
    EXPECT_EQ(calls[25].object, recording::IdOf(model.meshes[0].vertexBuffer));
    EXPECT_EQ(calls[28].args, (std::vector<double>{D3DRS_FILLMODE, 3}));
    EXPECT_EQ(calls[29].args, (std::vector<double>{D3DPT_TRIANGLELIST, 0, 1}));
    EXPECT_EQ(calls[30].args, (std::vector<double>{D3DPT_TRIANGLELIST, 3, 1}));
    EXPECT_EQ(calls.back().args, (std::vector<double>{0, 0, 0, 0}));  // Present: all null

    EXPECT_EQ(counter.frameCounter, 1u);
    EXPECT_FLOAT_EQ(model.clips[0].blend, 0.01f);  // the animation advanced one step
}

TEST_F(FrameTest, WireframeReachesTheModelDraw) {
    frame.fillMode = 2;
    frame.RenderFrame();
    std::vector<Call> states = GetRecorder().Named("SetRenderState");
    EXPECT_EQ(states.back().args, (std::vector<double>{D3DRS_FILLMODE, 2}));
}

TEST_F(FrameTest, WithoutAnEffectOnlyTheHudIsDrawn) {
    frame.effect = nullptr;
    frame.RenderFrame();
    std::vector<std::string> expected = {"Clear", "BeginScene"};
    for (const std::string& name : Repeat("DrawTextA", 7)) expected.push_back(name);
    expected.push_back("EndScene");
    expected.push_back("Present");
    EXPECT_EQ(GetRecorder().Names(), expected);
    EXPECT_EQ(counter.frameCounter, 1u);
    EXPECT_EQ(model.clips[0].blend, 0.0f);
}

TEST_F(FrameTest, FailedBeginSceneDrawsNothingButPresentsAndCounts) {
    GetRecorder().failing.insert("BeginScene");
    frame.RenderFrame();
    const std::vector<std::string> expected = {"Clear", "BeginScene", "Present"};
    EXPECT_EQ(GetRecorder().Names(), expected);
    EXPECT_EQ(counter.frameCounter, 1u);
    EXPECT_EQ(model.clips[0].blend, 0.0f);
}

TEST_F(FrameTest, ParametersAreReadFreshEachFrame) {
    frame.RenderFrame();
    frame.reflectionFactor = 0.5f;
    renderer.camera.Walk(10);
    renderer.UpdateViewMatrix();
    GetRecorder().calls.clear();
    frame.RenderFrame();
    EXPECT_EQ(GetRecorder().Named("SetFloat")[0].args, (std::vector<double>{0.5}));
    EXPECT_EQ(GetRecorder().Named("SetVector")[0].args, (std::vector<double>{0, 100, -190, 1}));
}

TEST_F(FrameTest, NoClipLoadedLeavesPassOneEmptyButDrawsTheRest) {
    model.clips[0].ReleaseFrames();
    model.clipCount = 0;
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
    ASSERT_TRUE(model.clips[1].AllocateFrames(2, 1));
    model.clipCount = 2;
    frame.clipIndex = 1;
    FrameCapture capture;
    capture.rgba = {1, 2, 3, 4};
    frame.capture = &capture;
    frame.hudAlert = "e.fx(1): \xc3\xa9rror";
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
    ASSERT_EQ(texts.size(), 16u);
    EXPECT_EQ(texts[7].text, "e.fx(1): ??rror");
    EXPECT_EQ(texts[7].args[3], 150);
    EXPECT_EQ(texts[7].args[7], double(0xFFFF0000u));
    EXPECT_EQ(texts[8].args[7], texts[0].args[7]);

    for (int c = 0; c < 2; ++c) model.clips[c].ReleaseFrames();
    model.clipCount = 0;
    for (bool bindPose : {false, true}) {
        GetRecorder().calls.clear();
        frame.bindPoseWithoutClip = bindPose;
        frame.RenderFrame();
        EXPECT_EQ(GetRecorder().Named("DrawPrimitive").size(), bindPose ? 2u : 0u);
    }
}

}  // namespace
