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
        device->EndScene();
    }

    device->Present(nullptr, nullptr, nullptr, nullptr);
    frameRateCounter.Update(framesPerSecond);
}

bool FrameRenderer::DrawModel() {
    gfx::Device* device = renderer.device;
    device->LightEnable(0, 0);
    device->SetRenderState(gfx::D3DRS_LIGHTING, 0);
    device->SetVertexDeclaration(vertexDeclaration);
    if (!model || !model->clips) return false;
    return model->UpdateAndDraw(device, static_cast<uint32_t>(fillMode), 0,
                                model->clips[0].frameCount, animationTimeStep, 0);
}
