#include "model_report.h"

#include <cstring>

#include "json_text.h"
#include "platform/gfx/recording/recorder.h"

namespace {

void AppendMatrix(std::string& out, const Matrix4& matrix) {
    out += '[';
    for (int i = 0; i < 16; ++i) {
        if (i) out += ',';
        out += JsonNumber(matrix.m[i / 4][i % 4]);
    }
    out += ']';
}

void AppendMesh(std::string& out, const ModelMesh& mesh, const std::vector<std::string>& materials) {
    out += "{\"bones\":[";
    for (int b = 0; b < mesh.boneCount; ++b) {
        const Bone& bone = mesh.bones[b];
        if (b) out += ',';
        out += "{\"name\":" + JsonString(bone.name) +
               ",\"parent\":" + std::to_string(bone.parentIndex) + ",\"absolute\":";
        AppendMatrix(out, bone.absoluteMatrix);
        out += '}';
    }
    out += "],\"triangles\":" + std::to_string(mesh.triangleCount) + ",\"materials\":[";
    for (size_t i = 0; i < materials.size(); ++i) out += (i ? "," : "") + JsonString(materials[i]);
    out += "],\"texturePaths\":[";
    for (int i = 0; i < mesh.textureCount; ++i)
        out += (i ? "," : "") + JsonString(mesh.texturePaths[i]);
    out += "]}";
}

void AppendSkinned(std::string& out, const SkinnedModel& model) {
    out += "[";
    if (model.meshCount > 0 && model.meshes[0].vertexBuffer) {
        const ModelMesh& mesh = model.meshes[0];
        const std::vector<uint8_t>& bytes = gfx::recording::ContentsOf(mesh.vertexBuffer);
        size_t records = std::min(size_t(mesh.vertexCount), bytes.size() / sizeof(SkinVertex));
        for (size_t v = 0; v < records; ++v) {
            SkinVertex vertex;
            std::memcpy(&vertex, bytes.data() + v * sizeof(SkinVertex), sizeof(SkinVertex));
            const float values[6] = {vertex.position.x, vertex.position.y, vertex.position.z,
                                     vertex.normal.x,   vertex.normal.y,   vertex.normal.z};
            out += v ? ",[" : "[";
            for (int i = 0; i < 6; ++i) out += (i ? "," : "") + JsonNumber(values[i]);
            out += ']';
        }
    }
    out += "]";
}

}  // namespace

std::string BuildReport(const SkinnedModel& model, const ReportInput& input) {
    std::string out = "{\"loaded\":[";
    for (size_t i = 0; i < input.loaded.size(); ++i)
        out += std::string(i ? "," : "") + (input.loaded[i] ? "true" : "false");
    out += "],\n \"messages\":[";
    for (size_t i = 0; i < input.messages.size(); ++i)
        out += std::string(i ? "," : "") + "{\"caption\":" + JsonString(input.messages[i].caption) +
               ",\"text\":" + JsonString(input.messages[i].text) + "}";
    out += "],\n \"meshes\":[";
    for (int m = 0; m < model.meshCount; ++m) {
        if (m) out += ",\n  ";
        static const std::vector<std::string> none;
        AppendMesh(out, model.meshes[m], size_t(m) < input.materials.size() ? input.materials[m] : none);
    }
    out += "],\n \"clips\":[";
    for (int c = 0; c < model.clipCount; ++c)
        out += std::string(c ? "," : "") + "{\"frameCount\":" + std::to_string(model.clips[c].frameCount) +
               ",\"boneCount\":" + std::to_string(model.clips[c].boneCount) + "}";
    out += "]";
    if (input.withSkinned) {
        out += ",\n \"skinned\":";
        AppendSkinned(out, model);
    }
    return out + "}\n";
}
