// Material lookup for triangles: the index of the last table entry with the
// triangle's material name (0 when none has it), in constant time.
#pragma once

#include <string_view>
#include <unordered_map>

#include "model/smd/smd_limits.h"

namespace smd {

struct MaterialIndex {
    // Name to the last entry that has it; the names stay in the table.
    std::unordered_map<std::string_view, int> lastEntry;
    // Consecutive triangles mostly share their material.
    std::string_view previousName;
    int previousIndex = 0;
    bool hasPrevious = false;

    MaterialIndex(const char (*names)[kMaterialNameSize], int count);
    int Find(std::string_view name);
};

}  // namespace smd
