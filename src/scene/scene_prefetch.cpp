#include "scene/scene_prefetch.h"

#include "model/smd/smd_parser.h"
#include "platform/files.h"

namespace {

// The read and parse of smd_file_load.cpp's ReadSmdFile and the parser, with
// nothing reported: false leaves the file to its loader.
bool ReadSmd(const std::string& folder, const std::string& path, std::vector<uint8_t>* bytes) {
    std::string error;
    return ReadFileBytesIn(folder, path.c_str(), file_limits::kSmdFile, bytes, &error);
}

void* PrepareOnWorker(void* context) {
    auto* prefetch = static_cast<ScenePrefetch*>(context);
    const PrepareStop stop{prefetch, [](const void* worker) {
                               const auto* self = static_cast<const ScenePrefetch*>(worker);
                               return self->abandoned.load() ||
                                      (self->stopRequested && self->stopRequested());
                           }};
    PrepareSceneFiles(prefetch->description, stop, &prefetch->prepared);
    return nullptr;
}

}  // namespace

void PrepareSceneFiles(const SceneDescription& description, const PrepareStop& stop,
                       PreparedSceneFiles* prepared) {
    if (stop.Requested()) return;
    PreparedCubeMap& cube = prepared->cubeMap;
    cube.path = PathIn(description.baseFolder, description.cubeMapPath.c_str());
    std::string error;
    cube.read = gfx::ReadTextureFile(cube.path.c_str(), gfx::TextureShape::Cube, cube.support,
                                     &cube.file, &error);
    if (!cube.read) cube.file = {};

    if (!description.referencePath.empty()) {
        if (stop.Requested()) return;
        PreparedReference& reference = prepared->reference;
        reference.file = ReferenceFileOf(description);
        std::vector<uint8_t> bytes;
        reference.parsed =
            ReadSmd(reference.file.folder, reference.file.path, &bytes) &&
            smd::ParseReference(bytes, &reference.reference).result == SmdLoadResult::Ok;
        if (!reference.parsed) reference.reference = {};
    }
    prepared->clips.resize(description.clipPaths.size());
    for (size_t c = 0; c < description.clipPaths.size(); ++c) {
        if (stop.Requested()) return;
        PreparedClip& clip = prepared->clips[c];
        clip.path = description.clipPaths[c];
        std::vector<uint8_t> bytes;
        clip.parsed = ReadSmd(description.baseFolder, clip.path, &bytes) &&
                      smd::ParseAnimation(bytes, &clip.animation).result == SmdLoadResult::Ok;
        if (!clip.parsed) clip.animation = {};
    }
}

ScenePrefetch::~ScenePrefetch() {
    abandoned.store(true);
    Take();
}

bool ScenePrefetch::Start(const SceneDescription& sceneDescription, bool (*stop)()) {
    if (started) return false;
    description = sceneDescription;
    stopRequested = stop;
    running = pthread_create(&thread, nullptr, PrepareOnWorker, this) == 0;
    started = running;
    return started;
}

PreparedSceneFiles* ScenePrefetch::Take() {
    if (running) pthread_join(thread, nullptr);
    running = false;
    return started ? &prepared : nullptr;
}
