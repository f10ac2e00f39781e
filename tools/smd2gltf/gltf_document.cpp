#include "smd2gltf/gltf_document.h"

#include <nlohmann/json.hpp>

namespace smd2gltf {

namespace {

using nlohmann::json;

// glTF's numeric codes.
constexpr int kUnsignedByte = 5121;
constexpr int kUnsignedShort = 5123;
constexpr int kUnsignedInt = 5125;
constexpr int kFloat = 5126;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kLinear = 9729;
constexpr int kLinearMipmapLinear = 9987;
constexpr int kRepeat = 10497;

// The binary buffer with its views and accessors; every view starts on a
// four-byte boundary, as every component type needs.
struct BufferBuilder {
    std::vector<uint8_t> bytes;
    json views = json::array();
    json accessors = json::array();

    int View(const void* data, size_t size, int target) {
        bytes.resize((bytes.size() + 3) & ~size_t(3), 0);
        json view = {{"buffer", 0}, {"byteOffset", bytes.size()}, {"byteLength", size}};
        if (target) view["target"] = target;
        const uint8_t* begin = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), begin, begin + size);
        views.push_back(std::move(view));
        return int(views.size()) - 1;
    }

    int Accessor(int view, int componentType, size_t count, const char* type, json min = nullptr,
                 json max = nullptr) {
        json accessor = {{"bufferView", view},
                         {"componentType", componentType},
                         {"count", count},
                         {"type", type}};
        if (!min.is_null()) accessor["min"] = std::move(min);
        if (!max.is_null()) accessor["max"] = std::move(max);
        accessors.push_back(std::move(accessor));
        return int(accessors.size()) - 1;
    }

    template <typename T>
    int Data(const std::vector<T>& values, int componentType, size_t count, const char* type,
             int target, json min = nullptr, json max = nullptr) {
        int view = View(values.data(), values.size() * sizeof(T), target);
        return Accessor(view, componentType, count, type, std::move(min), std::move(max));
    }
};

json FloatArray(const float* values, int count) {
    json array = json::array();
    for (int i = 0; i < count; ++i) array.push_back(double(values[i]));
    return array;
}

// A node's transform, leaving out what equals glTF's defaults (adding 0
// turns −0 into 0).
void PutTransform(const Trs& trs, json* node) {
    if (trs.translation[0] != 0 || trs.translation[1] != 0 || trs.translation[2] != 0)
        (*node)["translation"] = {trs.translation[0] + 0.0, trs.translation[1] + 0.0,
                                  trs.translation[2] + 0.0};
    if (trs.rotation[0] != 0 || trs.rotation[1] != 0 || trs.rotation[2] != 0 ||
        trs.rotation[3] != 1)
        (*node)["rotation"] = {trs.rotation[0] + 0.0, trs.rotation[1] + 0.0, trs.rotation[2] + 0.0,
                               trs.rotation[3] + 0.0};
    if (trs.scale[0] != 1 || trs.scale[1] != 1 || trs.scale[2] != 1)
        (*node)["scale"] = {trs.scale[0], trs.scale[1], trs.scale[2]};
}

