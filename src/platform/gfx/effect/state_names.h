// The names an effect file uses for the device states its passes and
// sampler_state blocks set, with the device's numbers for them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace gfx::effect {

struct StateValueName {
    const char* name;
    uint32_t value;
};

struct StateName {
    const char* name;
    uint32_t id;                   // the device's render state or sampler state
    const StateValueName* values;  // ends with a null name
};

// Render states a pass may set: FillMode, CullMode, ZEnable, ZWriteEnable,
// AlphaBlendEnable, SrcBlend, DestBlend (names compared without case).
const StateName* RenderStateNamed(std::string_view name);
// Sampler states a sampler_state block may set: MinFilter, MagFilter,
// MipFilter, AddressU, AddressV, AddressW.
const StateName* SamplerStateNamed(std::string_view name);
// Sampler states that are read and ignored (the device has no such state).
bool IgnoredSamplerState(std::string_view name);
// The value written as a name of the state's values or as a number.
bool StateValue(const StateName& state, std::string_view text, uint32_t* value);
// "FillMode, CullMode, ..." for messages.
const char* RenderStateList();

// Every state the tables above read, pass states first; for checking that
// what a person reads about them stays in step.
std::vector<const StateName*> KnownStates();

// The device's sampler states for texture addressing (not kept by every device).
constexpr uint32_t kSamplerAddressU = 1;
constexpr uint32_t kSamplerAddressV = 2;
constexpr uint32_t kSamplerAddressW = 3;

}  // namespace gfx::effect
