#include "smd2gltf/corner_influences.h"

#include <algorithm>

namespace smd2gltf {

void NormaliseInfluences(std::vector<Influence>* influences) {
    std::sort(influences->begin(), influences->end(), [](const Influence& a, const Influence& b) {
        return a.weight != b.weight ? a.weight > b.weight : a.bone < b.bone;
    });
    double sum = 0.0;
    for (const Influence& influence : *influences) sum += influence.weight;
    // The smaller weights scaled, the largest the rest: their float sum is 1.
    float rest = 1.0f;
    for (size_t i = influences->size(); i-- > 1;) {
        (*influences)[i].weight = float((*influences)[i].weight / sum);
        rest -= (*influences)[i].weight;
    }
    (*influences)[0].weight = rest;
}

}  // namespace smd2gltf
