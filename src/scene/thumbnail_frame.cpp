#include "scene/thumbnail_frame.h"

#include "render/renderer.h"
#include "scene/effect_setup.h"
#include "scene/frame_renderer.h"
#include "scene/scene.h"

bool DrawThumbnailFrame(Renderer& renderer, Scene& scene, int clipIndex, FrameCapture* capture) {
    gfx::Device* device = renderer.device;
    gfx::Effect* effect = scene.effect;
    if (!effect) return false;
    device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, kThumbnailClearColor,
                  1.0f, 0);
    if (gfx::Failed(device->BeginScene())) return false;
    UploadEffectParameters(effect, scene.box.environmentMap, renderer.world, renderer.view,
                           renderer.projection, renderer.camera.position,
                           FrameSettings{}.reflectionFactor);
    effect->SetTechnique(scene.technique);
    uint32_t passCount = 1;
    effect->Begin(&passCount, 0);
    device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_CW);
    device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);
    effect->BeginPass(1);
    // A time step of 0: the clip stays on its first keyframe.
    HudState hud;
    FrameRenderer frame{renderer, scene, hud, FrameSettings{}};
    frame.settings.clipIndex = clipIndex;
    frame.settings.animationTimeStep = 0.0f;
    frame.settings.bindPoseWithoutClip = true;
    const bool drawn = frame.DrawModel();
    effect->EndPass();
    effect->End();
    device->EndScene();
    if (!drawn) return false;
    capture->Take(device);
    return capture->taken;
}
