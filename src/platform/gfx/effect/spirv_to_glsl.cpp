#include "platform/gfx/effect/spirv_to_glsl.h"

#include <spirv_cross/spirv_cross_c.h>

#include <cctype>
#include <map>
#include <string_view>

namespace gfx::effect {

struct SpirvToGlsl::State {
    spvc_context context = nullptr;
    spvc_compiler compiler = nullptr;
    // Bindings asked for separate images: SPIRV-Cross only makes the
    // combined samplers GLSL needs when the GLSL is written.
    std::map<uint32_t, uint32_t> imageBindings;

    ~State() {
        if (context) spvc_context_destroy(context);
    }
};

namespace {

std::string LastError(spvc_context context, const char* what) {
    const char* text = spvc_context_get_last_error_string(context);
    return std::string(what) + (text && *text ? std::string(": ") + text : std::string());
}

TextureDim DimOf(spvc_type type) {
    switch (spvc_type_get_image_dimension(type)) {
    case SpvDim2D: return TextureDim::Tex2D;
    case SpvDim3D: return TextureDim::Tex3D;
    case SpvDimCube: return TextureDim::Cube;
    default: return TextureDim::None;
    }
}

bool ResourceList(spvc_resources resources, spvc_resource_type type,
                  const spvc_reflected_resource** list, size_t* count) {
    return spvc_resources_get_resource_list_for_type(resources, type, list, count) == SPVC_SUCCESS;
}

}  // namespace

std::string PlainLineDirectives(const std::string& glsl) {
    std::string out;
    out.reserve(glsl.size());
    size_t begin = 0;
    while (begin < glsl.size()) {
        size_t end = glsl.find('\n', begin);
        if (end == std::string::npos) end = glsl.size();
        std::string_view line(glsl.data() + begin, end - begin);
        if (line.rfind("#extension GL_GOOGLE_cpp_style_line_directive", 0) == 0) {
            begin = end + 1;
            continue;
        }
        if (line.rfind("#line ", 0) == 0) {
            size_t quote = line.find(' ', 6);
            if (quote != std::string_view::npos) line = line.substr(0, quote);
        }
        out += line;
        if (end < glsl.size()) out += '\n';
        begin = end + 1;
    }
    return out;
}

std::string NormalizeSemantic(const std::string& semantic) {
    std::string out;
    for (char c : semantic) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (out.empty() || !std::isdigit(static_cast<unsigned char>(out.back()))) out += '0';
    return out;
}

SpirvToGlsl::SpirvToGlsl() : state_(std::make_unique<State>()) {}
SpirvToGlsl::~SpirvToGlsl() = default;

bool SpirvToGlsl::Load(const std::vector<uint32_t>& spirv, std::string* error) {
    if (spvc_context_create(&state_->context) != SPVC_SUCCESS) {
        *error = "SPIRV-Cross could not start";
        return false;
    }
    spvc_context context = state_->context;
    spvc_parsed_ir ir = nullptr;
    if (spvc_context_parse_spirv(context, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS) {
        *error = LastError(context, "SPIRV-Cross could not read the SPIR-V");
        return false;
    }
    if (spvc_context_create_compiler(context, SPVC_BACKEND_GLSL, ir,
                                     SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                     &state_->compiler) != SPVC_SUCCESS) {
        *error = LastError(context, "SPIRV-Cross could not create a GLSL writer");
        return false;
    }
    spvc_compiler compiler = state_->compiler;
    spvc_resources resources = nullptr;
    if (spvc_compiler_create_shader_resources(compiler, &resources) != SPVC_SUCCESS) {
        *error = LastError(context, "SPIRV-Cross could not list the shader's resources");
        return false;
    }

    const spvc_reflected_resource* list = nullptr;
    size_t count = 0;
    if (ResourceList(resources, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER, &list, &count)) {
        for (size_t i = 0; i < count; ++i) {
            UniformBlock block;
            block.name = list[i].name;
            block.id = list[i].id;
            spvc_type type = spvc_compiler_get_type_handle(compiler, list[i].base_type_id);
            size_t size = 0;
            spvc_compiler_get_declared_struct_size(compiler, type, &size);
            block.size = static_cast<uint32_t>(size);
            unsigned memberCount = spvc_type_get_num_member_types(type);
            for (unsigned m = 0; m < memberCount; ++m) {
                BlockMember member;
                const char* name = spvc_compiler_get_member_name(compiler, list[i].base_type_id, m);
                member.name = name ? name : "";
                unsigned offset = 0;
                spvc_compiler_type_struct_member_offset(compiler, type, m, &offset);
                member.offset = offset;
                size_t memberSize = 0;
                spvc_compiler_get_declared_struct_member_size(compiler, type, m, &memberSize);
                member.size = static_cast<uint32_t>(memberSize);
                spvc_type memberType =
                    spvc_compiler_get_type_handle(compiler, spvc_type_get_member_type(type, m));
                bool isFloat = spvc_type_get_basetype(memberType) == SPVC_BASETYPE_FP32;
                bool isArray = spvc_type_get_num_array_dimensions(memberType) > 0;
                unsigned vecsize = spvc_type_get_vector_size(memberType);
                unsigned columns = spvc_type_get_columns(memberType);
                if (isFloat && !isArray) {
                    if (columns > 1) {
                        // glslang keeps an HLSL floatRxC as R SPIR-V columns of C
                        // components: SPIR-V's columns are HLSL's rows. A
                        // column-major SPIR-V matrix therefore stores HLSL rows
                        // one after the other.
                        member.kind = ValueKind::Matrix;
                        member.rows = columns;
                        member.columns = vecsize;
                        unsigned stride = 0;
                        spvc_compiler_type_struct_member_matrix_stride(compiler, type, m, &stride);
                        member.matrixStride = stride;
                        member.rowsContiguous = !spvc_compiler_has_member_decoration(
                            compiler, list[i].base_type_id, m, SpvDecorationRowMajor);
                    } else if (vecsize > 1) {
                        member.kind = ValueKind::Vector;
                        member.columns = vecsize;
                    } else {
                        member.kind = ValueKind::Float;
                    }
                }
                block.members.push_back(std::move(member));
            }
            blocks_.push_back(std::move(block));
        }
    }
    for (spvc_resource_type kind :
         {SPVC_RESOURCE_TYPE_SEPARATE_IMAGE, SPVC_RESOURCE_TYPE_SAMPLED_IMAGE}) {
        if (!ResourceList(resources, kind, &list, &count)) continue;
        for (size_t i = 0; i < count; ++i) {
            TextureResource texture;
            texture.name = list[i].name;
            texture.id = list[i].id;
            texture.dim = DimOf(spvc_compiler_get_type_handle(compiler, list[i].type_id));
            textures_.push_back(std::move(texture));
        }
    }
    auto readInterface = [&](spvc_resource_type kind, std::vector<InterfaceVariable>* out) {
        if (!ResourceList(resources, kind, &list, &count)) return;
        for (size_t i = 0; i < count; ++i) {
            InterfaceVariable variable;
            variable.name = list[i].name;
            variable.id = list[i].id;
            const char* semantic = spvc_compiler_get_decoration_string(
                compiler, list[i].id, SpvDecorationHlslSemanticGOOGLE);
            variable.semantic = NormalizeSemantic(semantic ? semantic : "");
            out->push_back(std::move(variable));
        }
    };
    readInterface(SPVC_RESOURCE_TYPE_STAGE_INPUT, &inputs_);
    readInterface(SPVC_RESOURCE_TYPE_STAGE_OUTPUT, &outputs_);
    return true;
}

void SpirvToGlsl::SetBinding(uint32_t id, uint32_t binding) {
    spvc_compiler_set_decoration(state_->compiler, id, SpvDecorationDescriptorSet, 0);
    spvc_compiler_set_decoration(state_->compiler, id, SpvDecorationBinding, binding);
    state_->imageBindings[id] = binding;
}

void SpirvToGlsl::SetLocation(uint32_t id, uint32_t location) {
    spvc_compiler_set_decoration(state_->compiler, id, SpvDecorationLocation, location);
}

void SpirvToGlsl::SetPositionBuiltIn(uint32_t id, bool vertexOutput) {
    spvc_compiler_unset_decoration(state_->compiler, id, SpvDecorationLocation);
    spvc_compiler_set_decoration(state_->compiler, id, SpvDecorationBuiltIn,
                                 vertexOutput ? SpvBuiltInPosition : SpvBuiltInFragCoord);
}

bool SpirvToGlsl::Compile(std::string* glsl, std::string* error) {
    spvc_compiler compiler = state_->compiler;
    spvc_context context = state_->context;
    // HLSL samples a texture through a separate sampler object; GLSL wants
    // one combined sampler per (texture, sampler) pair, which takes the
    // texture's unit. Filtering comes from the device's sampler objects.
    if (spvc_compiler_build_combined_image_samplers(compiler) != SPVC_SUCCESS) {
        *error = LastError(context, "SPIRV-Cross could not combine textures and samplers");
        return false;
    }
    const spvc_combined_image_sampler* combined = nullptr;
    size_t count = 0;
    spvc_compiler_get_combined_image_samplers(compiler, &combined, &count);
    for (size_t i = 0; i < count; ++i) {
        auto binding = state_->imageBindings.find(combined[i].image_id);
        if (binding != state_->imageBindings.end()) {
            spvc_compiler_set_decoration(compiler, combined[i].combined_id, SpvDecorationBinding,
                                         binding->second);
        }
        std::string name = std::string(spvc_compiler_get_name(compiler, combined[i].image_id)) +
                           "_" + spvc_compiler_get_name(compiler, combined[i].sampler_id);
        spvc_compiler_set_name(compiler, combined[i].combined_id, name.c_str());
    }
    spvc_compiler_options options = nullptr;
    if (spvc_compiler_create_compiler_options(compiler, &options) != SPVC_SUCCESS) {
        *error = LastError(context, "SPIRV-Cross options");
        return false;
    }
    spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 450);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_VULKAN_SEMANTICS, SPVC_FALSE);
    // "#line N" before each statement: the GL's messages then name the
    // effect file's lines.
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_EMIT_LINE_DIRECTIVES, SPVC_TRUE);
    spvc_compiler_install_compiler_options(compiler, options);
    const char* source = nullptr;
    if (spvc_compiler_compile(compiler, &source) != SPVC_SUCCESS || !source) {
        *error = LastError(context, "SPIRV-Cross could not write GLSL");
        return false;
    }
    *glsl = PlainLineDirectives(source);
    return true;
}

}  // namespace gfx::effect
