// Loading a scene's model files: the reference, then the clips in order,
// each file's failure reported by its loader and listed; a clip file that
// does not load keeps its slot (a clip without keyframes), so that clip
// numbers stay the order the files were given in.
#pragma once

#include <string>
#include <vector>

#include "model/smd_load_failure.h"
#include "platform/gfx/core/device.h"
#include "platform/report/report_sink.h"
#include "scene/scene.h"
#include "scene/scene_prefetch.h"

struct SkinnedModel;

// Asked before each file; true skips the files still to load.
struct LoadStop {
    const void* context = nullptr;
    bool (*requested)(const void* context) = nullptr;
    bool Requested() const { return requested && requested(context); }
};

// The reference (when description names one) into model, which should
// hold no mesh. False when it did not load, with the failure appended.
// prepared, when given, is taken in place of reading the file when it holds
// this file parsed (scene_prefetch.h).
bool LoadReferenceFile(SkinnedModel& model, gfx::Device* device,
                       const SceneDescription& description, const ReportSink& report,
                       std::vector<SceneFileFailure>* failures,
                       PreparedReference* prepared = nullptr);

// The clip file path into the next slot of model. A file that does not
// load still takes the slot (empty) when keepSlot is set; false, with the
// failure appended. prepared as for LoadReferenceFile.
bool LoadClipFile(SkinnedModel& model, const SceneDescription& description, const std::string& path,
                  bool keepSlot, const ReportSink& report, std::vector<SceneFileFailure>* failures,
                  PreparedClip* prepared = nullptr);

// Reference, then every clip of description. False when a stop was asked
// for (the files after it are skipped). prepared (may be null) holds files
// read ahead: each one that was parsed is taken from it.
bool LoadModelFiles(SkinnedModel& model, gfx::Device* device, const SceneDescription& description,
                    const ReportSink& report, const LoadStop& stop,
                    std::vector<SceneFileFailure>* failures,
                    PreparedSceneFiles* prepared = nullptr);

// A loader's failure as one line without the file's path: "line 12: node
// index 7 is outside 0..3", "No such file or directory".
std::string ReasonOf(const SmdLoadFailure& failure);
