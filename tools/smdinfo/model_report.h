// The JSON report of a loaded model.
#pragma once

#include <string>
#include <vector>

#include "model/skinned_model.h"

struct ShownMessage {
    std::string caption;
    std::string text;  // code-page-949 bytes
};

// What the parser read of a loaded reference that the model does not keep.
struct ParsedMesh {
    // The material table (the model keeps the texture paths built from it).
    std::vector<std::string> materials;
    // The file id of each bone slot.
    std::vector<int> nodeIds;
    // linkCounts[n]: how many corners (vertices) have n weight links.
    std::vector<int> linkCounts;
};

struct ReportInput {
    std::vector<bool> loaded;            // one entry per file, in order
    std::vector<ShownMessage> messages;  // message boxes, in order
    std::vector<ParsedMesh> parsed;      // one per loaded mesh
    bool withSkinned = false;
};

// The parts of a reference file the report adds to the model's.
ParsedMesh ReadParsedMesh(const char* path);

// One JSON object: loaded, messages, meshes, clips and, when asked for,
// skinned (mesh 0's vertex buffer as [x, y, z, nx, ny, nz] records); each
// member on a line of its own, each mesh too. A mesh lists its bones, its
// material table, its texture paths, its node ids by slot ("nodeIds") and
// its weight links ("links": "perVertex", the number of vertices with 0, 1,
// 2, ... links, and "largest", the largest link count).
std::string BuildReport(const SkinnedModel& model, const ReportInput& input);
