#include <algorithm>

#include "model/skinning.h"

namespace skinning {

void LinkedCorners::Add(uint32_t vertex, const SkinVertex& bind, const Link* cornerLinks,
                        int count) {
    if (count <= 0) return;
    if (linkStart.empty()) linkStart.push_back(0);
    corner.push_back(vertex);
    bindPose.push_back(bind);
    for (int l = 0; l < count; ++l) {
        links.push_back(cornerLinks[l]);
        boneEnd = std::max(boneEnd, cornerLinks[l].bone + 1);
    }
    linkStart.push_back(uint32_t(links.size()));
}

void LinkedCorners::Finish() {
    const size_t count = corner.size();
    if (count == 0) return;
    uint32_t most = 0;
    for (size_t i = 0; i < count; ++i) most = std::max(most, linkStart[i + 1] - linkStart[i]);
    // Counting sort by link count, stable.
    countEnd.assign(size_t(most) + 1, 0);
    for (size_t i = 0; i < count; ++i) ++countEnd[linkStart[i + 1] - linkStart[i]];
    for (size_t k = 1; k < countEnd.size(); ++k) countEnd[k] += countEnd[k - 1];
    std::vector<uint32_t> next(countEnd.size());
    for (size_t k = 1; k < countEnd.size(); ++k) next[k] = countEnd[k - 1];
    std::vector<uint32_t> order(count);
    for (size_t i = 0; i < count; ++i) order[next[linkStart[i + 1] - linkStart[i]]++] = uint32_t(i);

    LinkedCorners sorted;
    sorted.corner.reserve(count);
    sorted.bindPose.reserve(count);
    sorted.linkStart.reserve(count + 1);
    sorted.links.reserve(links.size());
    for (uint32_t i : order)
        sorted.Add(corner[i], bindPose[i], links.data() + linkStart[i],
                   int(linkStart[i + 1] - linkStart[i]));
    corner = std::move(sorted.corner);
    bindPose = std::move(sorted.bindPose);
    linkStart = std::move(sorted.linkStart);
    links = std::move(sorted.links);
}

bool LinkedCorners::IsWhole() const {
    const size_t count = corner.size();
    if (bindPose.size() != count || linkStart.size() != count + 1 || linkStart[0] != 0 ||
        linkStart.back() != links.size() || countEnd.empty() || countEnd[0] != 0 ||
        countEnd.back() != count)
        return false;
    for (size_t k = 1; k < countEnd.size(); ++k) {
        if (countEnd[k] < countEnd[k - 1]) return false;
        if (linkStart[countEnd[k]] - linkStart[countEnd[k - 1]] !=
            k * (countEnd[k] - countEnd[k - 1]))
            return false;
    }
    return true;
}

}  // namespace skinning
