#include "scene/frame_renderer.h"

#include <cstring>

#include "model/skinned_model.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "scene/display_resources.h"
#include "scene/effect_setup.h"
#include "scene/model_facing.h"
#include "scene/scene.h"

void FrameRenderer::RenderFrame() {
    gfx::Device* device = renderer.device;
    const ViewOptions& view = settings.view;
    const bool flat = view.background == Background::FlatColour;
    device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER,
                  flat ? view.flatColour : kClearColor, 1.0f, 0);

    const bool begun = gfx::Succeeded(device->BeginScene());
    Reached(FramePart::Cleared);
    if (begun) {
        if (gfx::Effect* effect = scene.effect) {
            const Matrix4 world = FacedWorld(renderer.world, view.facing);
            UploadEffectParameters(effect, scene.box.environmentMap, world, renderer.view,
                                   renderer.projection, renderer.camera.position,
                                   settings.reflectionFactor);
            effect->SetTechnique(scene.technique);
            uint32_t passCount = 1;  // not read: exactly two passes follow
            effect->Begin(&passCount, 0);
            Reached(FramePart::Prepared);

            // The box is the background: no culling, no depth test or write.
            // A flat background is the clear colour alone.
            if (!flat) {
                device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
                device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_FALSE);
                effect->BeginPass(0);
                scene.box.Draw(device, scene.vertexDeclaration);
                effect->EndPass();
            }
            Reached(FramePart::SkyDrawn);

            // The lit shadings draw in their own effect, after this one ends.
            const bool lit =
                view.shading != Shading::Effect && display && display->ReadyLit(device);
            if (!lit) {
                device->SetRenderState(gfx::D3DRS_CULLMODE,
                                       view.cullBackFaces ? gfx::D3DCULL_CW : gfx::D3DCULL_NONE);
                device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);
                effect->BeginPass(1);
                DrawModel();
                effect->EndPass();
            }

            effect->End();
            if (lit) DrawLitModel(world);
            DrawOverlays(world);
            Reached(FramePart::ModelDrawn);
        }
        // The red lines say what did not load: they stay without the HUD.
        if (view.hud) DrawHudLines(renderer, hud.text, sizeof hud.text, hud.framesPerSecond);
        DrawAlerts();
        if (settings.overlay && settings.overlay->draw)
            settings.overlay->draw(settings.overlay->context);
        device->EndScene();
        Reached(FramePart::HudDrawn);
    }

    if (settings.capture) settings.capture->Take(device);

    device->Present(nullptr, nullptr, nullptr, nullptr);
    Reached(FramePart::Presented);
    hud.counter.Update(hud.framesPerSecond);
    Reached(FramePart::Counted);
}

namespace {

// The meshes as loaded: their bones hold the bind pose until a clip plays.
bool DrawBindPose(SkinnedModel& model, gfx::Device* device, int32_t fillMode) {
    bool drawn = false;
    for (int m = 0; m < model.meshCount; ++m) {
        ModelMesh& mesh = model.meshes[m];
        if (!mesh.SkinMesh()) continue;
        device->SetStreamSource(0, mesh.vertexBuffer, 0, sizeof(SkinVertex));
        device->SetRenderState(gfx::D3DRS_FILLMODE, static_cast<uint32_t>(fillMode));
        for (int t = 0; t < mesh.triangleCount; ++t)
            device->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, uint32_t(3 * t), 1);
        drawn = true;
    }
    return drawn;
}

}  // namespace

void FrameRenderer::DrawAlerts() {
    const char* text = settings.hudAlert;
    for (int32_t line = 0; text && *text && line < kMaxHudAlertLines; ++line) {
        const char* end = std::strchr(text, '\n');
        size_t length = end ? size_t(end - text) : std::strlen(text);
        DrawHudAlertLine(renderer, hud.text, sizeof hud.text, text, length, line);
        text = end ? end + 1 : nullptr;
    }
}

bool FrameRenderer::DrawModel() {
    gfx::Device* device = renderer.device;
    device->LightEnable(0, 0);
    device->SetRenderState(gfx::D3DRS_LIGHTING, 0);
    device->SetVertexDeclaration(scene.vertexDeclaration);
    SkinnedModel* model = scene.model;
    if (!model || !model->clips) return false;
    const int clip = settings.clipIndex;
    const bool clipHasKeyframes =
        clip >= 0 && clip < model->clipCount && model->clips[clip].frameCount > 0;
    if (settings.bindPoseWithoutClip && !clipHasKeyframes)
        return DrawBindPose(*model, device, settings.fillMode);
    // A clip that is not loaded plays over an empty range, which is refused.
    int endFrame = clip >= 0 && clip < model->clipCount ? model->clips[clip].frameCount : 0;
    return model->UpdateAndDraw(device, static_cast<uint32_t>(settings.fillMode), 0, endFrame,
                                settings.animationTimeStep, clip, settings.clipMotion);
}
