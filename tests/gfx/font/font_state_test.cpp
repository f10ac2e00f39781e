// Drawing text leaves the device as it found it: a draw after the text
// renders exactly as it does without the text in between.
#include "font_gl_fixture.h"

namespace fonttest {
namespace {

// Clip space, +y up. A clockwise triangle at depth 0.3 (kept by Direct3D's
// default culling of counter-clockwise ones), a large clockwise one behind
// it, a counter-clockwise one that culling removes, another clockwise one
// partly behind the first, and one covering the whole target.
const Vector3 kFacing(0, 0, 1);
const std::vector<SkinVertex> kTriangles = {
    {{-0.6f, -0.8f, 0.3f}, kFacing}, {{0.0f, 0.8f, 0.3f}, kFacing},
    {{0.6f, -0.8f, 0.3f}, kFacing},  {{-0.9f, -0.9f, 0.7f}, kFacing},
    {{-0.2f, 0.9f, 0.7f}, kFacing},  {{0.9f, 0.0f, 0.7f}, kFacing},
    {{0.6f, 0.5f, 0.5f}, kFacing},   {{0.9f, 0.5f, 0.5f}, kFacing},
    {{0.75f, 0.9f, 0.5f}, kFacing},  {{0.1f, -0.95f, 0.7f}, kFacing},
    {{0.5f, 0.6f, 0.7f}, kFacing},   {{0.95f, -0.95f, 0.7f}, kFacing},
    {{-1.0f, -1.0f, 0.5f}, kFacing}, {{-1.0f, 3.0f, 0.5f}, kFacing},
    {{3.0f, -1.0f, 0.5f}, kFacing},
};
const gfx::Viewport kViewport{20, 20, 360, 160, 0.0f, 1.0f};

class FontStateTest : public FontGlTest {
protected:
    // The triangles bound on stream 0.
    void Prepare() {
        if (!buffer) buffer = MakeVertexBuffer(kTriangles);
        BindVertices(buffer);
    }

    // A frame as the program draws one: a solid green triangle, then
    // wireframe magenta ones with culling and the depth test on, in a
    // viewport smaller than the target; text before the last two if asked.
    Picture DrawScene(const gfx::Rect* text) {
        Prepare();
        Clear(0xFF000000);
        device->BeginScene();
        device->SetViewport(&kViewport);
        device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);
        device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_CCW);
        device->SetRenderState(gfx::D3DRS_FILLMODE, gfx::D3DFILL_SOLID);
        UseFlat(kGreen);
        device->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, 0, 1);
        device->SetRenderState(gfx::D3DRS_FILLMODE, gfx::D3DFILL_WIREFRAME);
        program = UseFlat(kMagenta);
        device->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, 3, 1);
        if (text) Draw("Text over the scene", *text, 0xFFFF0000);
        device->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, 6, 2);
        device->EndScene();
        return Capture();
    }

    gfx::VertexBuffer* buffer = nullptr;
    uint32_t program = 0;  // the flat program, bound when the text is drawn
};

TEST_F(FontStateTest, DrawAfterTextRendersAsWithoutIt) {
    const gfx::Rect textRect{120, 100, 300, 120};  // partly over the green triangle
    const Picture plain = DrawScene(nullptr);
    const Picture withText = DrawScene(&textRect);

    // The plain scene is what the states say: filled green, magenta
    // outlines only, nothing outside the viewport.
    EXPECT_GT(plain.Count(0, 0, kWidth, kHeight, [](Rgb p) { return p == Rgb{0, 255, 0}; }), 5000);
    const int magenta = plain.Count(0, 0, kWidth, kHeight, [](Rgb p) {
        return p == Rgb{255, 0, 255};
    });
    EXPECT_TRUE(magenta > 200 && magenta < 3000) << magenta;
    EXPECT_EQ(plain.Count(0, 0, kWidth, 20, [](Rgb p) { return !(p == Rgb{}); }), 0);

    int differences = 0;
    for (int y = 0; y < plain.height; ++y)
        for (int x = 0; x < plain.width; ++x)
            if (!(x >= textRect.left && x < textRect.right && y >= textRect.top &&
                  y < textRect.bottom))
                differences += withText.At(x, y) == plain.At(x, y) ? 0 : 1;
    EXPECT_EQ(differences, 0) << plain.Save(".plain") << " " << withText.Save(".text");
    // Over the green triangle drawn before it, the text is on top.
    EXPECT_GT(withText.Count(160, 100, 240, 120, [](Rgb p) { return p.r > 128 && p.g < 128; }), 30)
        << withText.Save(".text");

    gfx::gl::MakeCurrent(device);
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), program);
}

TEST_F(FontStateTest, DrawsTheDeviceStillHeldBackLandUnderTheText) {
    Prepare();
    Clear(0xFF000000);
    device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
    UseFlat(kWhite);
    device->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, 12, 1);  // one triangle: kept for merging
    Draw("MMMM", gfx::Rect{10, 10, 200, 30}, 0xFFFF0000);
    const Picture picture = Capture();
    EXPECT_GT(picture.Count(10, 10, 200, 30,
                            [](Rgb p) {
                                return p == Rgb{255, 0, 0};
                            }),
              100)
        << picture.Save();
    EXPECT_EQ(picture.At(300, 150), (Rgb{255, 255, 255}));
}

TEST_F(FontStateTest, TextLandsInTargetPixelsClippedByTheViewportWhateverTheCulling) {
    Prepare();
    const auto red = [](Rgb p) { return p.r > 128; };
    for (uint32_t cull : {gfx::D3DCULL_CW, gfx::D3DCULL_CCW}) {
        Clear(0xFF000000);
        device->SetViewport(&kViewport);
        device->SetRenderState(gfx::D3DRS_CULLMODE, cull);
        UseFlat(kBlack);
        device->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, 6, 1);  // puts the culling in force
        gfx::gl::FlushPendingDraws(device);
        Draw("MMMMMM", gfx::Rect{5, 30, 300, 50}, 0xFFFF0000);
        const Picture picture = Capture();
        EXPECT_GT(picture.Count(20, 30, 300, 50, red), 200) << "cull " << cull << picture.Save();
        EXPECT_EQ(picture.Count(0, 30, 20, 50, red), 0);  // left of the viewport
        // Not shifted by the viewport's origin: the first M, from about
        // x = 6, is cut mid-glyph where the viewport begins.
        EXPECT_GT(picture.Count(20, 30, 22, 50, red), 4) << picture.Save();
    }
}

}  // namespace
}  // namespace fonttest
