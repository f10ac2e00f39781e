// The JSON report of a loaded model.
#pragma once

#include <string>
#include <vector>

#include "model/skinned_model.h"

struct ShownMessage {
    std::string caption;
    std::string text;  // code-page-949 bytes
};

struct ReportInput {
    std::vector<bool> loaded;            // one entry per file, in order
    std::vector<ShownMessage> messages;  // message boxes, in order
    // Material table of each loaded mesh, from the parser (the model keeps
    // only the texture paths built from it).
    std::vector<std::vector<std::string>> materials;
    bool withSkinned = false;
};

// One JSON object: loaded, messages, meshes, clips and, when asked for,
// skinned (mesh 0's vertex buffer as [x, y, z, nx, ny, nz] records); each
// member on a line of its own, each mesh too.
std::string BuildReport(const SkinnedModel& model, const ReportInput& input);
