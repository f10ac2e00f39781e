// The panel's Camera section: free or orbit camera, and which way the
// model's file faces.
#include <imgui.h>

#include "app/panel_sections.h"
#include "scene/view_options.h"

void PanelCamera(const PanelTargets& targets) {
    if (!targets.view) return;
    ViewOptions& view = *targets.view;
    int mode = view.orbit ? 1 : 0;
    ImGui::RadioButton("Free (W S A D R F, right drag)", &mode, 0);
    ImGui::RadioButton("Orbit (left drag, wheel, middle drag)", &mode, 1);
    view.orbit = mode == 1;
    ImGui::TextUnformatted("The model's front faces:");
    int facing = int(view.facing);
    ImGui::RadioButton("As loaded", &facing, int(ModelFacing::AsLoaded));
    ImGui::SameLine();
    ImGui::RadioButton("+Y forward", &facing, int(ModelFacing::FrontPlusY));
    ImGui::SameLine();
    ImGui::RadioButton("Z up", &facing, int(ModelFacing::ZUp));
    view.facing = ModelFacing(facing);
}
