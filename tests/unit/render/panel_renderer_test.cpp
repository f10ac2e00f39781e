// The panel's renderer on the recording device: what a panel frame asks of
// the device (the atlas as a texture made in memory, one scissor rect and
// one indexed draw per command, the buffers' bytes), that it leaves every
// state as it found it, and that steady frames make no buffers.
#include <gtest/gtest.h>
#include <imgui.h>

#include <cstring>

#include "math/vector3.h"
#include "platform/gfx/recording/recorder.h"
#include "render/panel_renderer.h"
#include "support/temp_folder.h"

namespace {

using namespace gfx;
using recording::GetRecorder;

class PanelRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetRecorder().Reset();
        device = Ref<Device>::Adopt(recording::CreateDevice());
        context = ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        ImGui::GetIO().BackendFlags |= ImGuiBackendFlags_RendererHasVtxOffset;
        effectPath = folder.Write("Panel.fx", "technique TPanel {}");
    }
    void TearDown() override {
        renderer.Release();
        ImGui::DestroyContext(context);
        device = nullptr;
        EXPECT_EQ(GetRecorder().devicesReleasedWithLiveObjects, 0);
    }
    // One ImGui frame of a window with a button, a slider and a child
    // region (its own clip rectangle).
    const ImDrawData* Frame(float sliderValue) {
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(800, 600);
        io.DeltaTime = 1.0f / 60.0f;
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(500, 10));
        ImGui::SetNextWindowSize(ImVec2(280, 300));
        ImGui::Begin("Panel");
        ImGui::Button("Play");
        ImGui::SliderFloat("Speed", &sliderValue, 0.1f, 4.0f);
        ImGui::BeginChild("messages", ImVec2(0, 80), true);
        for (int i = 0; i < 20; ++i) ImGui::Text("line %d", i);
        ImGui::EndChild();
        ImGui::End();
        ImGui::Render();
        return ImGui::GetDrawData();
    }
    size_t Count(const char* name) { return GetRecorder().Named(name).size(); }
    bool Create(const std::string& path) {
        return renderer.Create(device.get(), 800, 600, path.c_str(), ImGui::GetIO().Fonts, &error);
    }

    rrtest::TempFolder folder;
    std::string effectPath, error;
    Ref<Device> device;
    ImGuiContext* context = nullptr;
    PanelRenderer renderer;
};

TEST_F(PanelRendererTest, AtlasIsATextureMadeInMemoryAndAMissingEffectAClearFailure) {
    EXPECT_FALSE(Create(folder.File("none.fx")));
    EXPECT_NE(error.find("none.fx"), std::string::npos) << error;
    EXPECT_EQ(Count("CreateTexture"), 0u);
    renderer.Release();

    int width = 0, height = 0;
    unsigned char* pixels = nullptr;
    ImGui::GetIO().Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    ASSERT_TRUE(Create(effectPath)) << error;
    const auto made = GetRecorder().Named("CreateTexture");
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].args[0], width);
    EXPECT_EQ(made[0].args[1], height);
    EXPECT_EQ(made[0].args[4], D3DFMT_A8R8G8B8);
    EXPECT_EQ(Count("LockRect"), 1u);
    EXPECT_EQ(Count("UnlockRect"), 1u);
    EXPECT_EQ(ImGui::GetIO().Fonts->TexID, static_cast<ImTextureID>(renderer.fontTexture));
}