void AddMesh(const SceneParts& parts, BufferBuilder* buffer, json* gltf) {
    const MeshData& mesh = *parts.mesh;
    const bool byteJoints = parts.skeleton->boneCount <= 256;
    json primitives = json::array();
    for (const Primitive& primitive : mesh.primitives) {
        const size_t count = primitive.vertexCount;
        json attributes;
        attributes["POSITION"] =
            buffer->Data(primitive.positions, kFloat, count, "VEC3", kArrayBuffer,
                         FloatArray(primitive.min, 3), FloatArray(primitive.max, 3));
        attributes["NORMAL"] = buffer->Data(primitive.normals, kFloat, count, "VEC3", kArrayBuffer);
        attributes["TEXCOORD_0"] =
            buffer->Data(primitive.texcoords, kFloat, count, "VEC2", kArrayBuffer);
        const size_t perVertex = 4 * size_t(mesh.influenceSets);
        for (int set = 0; set < mesh.influenceSets; ++set) {
            std::vector<uint16_t> joints(4 * count);
            std::vector<float> weights(4 * count);
            for (size_t v = 0; v < count; ++v)
                for (size_t k = 0; k < 4; ++k) {
                    joints[4 * v + k] = primitive.joints[v * perVertex + 4 * size_t(set) + k];
                    weights[4 * v + k] = primitive.weights[v * perVertex + 4 * size_t(set) + k];
                }
            std::string suffix = std::to_string(set);
            if (byteJoints) {
                std::vector<uint8_t> small(joints.begin(), joints.end());
                attributes["JOINTS_" + suffix] =
                    buffer->Data(small, kUnsignedByte, count, "VEC4", kArrayBuffer);
            } else {
                attributes["JOINTS_" + suffix] =
                    buffer->Data(joints, kUnsignedShort, count, "VEC4", kArrayBuffer);
            }
            attributes["WEIGHTS_" + suffix] =
                buffer->Data(weights, kFloat, count, "VEC4", kArrayBuffer);
        }
        int indices;
        if (count < 65535) {
            std::vector<uint16_t> small(primitive.indices.begin(), primitive.indices.end());
            indices =
                buffer->Data(small, kUnsignedShort, small.size(), "SCALAR", kElementArrayBuffer);
        } else {
            indices = buffer->Data(primitive.indices, kUnsignedInt, primitive.indices.size(),
                                   "SCALAR", kElementArrayBuffer);
        }
        primitives.push_back({{"attributes", std::move(attributes)},
                              {"indices", indices},
                              {"material", primitive.material}});
    }
    (*gltf)["meshes"] =
        json::array({{{"name", parts.name}, {"primitives", std::move(primitives)}}});
}

void AddMaterials(const Materials& materials, BufferBuilder* buffer, json* gltf) {
    json list = json::array();
    for (size_t i = 0; i < materials.names.size(); ++i) {
        // Not metallic, fully rough: the texture's colour as it is.
        json pbr = {{"metallicFactor", 0.0}, {"roughnessFactor", 1.0}};
        if (materials.image[i] >= 0) pbr["baseColorTexture"] = {{"index", materials.image[i]}};
        list.push_back({{"name", materials.names[i]}, {"pbrMetallicRoughness", std::move(pbr)}});
    }
    (*gltf)["materials"] = std::move(list);
    if (materials.pngs.empty()) return;
    json images = json::array();
    json textures = json::array();
    for (size_t i = 0; i < materials.pngs.size(); ++i) {
        int view = buffer->View(materials.pngs[i].data(), materials.pngs[i].size(), 0);
        images.push_back(
            {{"bufferView", view}, {"mimeType", "image/png"}, {"name", materials.imageNames[i]}});
        textures.push_back({{"sampler", 0}, {"source", int(i)}});
    }
    (*gltf)["images"] = std::move(images);
    (*gltf)["textures"] = std::move(textures);
    (*gltf)["samplers"] = json::array({{{"magFilter", kLinear},
                                        {"minFilter", kLinearMipmapLinear},
                                        {"wrapS", kRepeat},
                                        {"wrapT", kRepeat}}});
}

void AddAnimations(const SceneParts& parts, BufferBuilder* buffer, json* gltf) {
    json animations = json::array();
    for (const NamedClip& clip : parts.clips) {
        const ClipPoses& poses = clip.poses;
        const size_t frames = size_t(poses.frameCount);
        if (frames == 0 || poses.bones.empty()) continue;
        std::vector<float> times(frames);
        for (size_t f = 0; f < frames; ++f) times[f] = float(double(f) / parts.framesPerSecond);
        int input = buffer->Data(times, kFloat, frames, "SCALAR", 0, json::array({times.front()}),
                                 json::array({times.back()}));
        json samplers = json::array();
        json channels = json::array();
        for (size_t i = 0; i < poses.bones.size(); ++i) {
            std::vector<float> translations(3 * frames);
            std::vector<float> rotations(4 * frames);
            for (size_t f = 0; f < frames; ++f) {
                const Trs& local = poses.locals[i * frames + f];
                for (int k = 0; k < 3; ++k)
                    translations[3 * f + size_t(k)] = float(local.translation[k]);
                for (int k = 0; k < 4; ++k) rotations[4 * f + size_t(k)] = float(local.rotation[k]);
            }
            int translation = buffer->Data(translations, kFloat, frames, "VEC3", 0);
            int rotation = buffer->Data(rotations, kFloat, frames, "VEC4", 0);
            for (auto [output, path] :
                 {std::pair{translation, "translation"}, std::pair{rotation, "rotation"}}) {
                channels.push_back({{"sampler", samplers.size()},
                                    {"target", {{"node", poses.bones[i]}, {"path", path}}}});
                samplers.push_back(
                    {{"input", input}, {"output", output}, {"interpolation", "LINEAR"}});
            }
        }
        animations.push_back({{"name", clip.name},
                              {"samplers", std::move(samplers)},
                              {"channels", std::move(channels)}});
    }
    if (!animations.empty()) (*gltf)["animations"] = std::move(animations);
}

}  // namespace

