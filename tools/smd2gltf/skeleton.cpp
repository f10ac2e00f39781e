#include "smd2gltf/skeleton.h"

namespace smd2gltf {

std::vector<int> TreeParents(const Bone* bones, int boneCount) {
    std::vector<int> parent(size_t(boneCount), -1);
    for (int b = 0; b < boneCount; ++b) {
        int p = bones[b].parentIndex;
        if (p >= 0 && p < boneCount && p != b) parent[size_t(b)] = p;
    }
    // Walk up from each bone; a walk that meets a bone of its own path has
    // found a loop, which is cut above the bone it came back to.
    std::vector<int> walk(size_t(boneCount), -1);  // the walk that last passed a bone
    std::vector<bool> settled(size_t(boneCount), false);
    for (int start = 0; start < boneCount; ++start) {
        int b = start;
        while (b >= 0 && !settled[size_t(b)]) {
            walk[size_t(b)] = start;
            int p = parent[size_t(b)];
            if (p >= 0 && walk[size_t(p)] == start && !settled[size_t(p)]) {
                parent[size_t(b)] = -1;
                break;
            }
            b = p;
        }
        for (b = start; b >= 0 && !settled[size_t(b)]; b = parent[size_t(b)])
            settled[size_t(b)] = true;
    }
    return parent;
}

Trs LocalTransform(const Mat4d& absolute, const Mat4d* parentAbsolute, double metresPerUnit) {
    Mat4d local = parentAbsolute ? Multiply(absolute, InverseAffine(*parentAbsolute)) : absolute;
    return Decompose(MatrixToGltf(local, metresPerUnit));
}

Skeleton BuildSkeleton(const smd::Reference& reference, double metresPerUnit) {
    Skeleton skeleton;
    const int count = reference.boneCount;
    skeleton.boneCount = count;
    skeleton.parent = TreeParents(reference.bones.get(), count);
    skeleton.bindAbsolute.resize(size_t(count));
    for (int b = 0; b < count; ++b)
        skeleton.bindAbsolute[size_t(b)] = ToDouble(reference.bones[b].absoluteMatrix);
    skeleton.bindLocal.resize(size_t(count));
    for (int b = 0; b < count; ++b) {
        int p = skeleton.parent[size_t(b)];
        skeleton.bindLocal[size_t(b)] =
            LocalTransform(skeleton.bindAbsolute[size_t(b)],
                           p >= 0 ? &skeleton.bindAbsolute[size_t(p)] : nullptr, metresPerUnit);
    }
    // World matrices of the nodes as a reader composes them, parents first.
    std::vector<Mat4d> world(static_cast<size_t>(count));
    std::vector<bool> done(size_t(count), false);
    std::vector<int> chain;
    for (int b = 0; b < count; ++b) {
        chain.clear();
        for (int c = b; c >= 0 && !done[size_t(c)]; c = skeleton.parent[size_t(c)])
            chain.push_back(c);
        for (size_t i = chain.size(); i-- > 0;) {
            int c = chain[i];
            int p = skeleton.parent[size_t(c)];
            Mat4d local = Compose(skeleton.bindLocal[size_t(c)]);
            world[size_t(c)] = p >= 0 ? Multiply(local, world[size_t(p)]) : local;
            done[size_t(c)] = true;
        }
    }
    skeleton.inverseBind.resize(size_t(count));
    for (int b = 0; b < count; ++b)
        skeleton.inverseBind[size_t(b)] = InverseAffine(world[size_t(b)]);
    return skeleton;
}

}  // namespace smd2gltf
