// The model in the lit built-in effect: pass 0 with each material's own
// texture, pass 1 in one grey, both lit from the camera.
#include "model/skinned_model.h"
#include "render/renderer.h"
#include "scene/display_resources.h"
#include "scene/frame_renderer.h"
#include "scene/scene.h"

namespace {

constexpr uint32_t kTexturedPass = 0;
constexpr uint32_t kPlainPass = 1;

}  // namespace

bool FrameRenderer::AdvancePose(SkinnedModel& model) {
    if (!model.clips) return false;
    const int clip = settings.clipIndex;
    const bool clipHasKeyframes =
        clip >= 0 && clip < model.clipCount && model.clips[clip].frameCount > 0;
    // The bones hold the bind pose until a clip plays.
    if (settings.bindPoseWithoutClip && !clipHasKeyframes) return true;
    const int endFrame = clip >= 0 && clip < model.clipCount ? model.clips[clip].frameCount : 0;
    return model.AdvanceClip(0, endFrame, settings.animationTimeStep, clip, settings.clipMotion);
}

bool FrameRenderer::DrawTexturedModel(gfx::Effect* effect) {
    gfx::Device* device = renderer.device;
    SkinnedModel* model = scene.model;
    if (!model || !AdvancePose(*model)) return false;
    device->SetVertexDeclaration(display->texturedDeclaration);
    bool drawn = false;
    for (int m = 0; m < model->meshCount; ++m) {
        ModelMesh& mesh = model->meshes[m];
        if (!mesh.SkinMesh()) continue;
        // A mesh whose coordinates cannot be read is drawn in grey; its own
        // vertices stand in for stream 1, which the grey does not read.
        const bool coordinates = mesh.ReadyTexCoords(device, display->report);
        device->SetStreamSource(0, mesh.vertexBuffer, 0, sizeof(SkinVertex));
        if (coordinates)
            device->SetStreamSource(1, mesh.texCoordBuffer, 0, 2 * sizeof(float));
        else
            device->SetStreamSource(1, mesh.vertexBuffer, 0, sizeof(SkinVertex));
        device->SetRenderState(gfx::D3DRS_FILLMODE, static_cast<uint32_t>(settings.fillMode));
        // One draw per run of triangles of one material.
        for (int start = 0; start < mesh.triangleCount;) {
            const int material = mesh.triangles[start].materialIndex;
            int end = start + 1;
            while (end < mesh.triangleCount && mesh.triangles[end].materialIndex == material) ++end;
            gfx::Texture* texture =
                coordinates && mesh.textures && material >= 0 && material < mesh.textureCount
                    ? mesh.textures[material]
                    : nullptr;
            effect->SetTexture("DiffuseMap", texture);
            effect->SetFloat("fTextured", texture ? 1.0f : 0.0f);
            device->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, uint32_t(3 * start),
                                  uint32_t(end - start));
            start = end;
        }
        drawn = true;
    }
    return drawn;
}

bool FrameRenderer::DrawLitModel(const Matrix4& world) {
    gfx::Device* device = renderer.device;
    gfx::Effect* effect = display->lit.effect;
    const Matrix4 worldViewProjection = (world * renderer.view) * renderer.projection;
    // A light at the camera, a little above it: every face the camera sees
    // is lit, and the shape still reads.
    const Camera& camera = renderer.camera;
    const Vector3 towardsLight = Vec3Normalize(camera.up * 0.5f - camera.look);
    const gfx::Vector4 light{towardsLight.x, towardsLight.y, towardsLight.z, 0.0f};
    effect->SetMatrix("matWorldViewProjection", &worldViewProjection);
    effect->SetMatrix("matWorld", &world);
    effect->SetVector("vLightDirection", &light);
    effect->SetTechnique(display->lit.technique);
    uint32_t passCount = 2;
    effect->Begin(&passCount, 0);
    const bool textured = settings.view.shading == Shading::Textured;
    device->SetRenderState(gfx::D3DRS_CULLMODE,
                           settings.view.cullBackFaces ? gfx::D3DCULL_CW : gfx::D3DCULL_NONE);
    device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);
    effect->BeginPass(textured ? kTexturedPass : kPlainPass);
    const bool drawn = textured ? DrawTexturedModel(effect) : DrawModel();
    effect->EndPass();
    effect->End();
    return drawn;
}
