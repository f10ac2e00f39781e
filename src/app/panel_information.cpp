// The panel's Information section: what the model holds, its bounds, and
// every note of this run, newest first.
#include <imgui.h>

#include "app/panel_messages.h"
#include "app/panel_sections.h"
#include "model/skinned_model.h"
#include "scene/frame_renderer.h"
#include "scene/model_bounds.h"
#include "scene/scene.h"

void PanelInformation(const PanelTargets& targets, PanelSectionState* state) {
    const SkinnedModel* model = targets.scene ? targets.scene->model : nullptr;
    if (model) {
        int bones = 0, triangles = 0, materials = 0, keyframes = 0;
        for (int m = 0; m < model->meshCount; ++m) {
            bones = std::max(bones, model->meshes[m].boneCount);
            triangles += model->meshes[m].triangleCount;
            materials += model->meshes[m].textureCount;
        }
        for (int c = 0; c < model->clipCount; ++c) keyframes += model->clips[c].frameCount;
        ImGui::Text("Bones %d   triangles %d   materials %d", bones, triangles, materials);
        ImGui::Text("Clips %d   keyframes %d (all clips)", model->clipCount, keyframes);
        const int clip = targets.frame ? targets.frame->clipIndex : 0;
        if (targets.world && (state->boundsModel != model || state->boundsClip != clip)) {
            // Skins every corner: once per model and clip, not every frame.
            state->boundsModel = model;
            state->boundsClip = clip;
            state->boundsKnown =
                ModelWorldBounds(*model, clip, *targets.world, &state->low, &state->high);
        }
        if (state->boundsKnown)
            ImGui::Text("Bounds (%.1f, %.1f, %.1f) .. (%.1f, %.1f, %.1f)", state->low.x,
                        state->low.y, state->low.z, state->high.x, state->high.y, state->high.z);
    }
    if (!targets.messages) return;
    ImGui::Text("Messages (%zu, newest first)", targets.messages->newestFirst.size());
    if (ImGui::BeginChild("messages", ImVec2(0, 140), true)) {
        for (const std::string& line : targets.messages->newestFirst)
            ImGui::TextWrapped("%s", line.c_str());
    }
    ImGui::EndChild();
}
