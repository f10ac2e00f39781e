#include "model_report.h"

#include <algorithm>
#include <cstring>

#include "json_values.h"
#include "platform/gfx/recording/recorder.h"

namespace {

std::string Dump(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json Matrix(const Matrix4& matrix) {
    Json values = Json::array();
    for (int i = 0; i < 16; ++i) values.push_back(JsonNumber(matrix.m[i / 4][i % 4]));
    return values;
}

Json Mesh(const ModelMesh& mesh, const std::vector<std::string>& materials) {
    Json bones = Json::array();
    for (int b = 0; b < mesh.boneCount; ++b) {
        const Bone& bone = mesh.bones[b];
        bones.push_back({{"name", JsonString(bone.name)},
                         {"parent", bone.parentIndex},
                         {"absolute", Matrix(bone.absoluteMatrix)}});
    }
    Json names = Json::array();
    for (const std::string& name : materials) names.push_back(JsonString(name));
    Json paths = Json::array();
    for (int i = 0; i < mesh.textureCount; ++i) paths.push_back(JsonString(mesh.texturePaths[i]));
    return {{"bones", bones}, {"triangles", mesh.triangleCount}, {"materials", names}, {"texturePaths", paths}};
}

Json Skinned(const SkinnedModel& model) {
    Json records = Json::array();
    if (model.meshCount == 0 || !model.meshes[0].vertexBuffer) return records;
    const ModelMesh& mesh = model.meshes[0];
    const std::vector<uint8_t>& bytes = gfx::recording::ContentsOf(mesh.vertexBuffer);
    size_t count = std::min(size_t(mesh.vertexCount), bytes.size() / sizeof(SkinVertex));
    for (size_t v = 0; v < count; ++v) {
        SkinVertex vertex;
        std::memcpy(&vertex, bytes.data() + v * sizeof(SkinVertex), sizeof(SkinVertex));
        records.push_back({JsonNumber(vertex.position.x), JsonNumber(vertex.position.y),
                           JsonNumber(vertex.position.z), JsonNumber(vertex.normal.x), JsonNumber(vertex.normal.y),
                           JsonNumber(vertex.normal.z)});
    }
    return records;
}

}  // namespace

std::string BuildReport(const SkinnedModel& model, const ReportInput& input) {
    Json loaded = Json::array();
    for (bool file : input.loaded) loaded.push_back(file);
    Json messages = Json::array();
    for (const ShownMessage& message : input.messages)
        messages.push_back({{"caption", JsonString(message.caption)}, {"text", JsonString(message.text)}});
    std::string meshes;
    static const std::vector<std::string> kNone;
    for (int m = 0; m < model.meshCount; ++m) {
        const std::vector<std::string>& materials = size_t(m) < input.materials.size() ? input.materials[m] : kNone;
        meshes += (m ? ",\n  " : "") + Dump(Mesh(model.meshes[m], materials));
    }
    Json clips = Json::array();
    for (int c = 0; c < model.clipCount; ++c)
        clips.push_back({{"frameCount", model.clips[c].frameCount}, {"boneCount", model.clips[c].boneCount}});

    // One member per line, as a reader of the raw text expects.
    std::string out = "{\"loaded\":" + Dump(loaded) + ",\n \"messages\":" + Dump(messages) + ",\n \"meshes\":[" +
                      meshes + "],\n \"clips\":" + Dump(clips);
    if (input.withSkinned) out += ",\n \"skinned\":" + Dump(Skinned(model));
    return out + "}\n";
}
