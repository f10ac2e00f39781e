// The frame with each view option: which device calls it makes and which it
// must not (a table), on the recording device with a two-bone, two-triangle,
// two-material model read from a file; and the defaults' frame unchanged.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/skinned_model.h"
#include "recorded_scene.h"
#include "scene/display_resources.h"
#include "scene/model_bounds.h"
#include "scene/model_facing.h"
#include "support/log_capture.h"
#include "support/report_capture.h"
#include "../model/model_test_support.h"

namespace {

using namespace gfx;
using gfx::recording::Call;
using gfx::recording::GetRecorder;

// Root at (0, 0, 5), its child 2 further along X; one triangle of each
// material, u and v 0.25 and 0.75 on the first corner.
const char kReference[] =
    "version 1\nnodes\n0 \"root\" -1\n1 \"arm\" 0\nend\n"
    "skeleton\ntime 0\n0 0 0 5 0 0 0\n1 2 0 0 0 0 0\nend\n"
    "triangles\na.bmp\n"
    "0 0 0 0 0 0 1 0.25 0.75\n0 1 0 0 0 0 1 1 0\n0 0 1 0 0 0 1 0 1\n"
    "b.bmp\n"
    "1 0 0 0 0 0 1 0 0\n1 1 0 0 0 0 1 1 0\n1 0 1 0 0 0 1 0 1\nend\n";

// The recorded scene with the model read from Ref.smd, drawn in its bind
// pose, the built-in effects beside the scene's, and the display resources.
class ViewFrameTest : public RecordedSceneTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(RecordedSceneTest::SetUp());
        folder.Write("Shaders/Overlay.fx", "technique TOverlay {}");
        folder.Write("Shaders/Textured.fx", "technique TLit {}");
        folder.Write("Ref.smd", kReference);
        folder.Write("a.bmp", model_test::kTinyBmp);
        folder.Write("b.bmp", model_test::kTinyBmp);
        scene.model = new SkinnedModel();
        ASSERT_TRUE(scene.model->LoadReference(renderer.device, "Ref.smd", LoadContext{}));
        frame.settings.bindPoseWithoutClip = true;  // no clip: the bind pose
        frame.display = &display;
        GetRecorder().calls.clear();
    }
    void TearDown() override {
        display.Release();
        RecordedSceneTest::TearDown();
    }

    // The calls of one frame drawn with view.
    std::vector<Call> Frame(const ViewOptions& view) {
        GetRecorder().calls.clear();
        frame.settings.view = view;
        frame.RenderFrame();
        return GetRecorder().calls;
    }
    const ModelMesh& Mesh() const { return scene.model->meshes[0]; }

    rrtest::LogCapture deviceLog;  // the device's lines, unread
    DisplayResources display;
};

// A call by name and, where given, its leading arguments and text.
struct CallLike {
    std::string name;
    std::vector<double> args = {};
    std::string text = {};
    bool Matches(const Call& call) const {
        if (call.name != name) return false;
        if (!text.empty() && call.text.find(text) == std::string::npos) return false;
        if (args.size() > call.args.size()) return false;
        return std::equal(args.begin(), args.end(), call.args.begin());
    }
};

size_t CountOf(const std::vector<Call>& calls, const CallLike& like) {
    size_t count = 0;
    for (const Call& call : calls) count += like.Matches(call) ? 1 : 0;
    return count;
}

// How many calls of a frame are like each.
void ExpectCounts(const std::vector<Call>& calls,
                  const std::vector<std::pair<CallLike, size_t>>& counts) {
    for (const auto& [like, count] : counts)
        EXPECT_EQ(CountOf(calls, like), count) << like.name << " " << like.text;
}

