// Skeleton, normals and bounding box over the model, through the overlay
// effect: lines and points from one vertex buffer written once a frame.
#include <cstring>

#include "model/skinned_model.h"
#include "render/renderer.h"
#include "scene/display_resources.h"
#include "scene/frame_renderer.h"
#include "scene/overlay_lines.h"
#include "scene/scene.h"

namespace {

void CopyInto(OverlayVertex** out, const std::vector<OverlayVertex>& vertices) {
    if (vertices.empty()) return;
    std::memcpy(*out, vertices.data(), vertices.size() * sizeof(OverlayVertex));
    *out += vertices.size();
}

}  // namespace

void FrameRenderer::DrawOverlays(const Matrix4& world) {
    const ViewOptions& view = settings.view;
    if (!view.skeleton && !view.normals && !view.boundingBox) return;
    gfx::Device* device = renderer.device;
    if (!display || !scene.model || !display->ReadyOverlay(device)) return;

    OverlayGeometry& geometry = display->geometry;
    geometry.Clear();
    const SkinnedModel& model = *scene.model;
    Vector3 low, high;
    if ((view.normals || view.boundingBox) &&
        AddNormalsAndBounds(model, world, view.normals, view.normalLength, &geometry, &low,
                            &high) &&
        view.boundingBox)
        AddBox(low, high, kBoxColour, &geometry.depthLines);
    if (view.skeleton) AddSkeleton(model, world, &geometry);

    const size_t depthLines = geometry.depthLines.size();
    const size_t alwaysLines = geometry.alwaysLines.size();
    const size_t joints = geometry.joints.size();
    const size_t total = depthLines + alwaysLines + joints;
    if (total == 0 || total > UINT32_MAX / sizeof(OverlayVertex) / 2 ||
        !display->ReadyOverlayBuffer(device, uint32_t(total)))
        return;
    void* data = nullptr;
    if (gfx::Failed(
            display->overlayBuffer->Lock(0, uint32_t(total * sizeof(OverlayVertex)), &data, 0)) ||
        !data)
        return;
    auto* out = static_cast<OverlayVertex*>(data);
    CopyInto(&out, geometry.depthLines);
    CopyInto(&out, geometry.alwaysLines);
    CopyInto(&out, geometry.joints);
    display->overlayBuffer->Unlock();

    gfx::Effect* effect = display->overlay.effect;
    const Matrix4 viewProjection = renderer.view * renderer.projection;
    effect->SetMatrix("matViewProjection", &viewProjection);
    effect->SetTechnique(display->overlay.technique);
    uint32_t passCount = 1;
    effect->Begin(&passCount, 0);
    effect->BeginPass(0);
    device->SetVertexDeclaration(display->overlayDeclaration);
    device->SetStreamSource(0, display->overlayBuffer, 0, sizeof(OverlayVertex));
    // Normals and the box behind the model stay hidden; the skeleton is
    // drawn over everything.
    if (depthLines > 0) {
        device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);
        device->DrawPrimitive(gfx::D3DPT_LINELIST, 0, uint32_t(depthLines / 2));
    }
    device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_FALSE);
    if (alwaysLines > 0)
        device->DrawPrimitive(gfx::D3DPT_LINELIST, uint32_t(depthLines), uint32_t(alwaysLines / 2));
    if (joints > 0)
        device->DrawPrimitive(gfx::D3DPT_POINTLIST, uint32_t(depthLines + alwaysLines),
                              uint32_t(joints));
    effect->EndPass();
    effect->End();
    device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);
}
