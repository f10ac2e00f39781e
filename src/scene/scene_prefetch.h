// A scene's files read and parsed ahead, with no device: the cube map (read
// and checked as a device with the default TextureSupport reads it), the
// reference and the clips (read and parsed as their loaders do). Start-up
// does it on a worker thread while the window and the device start, and
// BuildScene takes the results. Nothing here reports anything: a file that
// cannot be read or parsed is only left unprepared, and its loader reads it
// the ordinary way and says why, as it always does.
#pragma once

#include <pthread.h>

#include <atomic>
#include <string>
#include <vector>

#include "model/smd/parsed_smd.h"
#include "platform/gfx/core/texture_file.h"
#include "scene/scene.h"

struct PreparedCubeMap {
    bool read = false;
    std::string path;  // as BuildScene opens it
    gfx::TextureSupport support;
    gfx::TextureFile file;
};

struct PreparedReference {
    bool parsed = false;
    ReferenceFile file;  // as LoadReferenceFile reads it
    smd::Reference reference;
};

struct PreparedClip {
    bool parsed = false;
    std::string path;  // the description's, read from its base folder
    smd::Animation animation;
};

struct PreparedSceneFiles {
    PreparedCubeMap cubeMap;
    PreparedReference reference;
    std::vector<PreparedClip> clips;  // one per clip path, in the description's order
};

// Asked before each file; true leaves the files still to read unprepared.
struct PrepareStop {
    const void* context = nullptr;
    bool (*requested)(const void* context) = nullptr;
    bool Requested() const { return requested && requested(context); }
};

// Reads and parses description's files into *prepared (which should be
// empty), cube map first. Safe on any thread: it touches nothing but its
// arguments and the files.
void PrepareSceneFiles(const SceneDescription& description, const PrepareStop& stop,
                       PreparedSceneFiles* prepared);

// The worker that prepares a scene's files. Its thread is joined by Take,
// and by the destructor on any way out, which first tells it to leave the
// files it has not begun.
struct ScenePrefetch {
    SceneDescription description;
    bool (*stopRequested)() = nullptr;  // the program's stop request; may be null
    PreparedSceneFiles prepared;        // the worker's until joined
    std::atomic<bool> abandoned{false};
    pthread_t thread{};
    bool started = false;  // a thread was made
    bool running = false;  // and is not joined yet

    ScenePrefetch() = default;
    ScenePrefetch(const ScenePrefetch&) = delete;
    ScenePrefetch& operator=(const ScenePrefetch&) = delete;
    ~ScenePrefetch();

    // Starts preparing sceneDescription's files on a thread; false when no
    // thread could be made (nothing is prepared then, and every file is read
    // the ordinary way). stop, when it returns true, skips the files still
    // to read. Once only.
    bool Start(const SceneDescription& sceneDescription, bool (*stop)());
    // Waits for the worker. The prepared files, or null when nothing was
    // started.
    PreparedSceneFiles* Take();
};
