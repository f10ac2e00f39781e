// Direct3D 9 effect declarations that glslang's HLSL front end does not read,
// turned into what it does read before it sees the text.
//
//   texture T;  texture2D T;  textureCUBE T;  (with semantics, annotations)
//       → blanked; T is recorded as a texture parameter
//   samplerCUBE S = sampler_state { Texture = <T>; MinFilter = Linear; ... };
//       → "samplerCUBE S;"; S samples the parameter T with those states
//   sampler S = sampler_state { Texture = <T>; };
//       → "sampler2D S;" / "samplerCUBE S;" / "sampler3D S;" after T's type,
//         or after the tex2D/texCUBE/tex3D calls that read S
//
// tex2D, texCUBE, texCUBElod and the other tex* calls are glslang's own (its
// DX9-compatible mode). Global parameters' initial values ("float f = 0.5;")
// are recorded too: the effect starts them there.
#pragma once

#include <string>

#include "platform/gfx/effect/effect_source.h"

namespace gfx::effect {

// Rewrites source->hlsl (technique blocks already blanked) and fills
// source->samplers, textures, defaults and columnShifts. Line breaks stay
// where they were. false with error ("path(line,column): error: what") on a
// sampler_state block it cannot read; warnings (ignored states) are added to
// *warnings, one per line.
bool TranslateD3D9Syntax(const std::string& path, EffectSource* source, std::string* error,
                         std::string* warnings);

}  // namespace gfx::effect
