#include "app/model_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/data_paths.h"
#include "app/stop_request.h"
#include "model/skinned_model.h"
#include "platform/files.h"

namespace {

// The reference by its file name, from inside its folder; the working
// folder is restored afterwards.
void LoadReferenceInItsFolder(SkinnedModel& model, gfx::Device* device, const std::string& path) {
    std::string resolved = ResolvePath(path.c_str());
    size_t slash = resolved.rfind('/');
    std::string folder = resolved.substr(0, slash + 1);
    int back = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (back < 0 || ::chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "reflect-refract: cannot enter the folder %s: %s\n", folder.c_str(),
                     std::strerror(errno));
        model.LoadReference(device, resolved.c_str());  // the loader's own limits decide then
    } else {
        model.LoadReference(device, resolved.c_str() + slash + 1);
        if (::fchdir(back) != 0)
            std::fprintf(stderr, "reflect-refract: cannot return to the data folder: %s\n",
                         std::strerror(errno));
    }
    if (back >= 0) ::close(back);
}

}  // namespace

void LoadModelFiles(SkinnedModel& model, gfx::Device* device, const ProgramOptions& options) {
    if (!StopRequestedDuringStartup()) {
        if (options.model.empty())
            model.LoadReference(device, kReferencePath);
        else
            LoadReferenceInItsFolder(model, device, options.model);
    }
    if (options.animations.empty() && options.model.empty()) {
        for (const char* path : kAnimationPaths)
            if (!StopRequestedDuringStartup()) model.LoadAnimation(path);
    }
    for (const std::string& path : options.animations)
        if (!StopRequestedDuringStartup()) model.LoadAnimation(path.c_str());
}
