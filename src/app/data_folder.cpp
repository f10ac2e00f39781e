#include "app/data_folder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/data_paths.h"
#include "platform/files.h"
#include "scene/effect_setup.h"
#include "scene/environment_box.h"

#ifndef RR_DATA_FROM_BIN
#define RR_DATA_FROM_BIN "../share/reflect-refract"
#endif

namespace {

DataFolderChoice currentChoice;

// "a/bin" + "../share/x" gives "a/share/x"; only leading ".." steps are
// folded, which is all an install layout has.
std::string Join(std::string folder, std::string relative) {
    while (relative.compare(0, 3, "../") == 0 && folder.size() > 1) {
        size_t slash = folder.rfind('/');
        if (slash == std::string::npos) break;
        folder.erase(slash == 0 ? 1 : slash);
        relative.erase(0, 3);
    }
    if (relative.empty()) return folder;
    return folder + (folder.back() == '/' ? "" : "/") + relative;
}

}  // namespace

std::vector<std::string> DataFolderCandidates(const std::string& workingFolder,
                                              const std::string& programFolder,
                                              const std::string& installedFromProgram) {
    std::vector<std::string> candidates;
    auto add = [&](const std::string& folder) {
        if (folder.empty()) return;
        for (const std::string& known : candidates)
            if (known == folder) return;
        candidates.push_back(folder);
    };
    add(workingFolder);
    add(programFolder);
    if (!programFolder.empty()) add(Join(programFolder, installedFromProgram));
    return candidates;
}

DataFolderChoice ChooseDataFolder(const std::vector<std::string>& candidates) {
    DataFolderChoice choice;
    choice.searched = candidates;
    for (size_t i = 0; i < candidates.size() && choice.chosen < 0; ++i) {
        for (const char* path : {kEffectPath, kEnvironmentMapPath, kReferencePath}) {
            if (IsRegularFileIn(candidates[i], path)) {
                choice.chosen = static_cast<int>(i);
                break;
            }
        }
    }
    return choice;
}

void EnterDataFolder(const std::string& programFolder) {
    std::string working = WorkingFolder();
    currentChoice = ChooseDataFolder(DataFolderCandidates(working, programFolder, RR_DATA_FROM_BIN));
    // Nothing found anywhere: stay, so that the failures name the paths
    // where a person would put the files.
    if (currentChoice.chosen <= 0) return;
    const std::string& folder = currentChoice.searched[size_t(currentChoice.chosen)];
    if (folder == working) return;
    if (chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "reflect-refract: cannot enter the data folder %s: %s\n",
                     folder.c_str(), std::strerror(errno));
        currentChoice.chosen = -1;
        return;
    }
    std::fprintf(stderr, "reflect-refract: reading the program's files from %s (none in the working folder %s)\n",
                 folder.c_str(), working.c_str());
}

const DataFolderChoice& CurrentDataFolderChoice() {
    return currentChoice;
}
