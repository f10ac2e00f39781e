// The scene: everything a frame draws that was read from files (the model
// and its clips, the cube map and the environment box, the effect, its
// technique and the vertex declaration), with one owner. BuildScene makes it
// from a SceneDescription; a second Scene can be built on the same device
// and moved into the place of the first (the old one is then released).
#pragma once

#include <string>
#include <vector>

#include "platform/gfx/core/device.h"
#include "platform/report/report_sink.h"
#include "scene/environment_box.h"

struct SkinnedModel;
struct PreparedSceneFiles;

// What a scene is made of. Relative paths are read from baseFolder; a
// reference named by an absolute path is read from its own folder (the
// model keeps the folder part of its path in a 128-byte field and each
// texture path in an 80-byte one, so only its file name is kept there).
struct SceneDescription {
    std::string baseFolder;              // empty: the working folder
    std::string referencePath;           // empty: a model without meshes
    std::vector<std::string> clipPaths;  // clip 0, 1, ... in this order
    std::string cubeMapPath;
    std::string effectPath;
    // An effect that does not compile shows its "ERROR" box; without it, the
    // compiler's whole text is noted instead (the watch mode).
    bool effectFailureBox = true;
    // The clip that plays: a clip number above 0 that did not load fails the
    // build (clip 0 missing only leaves the model undrawn), as does clip 0
    // when clipRequired is set (the person asked for it by number).
    int clip = 0;
    bool clipRequired = false;
};

// The kinds of file a scene is made from.
enum class SceneFile { Reference, Clip, CubeMap, Effect };

// A file of the scene that did not load, and why.
struct SceneFileFailure {
    SceneFile file = SceneFile::Reference;
    int clip = -1;       // the clip's slot, for SceneFile::Clip
    std::string path;    // as messages name it (absolute)
    std::string reason;  // one line, without the path: "line 12: ..."
};

// How a build went. Every failure leaves what was made in the scene, for its
// Release before the device's.
enum class SceneFailure {
    None,
    BoxBuffers,   // the device refused the box's buffers
    CubeMap,      // the cube map file did not make a cube texture
    ModelMemory,  // no memory for the model
    ClipMissing,  // description.clip did not load
};

struct SceneBuildResult {
    SceneFailure failure = SceneFailure::None;
    // The cube map's path as opened, for saying why it failed.
    std::string cubeMapFile;
    // The compiler's text when the effect did not compile; empty otherwise.
    std::string effectFailure;
    // A stop was asked for while loading: the model files after it were skipped.
    bool stopped = false;
    int clipsLoaded = 0;  // clips with keyframes
    int clipFiles = 0;
    // Every file that did not load, in the order they were tried (a cube map
    // that did not load ends the build and is not listed).
    std::vector<SceneFileFailure> failures;
};

// Calls into the builder's caller, each optional.
struct SceneBuildHooks {
    void* context = nullptr;
    // After the environment, before the effect and the model: start-up shows
    // the window here, so that their boxes appear over it.
    void (*environmentReady)(void* context) = nullptr;
    // After the effect, before the model: its compile failure (empty after a
    // good compile) is in the result by then.
    void (*effectReady)(void* context, const SceneBuildResult& result) = nullptr;
    // Asked before each model file; true skips the files still to load.
    bool (*stopRequested)(void* context) = nullptr;
};

struct Scene {
    SkinnedModel* model = nullptr;                        // owned
    gfx::Effect* effect = nullptr;                        // owned
    gfx::EffectHandle technique = nullptr;                // belongs to effect
    gfx::VertexDeclaration* vertexDeclaration = nullptr;  // owned
    EnvironmentBox box;                                   // owns its buffers and the cube map
    // The effect's file: the path to open, and the path messages name.
    std::string effectFile;
    std::string effectDisplayPath;
    // The files it was made from, kept as they change (scene_changes.h):
    // clipPaths[i] is clip i's file, also when it did not load (its slot is
    // then a clip without keyframes).
    SceneDescription description;

    Scene() = default;
    Scene(Scene&& other) noexcept;
    Scene& operator=(Scene&& other) noexcept;  // releases what this held
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    ~Scene();

    // Model, effect, declaration, box index buffer, box vertex buffer, cube
    // map: each released if present, then cleared. Before the device goes.
    void Release();
};

// In this order: the box's buffers and the cube map (a failure ends the
// build), hooks.environmentReady, the declaration and the effect (a failure
// is reported and the scene goes on without an effect), hooks.effectReady,
// the model, the reference and the clips (each file's problems are reported
// by its loader; the scene goes on with what loaded, and a clip file that
// did not load keeps its slot, empty, so that clip numbers stay those of the
// description), then the clip check. Every note and box goes to report.
// scene should be empty; false with result->failure set when the build
// failed. result->failures lists the files that did not load. prepared,
// when given, holds files read ahead (scene_prefetch.h): each one read or
// parsed there is taken from it, and only those that were not are read here;
// either way the same files fail with the same reports.
bool BuildScene(const SceneDescription& description, gfx::Device* device, const ReportSink& report,
                const SceneBuildHooks& hooks, Scene* scene, SceneBuildResult* result,
                PreparedSceneFiles* prepared = nullptr);

// The folder the reference's own relative paths (its textures) are read
// from, and the path to hand its loader: a relative path from the base
// folder; an absolute one from its own folder, by its file name.
struct ReferenceFile {
    std::string folder;
    std::string path;
};
ReferenceFile ReferenceFileOf(const SceneDescription& description);
