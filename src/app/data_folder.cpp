#include "app/data_folder.h"

#include <climits>
#include <cstdlib>

#include "app/data_paths.h"
#include "platform/files.h"
#include "scene/effect_setup.h"
#include "scene/environment_box.h"

#ifndef RR_DATA_FROM_BIN
#define RR_DATA_FROM_BIN "../share/reflect-refract"
#endif

namespace {

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

DataFolderChoice FindDataFolder(const std::string& workingFolder,
                                const std::string& programFolder) {
    return ChooseDataFolder(DataFolderCandidates(workingFolder, programFolder, RR_DATA_FROM_BIN));
}

std::string DataBaseFolder(const DataFolderChoice& choice, const std::string& workingFolder) {
    if (choice.chosen < 0) return "";
    const std::string& folder = choice.searched[size_t(choice.chosen)];
    if (folder == workingFolder) return "";
    char real[PATH_MAX];
    return ::realpath(folder.c_str(), real) ? std::string(real) : folder;
}
