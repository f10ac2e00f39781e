#include "platform/gfx/effect/state_names.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace gfx::effect {

namespace {

bool SameWord(std::string_view a, const char* b) {
    size_t n = std::strlen(b);
    return a.size() == n && strncasecmp(a.data(), b, n) == 0;
}

constexpr StateValueName kFillModes[] = {
    {"Point", 1}, {"Wireframe", 2}, {"Solid", 3}, {nullptr, 0}};
constexpr StateValueName kCullModes[] = {{"None", 1}, {"CW", 2}, {"CCW", 3}, {nullptr, 0}};
constexpr StateValueName kBooleans[] = {{"False", 0}, {"True", 1}, {nullptr, 0}};
constexpr StateValueName kBlends[] = {{"Zero", 1},          {"One", 2},          {"SrcColor", 3},
                                      {"InvSrcColor", 4},   {"SrcAlpha", 5},     {"InvSrcAlpha", 6},
                                      {"DestAlpha", 7},     {"InvDestAlpha", 8}, {"DestColor", 9},
                                      {"InvDestColor", 10}, {"SrcAlphaSat", 11}, {nullptr, 0}};
constexpr StateValueName kFilters[] = {
    {"None", 0}, {"Point", 1}, {"Linear", 2}, {"Anisotropic", 3}, {nullptr, 0}};
constexpr StateValueName kAddresses[] = {{"Wrap", 1},   {"Mirror", 2},     {"Clamp", 3},
                                         {"Border", 4}, {"MirrorOnce", 5}, {nullptr, 0}};

constexpr StateName kRenderStates[] = {
    {"FillMode", 8, kFillModes},     {"CullMode", 22, kCullModes},        {"ZEnable", 7, kBooleans},
    {"ZWriteEnable", 14, kBooleans}, {"AlphaBlendEnable", 27, kBooleans}, {"SrcBlend", 19, kBlends},
    {"DestBlend", 20, kBlends},
};

constexpr StateName kSamplerStates[] = {
    {"MagFilter", 5, kFilters},
    {"MinFilter", 6, kFilters},
    {"MipFilter", 7, kFilters},
    {"AddressU", kSamplerAddressU, kAddresses},
    {"AddressV", kSamplerAddressV, kAddresses},
    {"AddressW", kSamplerAddressW, kAddresses},
};

constexpr const char* kIgnoredSamplerStates[] = {"MaxAnisotropy", "MipMapLodBias", "MaxMipLevel",
                                                 "BorderColor",   "SRGBTexture",   "MinLOD",
                                                 "MaxLOD",        "Filter"};

template <size_t N>
const StateName* Named(const StateName (&table)[N], std::string_view name) {
    for (const StateName& state : table)
        if (SameWord(name, state.name)) return &state;
    return nullptr;
}

}  // namespace

const StateName* RenderStateNamed(std::string_view name) { return Named(kRenderStates, name); }
const StateName* SamplerStateNamed(std::string_view name) { return Named(kSamplerStates, name); }

bool IgnoredSamplerState(std::string_view name) {
    for (const char* ignored : kIgnoredSamplerStates)
        if (SameWord(name, ignored)) return true;
    return false;
}

bool StateValue(const StateName& state, std::string_view text, uint32_t* value) {
    if (!text.empty() && text[0] >= '0' && text[0] <= '9') {
        std::string digits(text);
        char* end = nullptr;
        unsigned long number = std::strtoul(digits.c_str(), &end, 0);
        if (!end || *end != '\0' || number > 0xFFFFFFFFul) return false;
        *value = static_cast<uint32_t>(number);
        return true;
    }
    for (const StateValueName* v = state.values; v && v->name; ++v) {
        if (SameWord(text, v->name)) {
            *value = v->value;
            return true;
        }
    }
    return false;
}

std::vector<const StateName*> KnownStates() {
    std::vector<const StateName*> all;
    for (const StateName& state : kRenderStates) all.push_back(&state);
    for (const StateName& state : kSamplerStates) all.push_back(&state);
    return all;
}

const char* RenderStateList() {
    return "VertexShader, PixelShader, FillMode, CullMode, ZEnable, ZWriteEnable, "
           "AlphaBlendEnable, SrcBlend and DestBlend are";
}

}  // namespace gfx::effect
