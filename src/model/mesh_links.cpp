// A mesh's weight links: the parsed links turned into the linked corners
// that skinning blends, and skinning with both kinds of corner.
#include "model/model_mesh.h"

bool ModelMesh::SetLinks(const std::vector<uint32_t>& linkStart,
                         const std::vector<smd::WeightLink>& links) {
    linked = {};
    if (linkStart.empty() || !triangles || triangleCount <= 0 || !bones || boneCount <= 0)
        return links.empty();
    const size_t corners = size_t(triangleCount) * 3;
    if (linkStart.size() != corners + 1 || linkStart.back() != links.size()) return false;
    for (size_t c = 0; c < corners; ++c)
        if (linkStart[c] > linkStart[c + 1]) return false;
    for (const smd::WeightLink& link : links)
        if (link.bone < 0 || link.bone >= boneCount || !(link.weight > 0.0f)) return false;

    // The skinning matrix of a bone is its inverse bind pose times its
    // current pose; a bone without an inverse is taken as bound at the
    // origin, as the loader leaves the corners of such a bone in model space.
    skinning::LinkedCorners table;
    std::vector<uint8_t> invertible(static_cast<size_t>(boneCount));
    table.inverseBind.resize(size_t(boneCount));
    for (int b = 0; b < boneCount; ++b) {
        invertible[size_t(b)] =
            MatrixInverse(bones[b].absoluteMatrix, &table.inverseBind[size_t(b)]);
        if (!invertible[size_t(b)]) table.inverseBind[size_t(b)] = MatrixIdentity();
    }
    std::vector<skinning::Link> cornerLinks;
    for (size_t c = 0; c < corners; ++c) {
        const smd::WeightLink* first = links.data() + linkStart[c];
        const smd::WeightLink* end = links.data() + linkStart[c + 1];
        MeshTriangle& triangle = triangles[c / 3];
        const int slot = int(c % 3);
        const int bone = triangle.boneIndices[slot];
        // No links, or only the corner's own bone at full weight (the parser
        // gives a corner of one full link that link's bone): skinned by its
        // bone as every corner without links is.
        if (first == end || (end - first == 1 && first->bone == bone && first->weight == 1.0f))
            continue;
        // The bind pose in model space: the corner was moved into its bone's
        // space by the inverse of that bone's bind matrix (when it had one).
        SkinVertex bind = triangle.vertices[slot];
        if (bone >= 0 && bone < boneCount && invertible[size_t(bone)]) {
            bind.position = Vec3TransformCoord(bind.position, bones[bone].absoluteMatrix);
            bind.normal = Vec3TransformNormal(bind.normal, bones[bone].absoluteMatrix);
        }
        cornerLinks.clear();
        for (const smd::WeightLink* link = first; link < end; ++link)
            cornerLinks.push_back({link->bone, link->weight});
        table.Add(uint32_t(c), bind, cornerLinks.data(), int(cornerLinks.size()));
        triangle.boneIndices[slot] = skinning::kLinkedCorner;
        triangle.vertices[slot] = bind;
    }
    table.Finish();
    if (!table.Empty()) linked = std::move(table);
    return true;
}

void ModelMesh::SkinCorners(const Bone* pose, SkinVertex* out) const {
    // A mesh whose every corner is linked (as exporters write a mesh whose
    // first fields name an implicit root) needs no one-bone pass.
    if (linked.corner.size() < size_t(triangleCount) * 3) {
        if (!shared.Empty() && shared.source.size() == size_t(triangleCount) * 3)
            shared.Skin(pose, boneCount, out);
        else
            skinning::SkinCorners(triangles, triangleCount, pose, boneCount, out);
    }
    skinning::SkinLinkedCorners(linked, pose, boneCount, out);
}
