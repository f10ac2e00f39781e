#include "scene/effect_setup.h"

#include <cstring>
#include <iterator>
#include <string>

#include "platform/files.h"
#include "platform/gfx/effect/effect.h"
#include "platform/gfx/effect/technique_check.h"

const gfx::VertexElement kSkinVertexElements[3] = {
    {0, 0, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_POSITION, 0},
    {0, 12, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_NORMAL, 0},
    gfx::D3DDECL_END,
};

namespace {

using gfx::effect::ValueKind;

// What the frame draws with: the technique's passes 0 and 1, and the seven
// parameters UploadEffectParameters sets.
constexpr const char* kPassUses[] = {"the box", "the character"};
constexpr gfx::effect::ParameterRequirement kFrameParameters[] = {
    {"EnvironmentMap", ValueKind::Texture, gfx::effect::TextureDim::Cube},
    {"matViewProjection", ValueKind::Matrix},
    {"matWorldView", ValueKind::Matrix},
    {"matWorldViewProjection", ValueKind::Matrix},
    {"matWorldViewInverseTranspose", ValueKind::Matrix},
    {"vViewPosition", ValueKind::Vector},
    {"fRef", ValueKind::Float},
};
constexpr gfx::effect::TechniqueRequirements kFrameTechnique = {
    kTechniqueName, 2, kPassUses, kFrameParameters, std::size(kFrameParameters)};

// The effect's fit for the frame: false with *text naming what is missing.
// The parameters the frame does not set are listed on stderr.
bool FitsTheFrame(gfx::Effect* effect, const char* path, std::string* text) {
    gfx::effect::CompiledEffect description;
    if (!gfx::effect::DescribeEffect(effect, &description)) return true;  // not ours to check
    gfx::effect::TechniqueReport report = gfx::effect::CheckTechnique(description, kFrameTechnique);
    if (!report.missing.empty()) {
        text->clear();
        size_t start = 0;
        while (start < report.missing.size()) {
            size_t end = report.missing.find('\n', start);
            *text +=
                std::string(path) + ": error: " + report.missing.substr(start, end - start) + "\n";
            start = end + 1;
        }
        return false;
    }
    for (const std::string& line : report.unused)
        std::fprintf(stderr, "reflect-refract: effect %s: %s\n", DisplayPath(path).c_str(),
                     line.c_str());
    return true;
}

// The compiler's text, read no further than the buffer's own size.
std::string MessageText(gfx::Buffer* messages) {
    const char* text = messages ? static_cast<const char*>(messages->GetBufferPointer()) : nullptr;
    if (!text) return {};
    return std::string(text, strnlen(text, messages->GetBufferSize()));
}

// The compiler's first line, and how many more the box shows.
std::string Summary(const std::string& text) {
    std::string first, rest;
    size_t lines = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (line.find_first_not_of(" \t\r") != std::string::npos) {
            if (lines++ == 0) first = line.substr(0, line.find_last_not_of(" \t\r") + 1);
        }
        start = end + 1;
    }
    if (lines == 2) rest = " (1 more line in the ERROR box)";
    if (lines > 2) rest = " (" + std::to_string(lines - 1) + " more lines in the ERROR box)";
    return first + rest;
}

}  // namespace

bool CompileEffectFile(gfx::Device* device, const char* path, gfx::Effect** effect,
                       gfx::EffectHandle* technique, std::string* text) {
    gfx::Buffer* messages = nullptr;
    *effect = nullptr;
    *technique = nullptr;
    gfx::HRESULT result = gfx::D3DXCreateEffectFromFileA(
        device, path, nullptr, nullptr, gfx::D3DXSHADER_DEBUG, nullptr, effect, &messages);
    if (gfx::Failed(result)) {
        *text = MessageText(messages);
        if (text->empty())
            *text = std::string("The effect file \"") + path + "\" could not be compiled.";
        gfx::SafeRelease(*effect);  // a failed creation hands back nothing to keep
    } else if (*effect && !FitsTheFrame(*effect, path, text)) {
        // An effect without the frame's passes or parameters would draw
        // nothing, or half of the picture: refused like one that does not compile.
        gfx::SafeRelease(*effect);
        result = gfx::E_FAIL;
    } else if (*effect) {
        *technique = (*effect)->GetTechniqueByName(kTechniqueName);
    }
    gfx::SafeRelease(messages);
    return gfx::Succeeded(result);
}

gfx::HRESULT CreateEffectObjects(gfx::Device* device, gfx::VertexDeclaration*& vertexDeclaration,
                                 gfx::Effect*& effect, gfx::EffectHandle& technique,
                                 const LoadContext& context, const char* path, bool showBox,
                                 std::string* failureText) {
    if (failureText) failureText->clear();
    gfx::HRESULT result = device->CreateVertexDeclaration(kSkinVertexElements, &vertexDeclaration);
    if (gfx::Failed(result)) return result;

    std::string text;
    std::string file = PathIn(context.baseFolder, path);
    if (CompileEffectFile(device, file.c_str(), &effect, &technique, &text)) return gfx::S_OK;
    std::string shown = DisplayPathIn(context.baseFolder, path);
    // Built whole: a compiler's text has no length limit.
    std::string note = "effect " + shown + " not compiled, frames show the HUD only:";
    note += showBox ? " " + Summary(text) : "\n" + text;
    context.report.Note(note.c_str());
    if (showBox) context.report.Box("ERROR", text.c_str());
    if (failureText) *failureText = text;
    return gfx::S_OK;
}

EffectParameters ComputeEffectParameters(const Matrix4& world, const Matrix4& view,
                                         const Matrix4& projection, const Vector3& eye) {
    EffectParameters parameters;
    parameters.viewProjection = view * projection;
    parameters.worldView = world * view;
    parameters.worldViewProjection = (world * view) * projection;
    Matrix4 inverse;  // identity unless the inverse exists
    MatrixInverse(world * view, &inverse);
    parameters.worldViewInverseTranspose = MatrixTranspose(inverse);
    parameters.viewPosition = gfx::Vector4{eye.x, eye.y, eye.z, 1.0f};
    return parameters;
}

void UploadEffectParameters(gfx::Effect* effect, gfx::CubeTexture* environmentMap,
                            const Matrix4& world, const Matrix4& view, const Matrix4& projection,
                            const Vector3& eye, float reflectionFactor) {
    EffectParameters parameters = ComputeEffectParameters(world, view, projection, eye);
    effect->SetTexture("EnvironmentMap", environmentMap);
    effect->SetMatrix("matViewProjection", &parameters.viewProjection);
    effect->SetMatrix("matWorldView", &parameters.worldView);
    effect->SetMatrix("matWorldViewProjection", &parameters.worldViewProjection);
    effect->SetMatrix("matWorldViewInverseTranspose", &parameters.worldViewInverseTranspose);
    effect->SetVector("vViewPosition", &parameters.viewPosition);
    effect->SetFloat("fRef", reflectionFactor);
}
