// The panel's Clips section: the clip list (click to play), play/pause, one
// keyframe back or forward, the keyframe slider, speed, loop and timing.
#include <imgui.h>

#include <cstdio>
#include <string>

#include "app/panel_sections.h"
#include "model/skinned_model.h"
#include "scene/frame_renderer.h"
#include "scene/playback_control.h"
#include "scene/scene.h"

namespace {

// The file name inside path (no copy: frames allocate nothing).
const char* FileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

}  // namespace

void PlayClip(int clip, FrameSettings* frame, PlaybackControl* playback) {
    frame->clipIndex = clip;
    playback->playing = true;
}

void StepKeyframe(int keyframes, const FrameSettings& frame, PlaybackControl* playback,
                  SkinnedModel* model) {
    playback->playing = false;
    StepClip(model, frame.clipIndex, keyframes, playback->loop);
}

void ScrubClip(float position, const FrameSettings& frame, PlaybackControl* playback,
               SkinnedModel* model) {
    // Scrubbing pauses: the pose stays where the slider leaves it.
    playback->playing = false;
    SeekClip(model, frame.clipIndex, position);
}

void PanelClips(const PanelTargets& targets) {
    if (!targets.scene || !targets.frame || !targets.playback) return;
    SkinnedModel* model = targets.scene->model;
    PlaybackControl& playback = *targets.playback;
    FrameSettings& frame = *targets.frame;
    const int clipCount = model ? model->clipCount : 0;
    if (clipCount == 0) {
        ImGui::TextUnformatted("No clips loaded.");
        return;
    }
    const std::vector<std::string>& paths = targets.scene->description.clipPaths;
    if (ImGui::BeginTable("clips", 3, ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY,
                          ImVec2(0, 110))) {
        ImGui::TableSetupColumn("File");
        ImGui::TableSetupColumn("Keys", ImGuiTableColumnFlags_WidthFixed);
        ImGui::TableSetupColumn("Bones", ImGuiTableColumnFlags_WidthFixed);
        ImGui::TableHeadersRow();
        for (int i = 0; i < clipCount; ++i) {
            ImGui::PushID(i);
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            char number[24];
            std::snprintf(number, sizeof number, "clip %d", i);
            const char* name = size_t(i) < paths.size() ? FileName(paths[size_t(i)]) : number;
            if (ImGui::Selectable(name, frame.clipIndex == i, ImGuiSelectableFlags_SpanAllColumns))
                PlayClip(i, &frame, &playback);
            ImGui::TableNextColumn();
            ImGui::Text("%d", model->clips[i].frameCount);
            ImGui::TableNextColumn();
            ImGui::Text("%d", model->clips[i].boneCount);
            ImGui::PopID();
        }
        ImGui::EndTable();
    }
    const int clip = frame.clipIndex;
    if (ImGui::Button(playback.playing ? "Pause (P)" : "Play (P)"))
        playback.playing = !playback.playing;
    ImGui::SameLine();
    if (ImGui::ArrowButton("back", ImGuiDir_Left)) StepKeyframe(-1, frame, &playback, model);
    ImGui::SameLine();
    if (ImGui::ArrowButton("forward", ImGuiDir_Right)) StepKeyframe(+1, frame, &playback, model);
    ImGui::SameLine();
    ImGui::Checkbox("Loop", &playback.loop);
    const int keyframes = clip >= 0 && clip < clipCount ? model->clips[clip].frameCount : 0;
    if (keyframes > 0) {
        float position = ClipPosition(*model, clip);
        if (ImGui::SliderFloat("Keyframe", &position, 0.0f, float(keyframes - 1), "%.2f"))
            ScrubClip(position, frame, &playback, model);
    }
    ImGui::SliderFloat("Speed", &playback.speed, kMinPlaybackSpeed, kMaxPlaybackSpeed, "%.2fx",
                       ImGuiSliderFlags_Logarithmic | ImGuiSliderFlags_AlwaysClamp);
    int timing = playback.timing == PlaybackTiming::PerFrame ? 0 : 1;
    ImGui::RadioButton("Per drawn frame", &timing, 0);
    ImGui::SameLine();
    ImGui::RadioButton("Real time", &timing, 1);
    playback.timing = timing == 0 ? PlaybackTiming::PerFrame : PlaybackTiming::RealTime;
}
