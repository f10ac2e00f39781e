#include "model/smd/node_ids.h"

namespace smd {

void NodeIds::Clear() {
    ids.clear();
    identity = true;
    slotOf.clear();
}

bool NodeIds::Add(int id) {
    int slot = int(ids.size());
    if (identity) {
        if (id == slot) {
            ids.push_back(id);
            return true;
        }
        if (id >= 0 && id < slot) return false;  // every id below slot is taken
        // The first gap: from here on ids are looked up in the table.
        identity = false;
        slotOf.reserve(ids.size() * 2 + 16);
        for (int s = 0; s < slot; ++s) slotOf.emplace(s, s);
    }
    if (!slotOf.emplace(id, slot).second) return false;
    ids.push_back(id);
    return true;
}

}  // namespace smd
