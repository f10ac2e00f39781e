#include "smd2gltf/mesh_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "smd2gltf/corner_influences.h"

namespace smd2gltf {

namespace {

// One vertex as it goes to the buffers; compared byte for byte to share
// equal corners (every field is written, so no padding or stale byte
// differs).
struct VertexKey {
    float position[3];
    float normal[3];
    float uv[2];
    uint16_t joints[kMaxInfluences];
    float weights[kMaxInfluences];
};
static_assert(sizeof(VertexKey) ==
                  8 * sizeof(float) + kMaxInfluences * (sizeof(uint16_t) + sizeof(float)),
              "VertexKey must have no padding");

uint64_t Hash(const VertexKey& key) {
    uint32_t words[sizeof(VertexKey) / 4];
    std::memcpy(words, &key, sizeof key);
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (uint32_t word : words) h = (h ^ word) * 0xFF51AFD7ED558CCDull;
    return h ^ (h >> 29);
}

// Unique vertices of one primitive, found through an open-addressing table.
struct VertexSet {
    std::vector<VertexKey> vertices;
    std::vector<uint32_t> slots;  // vertex index + 1; 0 is empty
    uint64_t mask = 0;

    explicit VertexSet(size_t corners) {
        size_t capacity = 16;
        while (capacity < 2 * corners) capacity *= 2;
        slots.assign(capacity, 0);
        mask = capacity - 1;
        vertices.reserve(corners);
    }
    uint32_t Add(const VertexKey& key) {
        for (uint64_t at = Hash(key) & mask;; at = (at + 1) & mask) {
            uint32_t slot = slots[at];
            if (slot == 0) {
                vertices.push_back(key);
                slots[at] = uint32_t(vertices.size());
                return slots[at] - 1;
            }
            // Vertices are the same when their bits are (padding-free key).
            // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
            if (std::memcmp(&vertices[slot - 1], &key, sizeof key) == 0) return slot - 1;
        }
    }
};

Vec3d Normalised(const Vec3d& v, bool* ok) {
    double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    *ok = length > 1e-30 && std::isfinite(length);
    return *ok ? Vec3d{v.x / length, v.y / length, v.z / length} : v;
}

}  // namespace

MeshData BuildMesh(const smd::Reference& reference, const Skeleton& skeleton,
                   const TextureCoordinates& uv, const std::vector<int>& materialOfEntry,
                   double metresPerUnit) {
    MeshData mesh;
    const size_t triangles = size_t(reference.triangleCount);
    const size_t corners = 3 * triangles;

    // Influences of every corner, at most kMaxInfluences each.
    std::vector<uint16_t> cornerJoints(corners * kMaxInfluences, 0);
    std::vector<float> cornerWeights(corners * kMaxInfluences, 0.0f);
    std::vector<Influence> influences;
    int largest = 1;
    for (size_t c = 0; c < corners; ++c) {
        CornerInfluences(reference, int(c), &influences);
        if (influences.size() > size_t(kMaxInfluences)) {
            ++mesh.cornersOverLimit;
            influences.resize(kMaxInfluences);
            NormaliseInfluences(&influences);
        }
        largest = std::max(largest, int(influences.size()));
        for (size_t i = 0; i < influences.size(); ++i) {
            cornerJoints[c * kMaxInfluences + i] = uint16_t(influences[i].bone);
            cornerWeights[c * kMaxInfluences + i] = influences[i].weight;
        }
    }
    mesh.influenceSets = (largest + 3) / 4;
    const int perVertex = 4 * mesh.influenceSets;

    // One primitive per material, in the order the materials first appear.
    auto materialOf = [&](const MeshTriangle& t) {
        int entry = t.materialIndex;
        return entry >= 0 && size_t(entry) < materialOfEntry.size() ? materialOfEntry[size_t(entry)]
                                                                    : 0;
    };
    std::vector<int> primitiveOf;  // by unique material
    std::vector<size_t> cornersOf;
    for (size_t t = 0; t < triangles; ++t) {
        int material = materialOf(reference.triangles[t]);
        if (size_t(material) >= primitiveOf.size()) primitiveOf.resize(size_t(material) + 1, -1);
        if (primitiveOf[size_t(material)] < 0) {
            primitiveOf[size_t(material)] = int(mesh.primitives.size());
            mesh.primitives.emplace_back().material = material;
            cornersOf.push_back(0);
        }
        cornersOf[size_t(primitiveOf[size_t(material)])] += 3;
    }
    std::vector<VertexSet> sets;
    for (size_t p = 0; p < mesh.primitives.size(); ++p) {
        sets.emplace_back(cornersOf[p]);
        mesh.primitives[p].indices.reserve(cornersOf[p]);
    }

    // The file's vertex lines 1, 2, 3 sit in slots 0, 2, 1 and wind
    // counter-clockwise seen from the front, as glTF's front faces do.
    static constexpr int kSlotsInFileOrder[3] = {0, 2, 1};
    for (size_t t = 0; t < triangles; ++t) {
        const MeshTriangle& triangle = reference.triangles[t];
        int p = primitiveOf[size_t(materialOf(triangle))];
        VertexKey keys[3];
        Vec3d normals[3];
        bool normalOk[3];
        Vec3d positions[3];
        for (int k = 0; k < 3; ++k) {
            int slot = kSlotsInFileOrder[k];
            const SkinVertex& corner = triangle.vertices[slot];
            int bone = triangle.boneIndices[slot];
            const Mat4d& bind = skeleton.bindAbsolute[size_t(bone)];
            Vec3d position = PointToGltf(
                TransformPoint({corner.position.x, corner.position.y, corner.position.z}, bind),
                metresPerUnit);
            Vec3d normal = DirectionToGltf(
                TransformDirection({corner.normal.x, corner.normal.y, corner.normal.z}, bind));
            positions[k] = position;
            normals[k] = Normalised(normal, &normalOk[k]);
            VertexKey& key = keys[k];
            std::memset(&key, 0, sizeof key);
            key.position[0] = float(position.x);
            key.position[1] = float(position.y);
            key.position[2] = float(position.z);
            for (float value : key.position)
                mesh.positionsFinite = mesh.positionsFinite && std::isfinite(value);
            size_t c = 3 * t + size_t(slot);
            key.uv[0] = uv.uv[2 * c];
            key.uv[1] = 1.0f - uv.uv[2 * c + 1];
            std::memcpy(key.joints, &cornerJoints[c * kMaxInfluences], sizeof key.joints);
            std::memcpy(key.weights, &cornerWeights[c * kMaxInfluences], sizeof key.weights);
        }
        // A corner without a usable normal takes the face's, or +Y.
        if (!normalOk[0] || !normalOk[1] || !normalOk[2]) {
            Vec3d a{positions[1].x - positions[0].x, positions[1].y - positions[0].y,
                    positions[1].z - positions[0].z};
            Vec3d b{positions[2].x - positions[0].x, positions[2].y - positions[0].y,
                    positions[2].z - positions[0].z};
            bool faceOk;
            Vec3d face = Normalised(
                {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}, &faceOk);
            if (!faceOk) face = {0, 1, 0};
            for (int k = 0; k < 3; ++k)
                if (!normalOk[k]) normals[k] = face;
        }
        for (int k = 0; k < 3; ++k) {
            keys[k].normal[0] = float(normals[k].x);
            keys[k].normal[1] = float(normals[k].y);
            keys[k].normal[2] = float(normals[k].z);
            mesh.primitives[size_t(p)].indices.push_back(sets[size_t(p)].Add(keys[k]));
        }
    }

    for (size_t p = 0; p < mesh.primitives.size(); ++p) {
        Primitive& primitive = mesh.primitives[p];
        const std::vector<VertexKey>& vertices = sets[p].vertices;
        primitive.vertexCount = uint32_t(vertices.size());
        primitive.positions.reserve(3 * vertices.size());
        primitive.normals.reserve(3 * vertices.size());
        primitive.texcoords.reserve(2 * vertices.size());
        primitive.joints.reserve(size_t(perVertex) * vertices.size());
        primitive.weights.reserve(size_t(perVertex) * vertices.size());
        for (int i = 0; i < 3; ++i) {
            primitive.min[i] = vertices.empty() ? 0.0f : vertices[0].position[i];
            primitive.max[i] = primitive.min[i];
        }
        for (const VertexKey& v : vertices) {
            primitive.positions.insert(primitive.positions.end(), v.position, v.position + 3);
            primitive.normals.insert(primitive.normals.end(), v.normal, v.normal + 3);
            primitive.texcoords.insert(primitive.texcoords.end(), v.uv, v.uv + 2);
            primitive.joints.insert(primitive.joints.end(), v.joints, v.joints + perVertex);
            primitive.weights.insert(primitive.weights.end(), v.weights, v.weights + perVertex);
            for (int i = 0; i < 3; ++i) {
                primitive.min[i] = std::min(primitive.min[i], v.position[i]);
                primitive.max[i] = std::max(primitive.max[i], v.position[i]);
            }
        }
    }
    return mesh;
}

}  // namespace smd2gltf