// One frame: each command scissored and drawn, the vertices' bytes, every
// state as it was; then steady frames make no buffers and a large one grows them.
TEST_F(PanelRendererTest, EachCommandIsScissoredAndDrawnAndStatesComeBack) {
    ASSERT_TRUE(Create(effectPath)) << error;
    const uint32_t made = renderer.bufferGrowths;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    const RenderState states[] = {
        D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND,     D3DRS_DESTBLEND, D3DRS_CULLMODE,
        D3DRS_ZENABLE,          D3DRS_ZWRITEENABLE, D3DRS_FILLMODE,  D3DRS_SCISSORTESTENABLE};
    uint32_t before[std::size(states)] = {};
    for (size_t i = 0; i < std::size(states); ++i) device->GetRenderState(states[i], &before[i]);
    Rect scissorBefore;
    device->GetScissorRect(&scissorBefore);

    GetRecorder().calls.clear();
    const ImDrawData* data = Frame(1.0f);
    int commands = 0;
    for (int n = 0; n < data->CmdListsCount; ++n) commands += data->CmdLists[n]->CmdBuffer.Size;
    ASSERT_GT(commands, 1);  // the child region is a command of its own
    renderer.Draw(data);
    const auto draws = GetRecorder().Named("DrawIndexedPrimitive");
    EXPECT_EQ(draws.size(), size_t(commands));
    for (const auto& draw : draws) EXPECT_EQ(draw.args[0], D3DPT_TRIANGLELIST);
    const auto scissors = GetRecorder().Named("SetScissorRect");
    EXPECT_EQ(scissors.size(), size_t(commands) + 1);  // and the one put back
    bool child = false;  // the child region's clip lies inside the window
    for (const auto& scissor : scissors) {
        EXPECT_GE(scissor.args[0], 0);
        EXPECT_LE(scissor.args[2], 800);
        EXPECT_LE(scissor.args[3], 600);
        child =
            child || (scissor.args[0] >= 500 && scissor.args[2] <= 780 && scissor.args[3] < 300);
    }
    EXPECT_TRUE(child);
    // Effect: the projection and the atlas.
    EXPECT_GE(GetRecorder().Find("SetMatrix"), 0);
    const auto textures = GetRecorder().Named("SetTexture");
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_EQ(textures[0].args[0], recording::IdOf(renderer.fontTexture));

    for (size_t i = 0; i < std::size(states); ++i) {
        uint32_t after = 0;
        device->GetRenderState(states[i], &after);
        EXPECT_EQ(after, before[i]) << "render state " << states[i];
    }
    Rect scissorAfter;
    device->GetScissorRect(&scissorAfter);
    EXPECT_EQ(std::memcmp(&scissorAfter, &scissorBefore, sizeof scissorAfter), 0);
    uint32_t filter = 0;
    device->GetSamplerState(0, D3DSAMP_MINFILTER, &filter);
    EXPECT_EQ(filter, D3DTEXF_POINT);

    // ImGui packs R, G, B, A; the buffer holds D3DCOLOR's B, G, R, A.
    EXPECT_EQ(PanelColour(IM_COL32(0x11, 0x22, 0x33, 0x44)), 0x44112233u);
    const ImDrawVert& source = data->CmdLists[0]->VtxBuffer[0];
    PanelVertex stored;
    std::memcpy(&stored, recording::ContentsOf(renderer.vertices).data(), sizeof stored);
    EXPECT_EQ(stored.x, source.pos.x);
    EXPECT_EQ(stored.v, source.uv.y);
    EXPECT_EQ(stored.colour, PanelColour(source.col));

    for (int i = 0; i < 10; ++i) renderer.Draw(Frame(float(i) * 0.3f));
    EXPECT_EQ(renderer.bufferGrowths, made);
    // A frame with more vertices than the buffer holds: one larger pair.
    ImGui::NewFrame();
    ImDrawList* list = ImGui::GetForegroundDrawList();
    for (int i = 0; i < 3000; ++i)
        list->AddRectFilled(ImVec2(float(i % 800), 1), ImVec2(float(i % 800) + 1, 2), 0xFFFFFFFF);
    ImGui::Render();
    const ImDrawData* large = ImGui::GetDrawData();
    ASSERT_GT(uint32_t(large->TotalVtxCount), renderer.vertexCapacity);
    renderer.Draw(large);
    EXPECT_GE(renderer.vertexCapacity, uint32_t(large->TotalVtxCount));
    EXPECT_GT(renderer.bufferGrowths, made);
}

TEST(PanelGeometry, ScissorIsCutToTheBackBufferAndScaled) {
    const float origin[2] = {0, 0};
    const struct {
        const char* name;
        float clip[4];
        float scale;
        bool kept;
        Rect expected;
    } cases[] = {
        {"inside", {10, 20, 30, 40}, 1.0f, true, {10, 20, 30, 40}},
        {"past the edges", {-5, -5, 900, 700}, 1.0f, true, {0, 0, 800, 600}},
        {"fractions round outwards", {10.5f, 20.5f, 30.2f, 40.2f}, 1.0f, true, {10, 20, 31, 41}},
        {"scaled display", {10, 20, 30, 40}, 2.0f, true, {20, 40, 60, 80}},
        {"empty", {30, 20, 30, 40}, 1.0f, false, {}},
        {"outside", {900, 0, 950, 10}, 1.0f, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rect r;
        EXPECT_EQ(PanelScissor(c.clip, origin, c.scale, c.scale, 800, 600, &r), c.kept);
        if (!c.kept) continue;
        EXPECT_EQ(std::memcmp(&r, &c.expected, sizeof r), 0)
            << r.left << " " << r.top << " " << r.right << " " << r.bottom;
    }
    // Top left to (-1, 1), bottom right to (1, -1).
    const Matrix4 m = PanelProjection(0, 0, 800, 600);
    EXPECT_LT(Vec3Length(Vec3TransformCoord(Vector3(0, 0, 0), m) - Vector3(-1, 1, 0.5f)), 1e-6f);
    EXPECT_LT(Vec3Length(Vec3TransformCoord(Vector3(800, 600, 0), m) - Vector3(1, -1, 0.5f)),
              1e-6f);
}

}  // namespace