GltfDocument BuildDocument(const SceneParts& parts) {
    const Skeleton& skeleton = *parts.skeleton;
    const int bones = skeleton.boneCount;
    json gltf;
    gltf["asset"] = {{"version", "2.0"}, {"generator", "reflect-refract smd2gltf"}};
    BufferBuilder buffer;

    json nodes = json::array();
    std::vector<int> roots;
    for (int b = 0; b < bones; ++b) {
        json node = {{"name", parts.boneNames[size_t(b)]}};
        PutTransform(skeleton.bindLocal[size_t(b)], &node);
        nodes.push_back(std::move(node));
        if (skeleton.parent[size_t(b)] < 0) roots.push_back(b);
    }
    for (int b = 0; b < bones; ++b)
        if (skeleton.parent[size_t(b)] >= 0)
            nodes[size_t(skeleton.parent[size_t(b)])]["children"].push_back(b);
    // The joints need one common root: several root bones get a node above them.
    int skeletonRoot = roots.empty() ? -1 : roots[0];
    if (roots.size() > 1) {
        skeletonRoot = int(nodes.size());
        nodes.push_back({{"name", "skeleton"}, {"children", roots}});
    }
    json sceneNodes = json::array();
    if (skeletonRoot >= 0) sceneNodes.push_back(skeletonRoot);

    const bool hasMesh = parts.mesh && !parts.mesh->primitives.empty();
    if (hasMesh) {
        AddMesh(parts, &buffer, &gltf);
        AddMaterials(*parts.materials, &buffer, &gltf);
        std::vector<float> inverseBind(16 * size_t(bones));
        for (int b = 0; b < bones; ++b)
            for (int i = 0; i < 16; ++i)
                inverseBind[16 * size_t(b) + size_t(i)] =
                    float(skeleton.inverseBind[size_t(b)].m[i / 4][i % 4]);
        // Row-vector matrices stored row by row are glTF's column-major
        // column-vector matrices.
        int matrices = buffer.Data(inverseBind, kFloat, size_t(bones), "MAT4", 0);
        json joints = json::array();
        for (int b = 0; b < bones; ++b) joints.push_back(b);
        gltf["skins"] = json::array({{{"joints", std::move(joints)},
                                      {"inverseBindMatrices", matrices},
                                      {"skeleton", skeletonRoot}}});
        sceneNodes.push_back(nodes.size());
        nodes.push_back({{"name", parts.name}, {"mesh", 0}, {"skin", 0}});
    }
    AddAnimations(parts, &buffer, &gltf);

    gltf["nodes"] = std::move(nodes);
    gltf["scenes"] = json::array({{{"nodes", std::move(sceneNodes)}}});
    gltf["scene"] = 0;
    if (!buffer.bytes.empty()) {
        gltf["buffers"] = json::array({{{"byteLength", buffer.bytes.size()}}});
        gltf["bufferViews"] = std::move(buffer.views);
        gltf["accessors"] = std::move(buffer.accessors);
    }
    GltfDocument document;
    // Names come from the files as bytes: what is not UTF-8 is replaced.
    document.json = gltf.dump(-1, ' ', false, json::error_handler_t::replace);
    document.binary = std::move(buffer.bytes);
    return document;
}

}  // namespace smd2gltf