TEST_F(ViewFrameTest, DefaultsMakeTheFrameOfTheProgramWithoutThePanel) {
    // The same calls as a frame with no display resources at all, and none
    // of them made.
    frame.display = nullptr;
    const std::vector<Call> without = Frame(ViewOptions{});
    frame.display = &display;
    const std::vector<Call> with = Frame(ViewOptions{});
    ASSERT_EQ(with.size(), without.size());
    for (size_t i = 0; i < with.size(); ++i) {
        EXPECT_EQ(with[i].name, without[i].name) << i;
        EXPECT_EQ(with[i].args, without[i].args) << i << " " << with[i].name;
    }
    EXPECT_EQ(display.overlay.effect, nullptr);
    EXPECT_EQ(display.lit.effect, nullptr);
    EXPECT_EQ(Mesh().texCoordBuffer, nullptr);
    EXPECT_EQ(GetRecorder().Find("CreateEffectFromFile"), -1);
}

TEST_F(ViewFrameTest, EachOptionMakesItsCallsAndNotTheOthers) {
    const struct Case {
        const char* name;
        ViewOptions view;
        std::vector<CallLike> present;
        std::vector<CallLike> absent;
    } cases[] = {
        {"culling off",
         {.cullBackFaces = false},
         {{"SetRenderState", {D3DRS_CULLMODE, D3DCULL_NONE}}, {"BeginPass", {1}}},
         {{"SetRenderState", {D3DRS_CULLMODE, D3DCULL_CW}}}},
        {"flat background",
         {.background = Background::FlatColour, .flatColour = 0xFF102030u},
         {{"Clear", {0, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, double(0xFF102030u)}},
          {"BeginPass", {1}}},
         {{"DrawIndexedPrimitive"}, {"BeginPass", {0}}, {"SetIndices"}}},
        {"HUD off", {.hud = false}, {{"Present"}}, {{"DrawTextA"}}},
        {"skeleton",
         {.skeleton = true},
         {{"CreateEffectFromFile", {}, "Overlay.fx"},
          {"SetRenderState", {D3DRS_ZENABLE, D3DZB_FALSE}},
          // One bone line and three cross lines a joint; one point a joint.
          {"DrawPrimitive", {D3DPT_LINELIST, 0, 1 + 2 * 3}},
          {"DrawPrimitive", {D3DPT_POINTLIST, 2 * (1 + 2 * 3), 2}}},
         {{"CreateEffectFromFile", {}, "Textured.fx"}}},
        {"normals",
         {.normals = true},
         {{"DrawPrimitive", {D3DPT_LINELIST, 0, 6}}},  // one a corner
         {{"DrawPrimitive", {D3DPT_POINTLIST}}}},
        {"bounding box",
         {.boundingBox = true},
         {{"DrawPrimitive", {D3DPT_LINELIST, 0, 12}}},
         {{"DrawPrimitive", {D3DPT_POINTLIST}}}},
        {"plain lit",
         {.shading = Shading::PlainLit},
         {{"CreateEffectFromFile", {}, "Textured.fx"},
          {"SetTechnique", {}, "TLit"},
          {"BeginPass", {1}},
          {"DrawPrimitive", {D3DPT_TRIANGLELIST, 0, 1}},
          {"DrawPrimitive", {D3DPT_TRIANGLELIST, 3, 1}}},
         {{"SetStreamSource", {1}}, {"SetTexture", {}, "DiffuseMap"}}},
        {"textured",
         {.shading = Shading::Textured},
         {{"SetTechnique", {}, "TLit"},
          {"BeginPass", {0}},
          {"SetStreamSource", {1}},
          {"SetFloat", {1}, "fTextured"},
          // One draw per material.
          {"DrawPrimitive", {D3DPT_TRIANGLELIST, 0, 1}},
          {"DrawPrimitive", {D3DPT_TRIANGLELIST, 3, 1}}},
         // The model in the lit effect only: the scene effect's pass 1 is not begun.
         {{"SetFloat", {0}, "fTextured"}, {"BeginPass", {1}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Call> calls = Frame(c.view);
        for (const CallLike& like : c.present)
            EXPECT_GE(CountOf(calls, like), 1u) << like.name << " " << like.text;
        for (const CallLike& like : c.absent)
            EXPECT_EQ(CountOf(calls, like), 0u) << like.name << " " << like.text;
        EXPECT_EQ(CountOf(calls, {"Present"}), 1u);
    }
}

TEST_F(ViewFrameTest, TexturedDrawsEachMaterialsTextureWithFlippedCoordinates) {
    const ViewOptions view{.shading = Shading::Textured};
    const std::vector<Call> calls = Frame(view);
    for (gfx::Texture* texture : {Mesh().textures[0], Mesh().textures[1]})
        ExpectCounts(calls,
                     {{{"SetTexture", {double(recording::IdOf(texture))}, "DiffuseMap"}, 1}});
    ASSERT_NE(Mesh().texCoordBuffer, nullptr);
    const std::vector<uint8_t>& bytes = recording::ContentsOf(Mesh().texCoordBuffer);
    ASSERT_EQ(bytes.size(), 6u * 2u * sizeof(float));
    float first[2];
    std::memcpy(first, bytes.data(), sizeof first);
    EXPECT_EQ(first[0], 0.25f);
    EXPECT_EQ(first[1], 0.25f);  // 1 - 0.75: the device's rows run down

    // A second frame reads nothing again; a file that no longer holds the
    // mesh leaves it grey, and is not read every frame.
    Frame(view);
    EXPECT_EQ(GetRecorder().Find("CreateVertexBuffer"), -1);
    SkinnedModel other;
    ASSERT_TRUE(other.LoadReference(renderer.device, "Ref.smd", LoadContext{}));
    folder.Write("Ref.smd", "version 1\nnodes\n0 \"root\" -1\nend\n");
    SkinnedModel* kept = scene.model;
    scene.model = &other;
    for (int i = 0; i < 2; ++i)
        ExpectCounts(Frame(view), {{{"SetFloat", {0}, "fTextured"}, 2},
                                   {{"SetFloat", {1}, "fTextured"}, 0},
                                   {{"DrawPrimitive", {D3DPT_TRIANGLELIST}}, 2}});
    EXPECT_EQ(other.meshes[0].texCoordBuffer, nullptr);
    EXPECT_TRUE(other.meshes[0].texCoordsTried);
    scene.model = kept;
}

TEST_F(ViewFrameTest, OverlayVerticesComeFromThePoseAndTheBufferGrowsOnlyWhenNeeded) {
    ViewOptions view{.skeleton = true};
    Frame(view);
    ASSERT_NE(display.overlayBuffer, nullptr);
    // The joints: the bind pose's translations (0, 0, 5) and (2, 0, 5),
    // placed by the world matrix; points after the lines.
    const std::vector<uint8_t>& bytes = recording::ContentsOf(display.overlayBuffer);
    const size_t lineVertices = 2 * (1 + 2 * 3);
    ASSERT_GE(bytes.size(), (lineVertices + 2) * sizeof(OverlayVertex));
    OverlayVertex joints[2];
    std::memcpy(joints, bytes.data() + lineVertices * sizeof(OverlayVertex), sizeof joints);
    const Vector3 expected[2] = {Vec3TransformCoord(Vector3(0, 0, 5), renderer.world),
                                 Vec3TransformCoord(Vector3(2, 0, 5), renderer.world)};
    for (int j = 0; j < 2; ++j) {
        EXPECT_LT(Vec3Length(joints[j].position - expected[j]), 1e-3f) << j;
        EXPECT_EQ(joints[j].colour, kJointColour);
    }
    // The first line, joint 0's cross along x: kJointCrossShare of the
    // joints' extent long.
    OverlayVertex cross[2];
    std::memcpy(cross, bytes.data(), sizeof cross);
    EXPECT_NEAR(Vec3Length(cross[1].position - cross[0].position),
                kJointCrossShare * Vec3Length(expected[1] - expected[0]), 1e-4f);

    // Steady frames, normals and box too (6 + 12 + 7 lines and 2 points
    // still fit), reuse the buffer and the effect.
    const uint32_t capacity = display.overlayCapacity;
    view.normals = view.boundingBox = true;
    Frame(view);
    EXPECT_EQ(GetRecorder().Find("CreateVertexBuffer"), -1);
    EXPECT_EQ(GetRecorder().Find("CreateEffectFromFile"), -1);
    EXPECT_EQ(display.overlayCapacity, capacity);
    // The box after the normals runs from the model's low corner to its high.
    Vector3 low, high;
    ASSERT_TRUE(ModelWorldBounds(*scene.model, 0, renderer.world, &low, &high));
    OverlayVertex box[24];
    std::memcpy(box, recording::ContentsOf(display.overlayBuffer).data() + 12 * sizeof box[0],
                sizeof box);
    EXPECT_LT(Vec3Length(box[0].position - low) + Vec3Length(box[23].position - high), 1e-4f);
    // More than it holds: a larger one replaces it.
    ASSERT_TRUE(display.ReadyOverlayBuffer(renderer.device, capacity + 1));
    EXPECT_GE(display.overlayCapacity, 2 * (capacity + 1));
}

TEST_F(ViewFrameTest, AMissingBuiltInEffectIsTriedOnceAndTheFrameGoesOn) {
    GetRecorder().failing.insert("CreateEffectFromFile");
    rrtest::ReportCapture reported;
    display.report = reported.Sink();
    const ViewOptions view{.shading = Shading::PlainLit, .skeleton = true};
    // The model in the scene's effect instead; no overlay.
    for (size_t i = 0; i < 3; ++i)
        ExpectCounts(Frame(view), {{{"CreateEffectFromFile"}, i == 0 ? 2u : 0u},
                                   {{"BeginPass", {1}}, 1},
                                   {{"DrawPrimitive", {D3DPT_LINELIST}}, 0}});
    // Each named once, with the compiler's first line; no box.
    EXPECT_TRUE(reported.boxes.empty());
    const std::vector<std::string>& notes = reported.notes;
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("Textured.fx not compiled, not drawn: effect.fx(1,1): error"),
              std::string::npos)
        << notes[0];
    EXPECT_NE(notes[1].find("Overlay.fx not compiled"), std::string::npos) << notes[1];
}

TEST_F(ViewFrameTest, FacingTurnsTheWorldAboutTheModelsUpAxis) {
    struct Case {
        ModelFacing facing;
        Vector3 front;  // model space: the way the file's front faces
    } cases[] = {{ModelFacing::AsLoaded, {0, -1, 0}},
                 {ModelFacing::FrontPlusY, {0, 1, 0}},
                 {ModelFacing::ZUp, {1, 0, 0}}};
    const Vector3 towardsCamera = Vec3TransformNormal(Vector3(0, -1, 0), renderer.world);
    for (const Case& c : cases) {
        const Matrix4 world = FacedWorld(renderer.world, c.facing);
        EXPECT_NEAR(Vec3Dot(Vec3TransformNormal(c.front, world), towardsCamera), 1.0f, 1e-5f);
        // The up axis stays.
        EXPECT_NEAR(Vec3TransformNormal(Vector3(0, 0, 1), world).y, 1.0f, 1e-5f);
    }
    EXPECT_TRUE(FacedWorld(renderer.world, ModelFacing::AsLoaded) == renderer.world);

    // The frame's matrices follow the facing.
    const Matrix4 worldView = FacedWorld(renderer.world, ModelFacing::FrontPlusY) * renderer.view;
    for (const Call& call : Frame({.facing = ModelFacing::FrontPlusY}))
        if (call.name == "SetMatrix" && call.text == "matWorldView") {
            for (int i = 0; i < 16; ++i)
                EXPECT_NEAR(call.args.at(size_t(i)), worldView.m[i / 4][i % 4], 1e-4);
        }
}

}  // namespace
