// One export: the reference and its clips read with the program's SMD
// parser, turned into one binary glTF file.
#pragma once

#include <string>
#include <vector>

#include "smd2gltf/axis_change.h"

namespace smd2gltf {

struct ExportOptions {
    std::string reference;
    std::vector<std::string> clips;
    std::string output;
    double framesPerSecond = 30.0;
    double metresPerUnit = kMetresPerInch;
};

struct ExportResult {
    bool ok = false;
    // Why the export failed, one line: the file, the line when one is to
    // blame, and the reason, as the program says it.
    std::string error;
    // What a model author should know about an export that went through
    // (missing textures, clips that do not fit the model), one line each.
    std::vector<std::string> notes;
};

// Reads, converts and writes; the output file is written whole or not at
// all (an old file of that name is kept on failure).
ExportResult ExportGlb(const ExportOptions& options);

// The same without writing: the .glb bytes.
ExportResult BuildGlb(const ExportOptions& options, std::vector<uint8_t>* glb);

}  // namespace smd2gltf
