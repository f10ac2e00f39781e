// The panel's Display section: shading (reflect and refract are the effect
// with its fRef, 2.0 and 0.5), the refraction ratio, wireframe, culling,
// skeleton, normals, bounding box, background, HUD.
#include <imgui.h>

#include "app/panel_sections.h"
#include "platform/gfx/core/types.h"
#include "scene/frame_renderer.h"
#include "scene/view_options.h"

namespace {

// ARGB as ImGui's floats, and back (alpha kept opaque).
void ToFloats(uint32_t argb, float rgb[3]) {
    rgb[0] = float((argb >> 16) & 0xFF) / 255.0f;
    rgb[1] = float((argb >> 8) & 0xFF) / 255.0f;
    rgb[2] = float(argb & 0xFF) / 255.0f;
}
uint32_t FromFloats(const float rgb[3]) {
    auto byte = [](float v) {
        return uint32_t(v <= 0.0f ? 0 : v >= 1.0f ? 255 : v * 255.0f + 0.5f);
    };
    return 0xFF000000u | byte(rgb[0]) << 16 | byte(rgb[1]) << 8 | byte(rgb[2]);
}

}  // namespace

ShadingChoice ShadingChoiceOf(const ViewOptions& view, const FrameSettings& frame) {
    if (view.shading == Shading::Textured) return ShadingChoice::Textured;
    if (view.shading == Shading::PlainLit) return ShadingChoice::PlainLit;
    // fRef above 1 reflects, as the effect reads it.
    return frame.reflectionFactor > 1.0f ? ShadingChoice::Reflect : ShadingChoice::Refract;
}

void ChooseShading(ShadingChoice choice, ViewOptions* view, FrameSettings* frame) {
    switch (choice) {
    case ShadingChoice::Reflect:
        view->shading = Shading::Effect;
        frame->reflectionFactor = kReflectRatio;
        break;
    case ShadingChoice::Refract:
        view->shading = Shading::Effect;
        frame->reflectionFactor = kRefractRatio;
        break;
    case ShadingChoice::Textured: view->shading = Shading::Textured; break;
    case ShadingChoice::PlainLit: view->shading = Shading::PlainLit; break;
    }
}

void PanelDisplay(const PanelTargets& targets) {
    if (!targets.view || !targets.frame) return;
    ViewOptions& view = *targets.view;
    FrameSettings& frame = *targets.frame;
    const int was = int(ShadingChoiceOf(view, frame));
    int choice = was;
    ImGui::RadioButton("Reflect", &choice, int(ShadingChoice::Reflect));
    ImGui::SameLine();
    ImGui::RadioButton("Refract", &choice, int(ShadingChoice::Refract));
    // Two rows: the four fit the panel's width at any scale.
    ImGui::RadioButton("Textured", &choice, int(ShadingChoice::Textured));
    ImGui::SameLine();
    ImGui::RadioButton("Plain lit", &choice, int(ShadingChoice::PlainLit));
    if (choice != was) ChooseShading(ShadingChoice(choice), &view, &frame);
    ImGui::SliderFloat("Ratio (fRef)", &frame.reflectionFactor, 0.05f, 2.0f, "%.2f",
                       ImGuiSliderFlags_AlwaysClamp);
    bool wireframe = frame.fillMode == gfx::D3DFILL_WIREFRAME;
    if (ImGui::Checkbox("Wireframe", &wireframe))
        frame.fillMode = wireframe ? gfx::D3DFILL_WIREFRAME : gfx::D3DFILL_SOLID;
    ImGui::SameLine();
    ImGui::Checkbox("Cull back faces", &view.cullBackFaces);
    ImGui::Checkbox("Skeleton", &view.skeleton);
    ImGui::SameLine();
    ImGui::Checkbox("Bounding box", &view.boundingBox);
    ImGui::Checkbox("Normals", &view.normals);
    if (view.normals)
        ImGui::SliderFloat("Length", &view.normalLength, 0.01f, 100.0f, "%.2f",
                           ImGuiSliderFlags_Logarithmic | ImGuiSliderFlags_AlwaysClamp);
    int background = view.background == Background::Environment ? 0 : 1;
    ImGui::RadioButton("Environment", &background, 0);
    ImGui::SameLine();
    ImGui::RadioButton("Flat colour", &background, 1);
    view.background = background == 0 ? Background::Environment : Background::FlatColour;
    float rgb[3];
    ToFloats(view.flatColour, rgb);
    if (ImGui::ColorEdit3("Colour", rgb)) view.flatColour = FromFloats(rgb);
    ImGui::Checkbox("HUD", &view.hud);
    // A viewer left open need not keep a processor core busy.
    if (targets.vsync) {
        ImGui::SameLine();
        ImGui::Checkbox("Wait for the display (vsync)", targets.vsync);
    }
}
