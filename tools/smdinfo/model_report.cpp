#include "model_report.h"

#include <algorithm>
#include <cstring>

#include "json_values.h"
#include "model/smd/smd_parser.h"
#include "platform/files.h"
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

Json Mesh(const ModelMesh& mesh, const ParsedMesh& parsed) {
    Json bones = Json::array();
    for (int b = 0; b < mesh.boneCount; ++b) {
        const Bone& bone = mesh.bones[b];
        bones.push_back({{"name", JsonString(bone.name)},
                         {"parent", bone.parentIndex},
                         {"absolute", Matrix(bone.absoluteMatrix)}});
    }
    Json names = Json::array();
    for (const std::string& name : parsed.materials) names.push_back(JsonString(name));
    Json paths = Json::array();
    for (int i = 0; i < mesh.textureCount; ++i) paths.push_back(JsonString(mesh.texturePaths[i]));
    Json links = {{"perVertex", parsed.linkCounts},
                  {"largest", parsed.linkCounts.empty() ? 0 : int(parsed.linkCounts.size()) - 1}};
    return {{"bones", bones},        {"triangles", mesh.triangleCount}, {"materials", names},
            {"texturePaths", paths}, {"nodeIds", parsed.nodeIds},       {"links", links}};
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
                           JsonNumber(vertex.position.z), JsonNumber(vertex.normal.x),
                           JsonNumber(vertex.normal.y), JsonNumber(vertex.normal.z)});
    }
    return records;
}

}  // namespace

ParsedMesh ReadParsedMesh(const char* path) {
    ParsedMesh out;
    std::vector<uint8_t> bytes;
    std::string error;
    smd::Reference reference;
    if (!ReadFileBytes(path, file_limits::kSmdFile, &bytes, &error) ||
        smd::ParseReference(bytes, &reference).result != SmdLoadResult::Ok)
        return out;
    for (int i = 0; i < reference.materialCount; ++i)
        out.materials.push_back(reference.materialNames[i]);
    out.nodeIds = reference.nodeIds;
    const size_t corners = size_t(reference.triangleCount) * 3;
    for (size_t c = 0; c < corners; ++c) {
        size_t count =
            reference.linkStart.empty() ? 0 : reference.linkStart[c + 1] - reference.linkStart[c];
        if (out.linkCounts.size() <= count) out.linkCounts.resize(count + 1, 0);
        ++out.linkCounts[count];
    }
    return out;
}

std::string BuildReport(const SkinnedModel& model, const ReportInput& input) {
    Json loaded = Json::array();
    for (bool file : input.loaded) loaded.push_back(file);
    Json messages = Json::array();
    for (const ShownMessage& message : input.messages)
        messages.push_back(
            {{"caption", JsonString(message.caption)}, {"text", JsonString(message.text)}});
    std::string meshes;
    static const ParsedMesh kNone;
    for (int m = 0; m < model.meshCount; ++m) {
        const ParsedMesh& parsed =
            size_t(m) < input.parsed.size() ? input.parsed[size_t(m)] : kNone;
        meshes += (m ? ",\n  " : "") + Dump(Mesh(model.meshes[m], parsed));
    }
    Json clips = Json::array();
    for (int c = 0; c < model.clipCount; ++c)
        clips.push_back(
            {{"frameCount", model.clips[c].frameCount}, {"boneCount", model.clips[c].boneCount}});

    // One member per line, as a reader of the raw text expects.
    std::string out = "{\"loaded\":" + Dump(loaded) + ",\n \"messages\":" + Dump(messages) +
                      ",\n \"meshes\":[" + meshes + "],\n \"clips\":" + Dump(clips);
    if (input.withSkinned) out += ",\n \"skinned\":" + Dump(Skinned(model));
    return out + "}\n";
}
