#include "app/model_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/data_paths.h"
#include "app/stop_request.h"
#include "model/skinned_model.h"
#include "platform/files.h"

namespace {

void LoadClips(SkinnedModel& model, const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (!StopRequestedDuringStartup()) model.LoadAnimation(path.c_str());
}

// path relative to folder (ending in '/') when it lies inside it.
std::string InsideFolder(const std::string& path, const std::string& folder) {
    if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0)
        return path.substr(folder.size());
    return path;
}

}  // namespace

void LoadModelFiles(SkinnedModel& model, gfx::Device* device, const ProgramOptions& options) {
    if (options.model.empty()) {
        if (!StopRequestedDuringStartup()) model.LoadReference(device, kReferencePath);
        if (options.animations.empty()) {
            for (const char* path : kAnimationPaths)
                if (!StopRequestedDuringStartup()) model.LoadAnimation(path);
        } else {
            LoadClips(model, options.animations);
        }
        return;
    }

    std::string resolved = ResolvePath(options.model.c_str());
    size_t slash = resolved.rfind('/');
    std::string folder = resolved.substr(0, slash + 1);
    std::string name = resolved.substr(slash + 1);
    int back = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool inside = back >= 0 && !folder.empty() && ::chdir(folder.c_str()) == 0;
    if (!inside) {
        std::fprintf(stderr, "reflect-refract: cannot enter the folder %s: %s\n", folder.c_str(),
                     std::strerror(errno));
        name = resolved;  // the loader's own limits decide then
    }

    if (!StopRequestedDuringStartup()) model.LoadReference(device, name.c_str());
    std::vector<std::string> clips;
    for (const std::string& clip : options.animations) {
        std::string path = ResolvePath(clip.c_str());
        clips.push_back(inside ? InsideFolder(path, folder) : path);
    }
    LoadClips(model, clips);

    if (back >= 0) {
        if (inside && ::fchdir(back) != 0)
            std::fprintf(stderr, "reflect-refract: cannot return to the data folder: %s\n",
                         std::strerror(errno));
        ::close(back);
    }
}
