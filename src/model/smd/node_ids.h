// Node ids and bone slots: the nodes section numbers its bones with ids that
// need not run 0, 1, 2, ... (files made by some exporters skip numbers);
// bones are stored in slots numbered in the order of the node lines, and
// skeleton, vertex and link fields name bones by id.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace smd {

struct NodeIds {
    // File id of each slot, in node-line order.
    std::vector<int> ids;
    // True while every id equals its slot (files without gaps): lookups
    // then need no table.
    bool identity = true;
    // Id to slot, once the ids stop being their slots.
    std::unordered_map<int, int> slotOf;

    void Clear();
    // Appends the next node's id. False when the id was given before.
    bool Add(int id);
    // Slot of id, or -1 when no node has it.
    int Slot(int64_t id) const {
        if (identity) return id >= 0 && id < int64_t(ids.size()) ? int(id) : -1;
        if (id < 0 || id > INT32_MAX) return -1;
        auto found = slotOf.find(int(id));
        return found == slotOf.end() ? -1 : found->second;
    }
    int Count() const { return int(ids.size()); }
};

}  // namespace smd
