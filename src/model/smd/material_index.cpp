#include "model/smd/material_index.h"

namespace smd {

MaterialIndex::MaterialIndex(const char (*names)[kMaterialNameSize], int count) {
    lastEntry.reserve(size_t(count));
    for (int i = 0; i < count; ++i) lastEntry[std::string_view(names[i])] = i;
}

int MaterialIndex::Find(std::string_view name) {
    if (hasPrevious && name == previousName) return previousIndex;
    auto found = lastEntry.find(name);
    previousName = name;
    previousIndex = found == lastEntry.end() ? 0 : found->second;
    hasPrevious = true;
    return previousIndex;
}

}  // namespace smd
