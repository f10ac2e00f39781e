// Changing a running scene one part at a time: the model (a new reference,
// its clips), one clip, the cube map, the effect. Each change builds its new
// part on the side and puts it in the scene only when it loaded; a file
// that does not load changes nothing, is reported by its loader to the sink
// and is listed in *failures. The scene's description follows every change,
// so that the files can be loaded again (a save in watch mode) and watched.
#pragma once

#include <string>
#include <vector>

#include "platform/gfx/core/device.h"
#include "platform/report/report_sink.h"
#include "scene/scene.h"

// A new model from reference and clips (clip i in slot i; a clip file that
// does not load keeps its slot, empty). It takes the place of the scene's
// model when the reference loaded; false otherwise (the model stays).
// Relative paths are read from the scene's base folder.
bool ReplaceModel(Scene& scene, gfx::Device* device, const std::string& reference,
                  const std::vector<std::string>& clips, const ReportSink& report,
                  std::vector<SceneFileFailure>* failures);

// The reference's file (with its textures) loaded again into a new mesh;
// the clips move over to it with their playback. False when it did not
// load: the model stays as it was.
bool ReloadReference(Scene& scene, gfx::Device* device, const ReportSink& report,
                     std::vector<SceneFileFailure>* failures);

// The clip file path loaded into the next slot. False when it did not load
// or every slot is taken: the model stays as it was.
bool AddClip(Scene& scene, const std::string& path, const ReportSink& report,
             std::vector<SceneFileFailure>* failures);

// Clip slot's file loaded again; the slot takes the new keyframes and plays
// them from the start. False when it did not load: the slot keeps its clip.
bool ReloadClip(Scene& scene, int slot, const ReportSink& report,
                std::vector<SceneFileFailure>* failures);

// The cube map from path (relative: from the base folder), made on the side;
// it replaces the scene's when the device made it. False otherwise, with a
// failure whose reason is left empty (the caller knows how to read a DDS
// file to say why).
bool ReplaceCubeMap(Scene& scene, gfx::Device* device, const std::string& path,
                    std::vector<SceneFileFailure>* failures);

// The effect from path compiled; it replaces the scene's when it compiled
// and has the technique. False otherwise, with the failure's reason the
// compiler's first error line and *compilerText (when given) its whole text.
bool ReplaceEffect(Scene& scene, gfx::Device* device, const std::string& path,
                   std::vector<SceneFileFailure>* failures, std::string* compilerText = nullptr);
