// Where the program reads its files from, decided once at start-up.
//
// The fixed paths are relative: "./Shaders/...", "./Textures/Snow.dds",
// "Model\SMD\...". They are tried against the working folder first. A
// program started from elsewhere (a file manager starts it in the home
// folder) looks next in its own folder (a build's run folder) and then in
// the installed data folder beside it (bin/ and share/reflect-refract/).
//
// The folder chosen is the base folder the fixed paths are read from (the
// working folder never changes), so every fixed path, and the texture paths
// the model loader builds from the reference's path, stay as short and as
// relative as they are written (the loaders keep paths in fixed-size fields).
#pragma once

#include <string>
#include <vector>

struct DataFolderChoice {
    std::vector<std::string> searched;  // in the order tried
    int chosen = -1;                    // index into searched; -1: none held a file
};

// The folders to try: the working folder, the program's folder, then
// installedFromProgram (relative to the program's folder); repeats and
// empty names left out.
std::vector<std::string> DataFolderCandidates(const std::string& workingFolder,
                                              const std::string& programFolder,
                                              const std::string& installedFromProgram);

// The first folder that holds any of the program's files (the effect, the
// cube map, the reference model). A folder that holds only some is still
// the one chosen: the missing ones are then reported as missing there
// rather than quietly taken from another copy.
DataFolderChoice ChooseDataFolder(const std::vector<std::string>& candidates);

// Chooses among the candidates for a program in programFolder started in
// workingFolder (the installed data folder as this build installs it).
DataFolderChoice FindDataFolder(const std::string& workingFolder, const std::string& programFolder);

// The base folder for the program's files: empty (the working folder) when
// the choice is the working folder or nothing was found, so that the failures
// name the paths where a person would put the files; otherwise the folder
// chosen, with symbolic links resolved.
std::string DataBaseFolder(const DataFolderChoice& choice, const std::string& workingFolder);
