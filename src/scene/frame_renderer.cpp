#include "scene/frame_renderer.h"

#include "model/skinned_model.h"
#include "render/frame_rate_counter.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "scene/effect_setup.h"

void FrameRenderer::RenderFrame() {
    gfx::Device* device = renderer.device;
    device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, kClearColor, 1.0f, 0);

    if (gfx::Succeeded(device->BeginScene())) {
        if (effect) {
            UploadEffectParameters(effect, box.environmentMap, renderer.world, renderer.view,
                                   renderer.projection, renderer.camera.position,
                                   reflectionFactor);
            effect->SetTechnique(technique);
            uint32_t passCount = 1;  // not read: exactly two passes follow
            effect->Begin(&passCount, 0);

            // The box is the background: no culling, no depth test or write.
            device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
            device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_FALSE);
            effect->BeginPass(0);
            box.Draw(device, vertexDeclaration);
            effect->EndPass();

            device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_CW);
            device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);
            effect->BeginPass(1);
            DrawModel();
            effect->EndPass();

            effect->End();
        }
        DrawHudLines(renderer, textBuffer, textBufferSize, framesPerSecond);
        if (hudAlert && hudAlert[0])
            DrawHudAlertLine(renderer, textBuffer, textBufferSize, hudAlert);
        device->EndScene();
    }

    if (capture) capture->Take(device);

    device->Present(nullptr, nullptr, nullptr, nullptr);
    frameRateCounter.Update(framesPerSecond);
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

bool FrameRenderer::DrawModel() {
    gfx::Device* device = renderer.device;
    device->LightEnable(0, 0);
    device->SetRenderState(gfx::D3DRS_LIGHTING, 0);
    device->SetVertexDeclaration(vertexDeclaration);
    if (!model || !model->clips) return false;
    if (bindPoseWithoutClip && model->clipCount == 0) return DrawBindPose(*model, device, fillMode);
    // A clip that is not loaded plays over an empty range, which is refused.
    int endFrame = clipIndex >= 0 && clipIndex < model->clipCount ? model->clips[clipIndex].frameCount : 0;
    return model->UpdateAndDraw(device, static_cast<uint32_t>(fillMode), 0, endFrame,
                                animationTimeStep, clipIndex);
}
